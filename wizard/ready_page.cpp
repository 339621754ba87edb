// The ready page: the target folder, the settings location, and on Next the installation.
#include <cwchar>
#include <string>

#include "app/installation_driver.h"
#include "app/os_version.h"
#include "app/string_table.h"
#include "app/viewer_window.h"
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

void CWizPropertyPage::ActivateReadyPage() {
  SetHeadingFont(IDC_READY_HEADING);

  wchar_t folder[MAX_PATH] = {};
  sheet->TargetFolder(folder);
  std::wstring label = LoadResString(IDS_TARGET_FOLDER_LABEL).substr(0, 49);
  label += L": ";
  label += folder;
  SetDlgItemTextW(m_hWnd, IDC_READY_FOLDER, label.c_str());

  const bool vistaOrLater = IsOsVersionAtLeast(6, 0);
  CheckDlgButton(m_hWnd, IDC_INI_APPDATA, vistaOrLater ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, IDC_INI_PROGRAM_FOLDER, vistaOrLater ? BST_UNCHECKED : BST_CHECKED);
}

void CWizPropertyPage::CollectInstallOptions(InstallOptions& options) const {
  HWND optionsPage = PageWindow(kOptionsPagePosition);
  sheet->TargetFolder(options.targetFolder);
  options.startMenuGroup = IsChecked(optionsPage, IDC_GROUP_SHORTCUT);
  options.desktopShortcut = IsChecked(optionsPage, IDC_DESKTOP_SHORTCUT);
  options.thumbnailsShortcut = IsChecked(optionsPage, IDC_THUMBS_SHORTCUT);
  options.allUsers = IsChecked(optionsPage, IDC_ALL_USERS);
  ReadFormatSelection(sheet->associationList, options.formatSelection, &options.associateFormats);
  if (IsChecked(m_hWnd, IDC_INI_APPDATA)) wcscpy(options.settingsFolder, kAppDataSettingsFolder);
  options.unattended = 0;
}

LRESULT CWizPropertyPage::RunInstallationStep() {
  if (IsViewerRunning()) {
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

  std::wstring installedFolder;
  const int result = RunInstallation(options, *sheet->payload, &installedFolder);

  KillTimer(SheetWindow(), kInstallTimerId);
  for (int button : kSheetButtons) sheet->EnableButton(button, TRUE);
  if (result == kInstallationFailed) {
    // Nothing runs any more: the page is shown again as it was before the step.
    ShowWindow(progress, SW_HIDE);
    return static_cast<LRESULT>(sheet->GetPage(kOptionsPagePosition)->m_templateId);
  }
  wcsncpy(sheet->installedFolder, installedFolder.c_str(), MAX_PATH - 1);
  return 0;
}
