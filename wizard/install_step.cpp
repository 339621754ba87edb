// Next on the ready page: the install options are collected and the installation runs.
#include <cwchar>

#include "app/installation_driver.h"
#include "app/product_info.h"
#include "app/target_folder.h"
#include "res/resource.h"
#include "wizard/wiz_property_page.h"
#include "wizard/wiz_property_sheet.h"

namespace {

constexpr UINT_PTR kInstallTimerId = 2013;
constexpr UINT kInstallTimerPeriodMs = 1500;
constexpr wchar_t kAppDataSettingsFolder[] = L"%APPDATA%\\Lumenkast";
constexpr int kSheetButtons[] = {kWizardBackButton, kWizardNextButton, kWizardCancelButton};

int IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0; }

}  // namespace

void CWizPropertyPage::CollectInstallOptions(InstallOptions& options) const {
  HWND optionsPage = PageWindow(kOptionsPagePosition);
  GetDlgItemTextW(optionsPage, IDC_FOLDER_EDIT, options.targetFolder, MAX_PATH);
  TrimSpaces(options.targetFolder);
  options.startMenuGroup = IsChecked(optionsPage, IDC_GROUP_SHORTCUT);
  options.desktopShortcut = IsChecked(optionsPage, IDC_DESKTOP_SHORTCUT);
  options.thumbnailsShortcut = IsChecked(optionsPage, IDC_THUMBS_SHORTCUT);
  options.allUsers = IsChecked(optionsPage, IDC_ALL_USERS);
  ReadFormatSelection(sheet->associationList, options.formatSelection, &options.associateFormats);
  if (IsChecked(m_hWnd, IDC_INI_APPDATA)) wcscpy(options.settingsFolder, kAppDataSettingsFolder);
  options.unattended = 0;
}

LRESULT CWizPropertyPage::RunInstallationStep() {
  if (FindWindowW(lk::kViewerWindowClass, nullptr)) {
    ShowMessage(IDS_VIEWER_RUNNING, MB_ICONEXCLAMATION);
    return -1;
  }

  InstallOptions options;
  CollectInstallOptions(options);

  HWND progress = GetDlgItem(IDC_PROGRESS_LABEL);
  ShowWindow(progress, SW_SHOW);
  UpdateWindow(progress);
  SetTimer(SheetWindow(), kInstallTimerId, kInstallTimerPeriodMs, nullptr);
  for (int button : kSheetButtons) sheet->EnableButton(button, FALSE);

  const int result = RunInstallation(options.targetFolder, options.startMenuGroup,
                                     options.desktopShortcut, options.thumbnailsShortcut,
                                     options.allUsers, options.settingsFolder,
                                     options.formatSelection, options.associateFormats,
                                     options.unattended);

  KillTimer(SheetWindow(), kInstallTimerId);
  for (int button : kSheetButtons) sheet->EnableButton(button, TRUE);
  if (result == 0) return static_cast<LRESULT>(sheet->GetPage(kOptionsPagePosition)->m_templateId);
  return 0;
}
