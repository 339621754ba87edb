// The options page: welcome, shortcuts and their scope, target folder, licence link.
#include <cstdlib>

#include "app/target_folder.h"
#include "app/viewer_window.h"
#include "res/resource.h"
#include "wizard/wiz_property_page.h"
#include "wizard/wiz_property_sheet.h"

namespace {

constexpr int kShortcutBoxes[] = {IDC_DESKTOP_SHORTCUT, IDC_THUMBS_SHORTCUT, IDC_GROUP_SHORTCUT};

void EnableScopeButtons(HWND page, BOOL enable) {
  EnableWindow(GetDlgItem(page, IDC_CURRENT_USER), enable);
  EnableWindow(GetDlgItem(page, IDC_ALL_USERS), enable);
}

}  // namespace

void CWizPropertyPage::ActivateOptionsPage() {
  sheet->EnableButton(kWizardBackButton, FALSE);
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP));
  SendMessageW(SheetWindow(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

  if (firstActivation) {
    SetDlgItemTextW(SheetWindow(), kWizardBackButton, L"< &Zur\u00fcck");
    SetDlgItemTextW(SheetWindow(), kWizardNextButton, L"&Weiter >");
    SetHeadingFont(IDC_WELCOME_HEADING);
    for (int box : kShortcutBoxes) CheckDlgButton(m_hWnd, box, BST_CHECKED);
    CheckDlgButton(m_hWnd, IDC_CURRENT_USER, BST_CHECKED);

    wchar_t folder[MAX_PATH] = {};
    GetDefaultInstallFolder(folder);
    SetDlgItemTextW(m_hWnd, IDC_FOLDER_EDIT, folder);
    wchar_t previous[MAX_PATH] = {};
    if (GetPreviousInstallFolder(previous)) SetDlgItemTextW(m_hWnd, IDC_FOLDER_EDIT, previous);
  }

  if (IsViewerRunning()) {
    ShowMessage(IDS_VIEWER_RUNNING, MB_ICONEXCLAMATION);
  }
  firstActivation = 0;
}

bool CWizPropertyPage::ValidateTargetFolder() {
  wchar_t folder[MAX_PATH] = {};
  sheet->TargetFolder(folder);
  // Only the drive part is needed; the other parts are not asked for.
  wchar_t drive[_MAX_DRIVE] = {};
  _wsplitpath(folder, drive, nullptr, nullptr, nullptr);
  if (folder[0] != L'\0' && drive[0] != L'\0') return true;
  ShowMessage(IDS_INVALID_FOLDER, MB_ICONERROR);
  return false;
}

void CWizPropertyPage::OnShortcutChanged() {
  BOOL any = FALSE;
  for (int box : kShortcutBoxes) any |= IsDlgButtonChecked(m_hWnd, box) == BST_CHECKED;
  EnableScopeButtons(m_hWnd, any);
}

void CWizPropertyPage::OnNoShortcuts() {
  for (int box : kShortcutBoxes) CheckDlgButton(m_hWnd, box, BST_UNCHECKED);
  EnableScopeButtons(m_hWnd, FALSE);
}
