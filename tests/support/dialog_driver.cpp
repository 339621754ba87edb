#include "support/dialog_driver.h"

#include <cwchar>

#include "support/test_support.h"

namespace lktest {

namespace {

struct DialogSearch {
  DWORD processId;
  int childId;
  HWND exclude;
  bool visibleOnly;
  HWND found;
};

bool IsDialogClass(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return wcscmp(name, L"#32770") == 0;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->processId || window == search->exclude) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (!IsDialogClass(window) || !GetDlgItem(window, search->childId)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

bool IsUsable(HWND window) { return window && IsWindowVisible(window) && IsWindowEnabled(window); }

HWND FindDialog(DWORD processId, int childId, HWND exclude, bool visibleOnly) {
  DialogSearch search = {processId, childId, exclude, visibleOnly, nullptr};
  EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForDialog(DWORD processId, int childId, HWND exclude, DWORD timeoutMs,
                   bool visibleOnly) {
  HWND dialog = nullptr;
  WaitUntil(timeoutMs, [&] {
    dialog = FindDialog(processId, childId, exclude, visibleOnly);
    return dialog != nullptr;
  });
  return dialog;
}

HWND WaitForMessageBox(DWORD processId, HWND exclude, DWORD timeoutMs) {
  return WaitForDialog(processId, kMessageBoxTextId, exclude, timeoutMs);
}

bool PostClick(HWND button) {
  return IsUsable(button) && PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool AnswerMessageBox(HWND box, int buttonId) {
  HWND button = GetDlgItem(box, buttonId);
  if (!IsUsable(button)) return false;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return WaitUntil(10000, [box] { return !IsWindow(box) || !IsWindowVisible(box); });
}

}  // namespace lktest
