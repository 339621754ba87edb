#include "wizard/wiz_property_sheet.h"

#include <shellapi.h>

#include "app/product_info.h"
#include "app/string_table.h"
#include "app/target_folder.h"
#include "framework/path.h"
#include "res/resource.h"

namespace {

constexpr int kViewerSearchTries = 5;
constexpr DWORD kFirstWaitMs = 50;
constexpr DWORD kRetryWaitMs = 500;

}  // namespace

CWizPropertySheet::CWizPropertySheet() : CPropertySheet(L"Lumenkast Setup", nullptr, 0) {
  SetWizardMode();
}

void CWizPropertySheet::EnableButton(int id, BOOL enable) const {
  EnableWindow(GetDlgItem(id), enable);
}

HWND CWizPropertySheet::PageWindow(int position) const {
  CPropertyPage* page = GetPage(position);
  return page ? page->m_hWnd : nullptr;
}

void CWizPropertySheet::TargetFolder(wchar_t (&folder)[MAX_PATH]) const {
  folder[0] = L'\0';
  GetDlgItemTextW(PageWindow(kOptionsPagePosition), IDC_FOLDER_EDIT, folder, MAX_PATH);
  // Blanks around the path are not part of it: the installation trims them too.
  TrimSpaces(folder);
}

BOOL CWizPropertySheet::OnInitDialog() {
  BOOL result = CPropertySheet::OnInitDialog();
  SetDlgItemTextW(m_hWnd, kWizardCancelButton, LoadResString(IDS_BUTTON_QUIT).c_str());
  return result;
}

BOOL CWizPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == kWizardCancelButton) {
    if (GetActiveIndex() == kFinishPagePosition) {
      RunFinishActions();
    } else if (!ConfirmQuit()) {
      return TRUE;
    }
  }
  return CPropertySheet::OnCommand(wParam, lParam);
}

void CWizPropertySheet::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == SC_CLOSE && GetActiveIndex() != kFinishPagePosition && !ConfirmQuit()) {
    return;
  }
  CPropertySheet::OnSysCommand(id, lParam);
}

void CWizPropertySheet::OnTimer(UINT_PTR id) {
  SetWindowText(LoadResString(IDS_CAPTION).c_str());
  CPropertySheet::OnTimer(id);
}

bool CWizPropertySheet::ConfirmQuit() const {
  return MessageBoxW(m_hWnd, LoadResString(IDS_CONFIRM_QUIT).c_str(),
                     LoadResString(IDS_CAPTION).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CWizPropertySheet::RunFinishActions() const {
  HWND finish = PageWindow(kFinishPagePosition);
  if (IsDlgButtonChecked(finish, IDC_SHOW_FAQ) == BST_CHECKED) {
    ShellExecuteW(GetDesktopWindow(), L"open", lk::kFaqUrl, nullptr, L"", SW_SHOW);
  }
  if (IsDlgButtonChecked(finish, IDC_START_VIEWER) == BST_CHECKED) StartViewer();
}

void CWizPropertySheet::StartViewer() const {
  // Started from where it was installed, which need not be the field's text as typed.
  wchar_t viewer[MAX_PATH] = {};
  if (!installedFolder[0] || !lk::JoinPath(installedFolder, lk::kViewerExe, viewer)) return;

  ShellExecuteW(GetActiveWindow(), L"open", viewer, L"", nullptr, SW_SHOW);
  Sleep(kFirstWaitMs);
  for (int attempt = 0; attempt < kViewerSearchTries; ++attempt) {
    if (HWND window = FindWindowExW(nullptr, nullptr, lk::kViewerWindowClass, nullptr)) {
      SetForegroundWindow(window);
      return;
    }
    Sleep(kRetryWaitMs);
  }
}
