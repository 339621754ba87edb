// What the wizard does when the user leaves the finish page: the FAQ web page and the
// start of the installed viewer.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "app/product_info.h"
#include "app/target_folder.h"
#include "res/resource.h"
#include "wizard/wiz_property_sheet.h"

namespace {

constexpr int kViewerSearchTries = 5;
constexpr DWORD kFirstWaitMs = 50;
constexpr DWORD kRetryWaitMs = 500;

}  // namespace

bool ComposeViewerPath(const wchar_t* folder, wchar_t (&path)[MAX_PATH]) {
  path[0] = L'\0';
  const size_t length = wcslen(folder);
  const bool needsBackslash = length == 0 || folder[length - 1] != L'\\';
  if (length + (needsBackslash ? 1 : 0) + wcslen(lk::kViewerExe) >= MAX_PATH) return false;
  wcscpy(path, folder);
  if (needsBackslash) wcscat(path, L"\\");
  wcscat(path, lk::kViewerExe);
  return true;
}

void CWizPropertySheet::RunFinishActions() const {
  HWND finish = PageWindow(kFinishPagePosition);
  if (IsDlgButtonChecked(finish, IDC_SHOW_FAQ) == BST_CHECKED) {
    ShellExecuteW(GetDesktopWindow(), L"open", lk::kFaqUrl, nullptr, L"", SW_SHOW);
  }
  if (IsDlgButtonChecked(finish, IDC_START_VIEWER) == BST_CHECKED) StartViewer();
}

void CWizPropertySheet::StartViewer() const {
  wchar_t folder[MAX_PATH] = {};
  GetDlgItemTextW(PageWindow(kOptionsPagePosition), IDC_FOLDER_EDIT, folder, MAX_PATH);
  // The folder the installation used: the field without its surrounding blanks.
  TrimSpaces(folder);
  wchar_t viewer[MAX_PATH] = {};
  if (!ComposeViewerPath(folder, viewer)) return;

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
