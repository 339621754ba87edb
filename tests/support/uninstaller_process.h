// Runs the installed uninstaller as a user or an administrator's tool would, and waits for
// (and clears away) the copy it leaves in the temporary folder to remove itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace lktest {

// Control ids of the uninstaller's window.
constexpr int kUninstallPurgeBox = 1002;
constexpr int kUninstallProgress = 1003;
constexpr int kUninstallRemoveButton = IDOK;
constexpr int kUninstallCancelButton = IDCANCEL;

// Runs folder\lk_uninstall.exe with arguments in directory and returns its exit code once
// its copy has finished too.
int RunUninstaller(const std::wstring& folder, const std::wstring& arguments,
                   const std::wstring& directory);
// The same for the uninstaller file at exePath (a copy, a short path).
int RunUninstallerFile(const std::wstring& exePath, const std::wstring& arguments,
                       const std::wstring& directory);

// Waits until no process named lk_uninstall.exe runs any more.
bool WaitForUninstallers(DWORD timeoutMs);

// The folders the uninstaller's copies were put in (in the temporary folder).
std::vector<std::wstring> UninstallerCopyFolders();

// The files marked for deletion at the next start of Windows, in order.
std::vector<std::wstring> PendingDeletions();

// Removes the copies' folders and the pending deletions, as the next start would.
void RemoveUninstallerCopies();

// One run of the uninstaller with its window, driven from outside.
class UninstallerWindow {
 public:

  // Starts folder\lk_uninstall.exe with arguments and waits for its window.
  bool Start(const std::wstring& folder, const std::wstring& directory, DWORD timeoutMs = 20000,
             const std::wstring& arguments = L"");
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  // Clicks a button of the window as a user; false when the user could not. The click's
  // work (the removal, a message box) is not waited for.
  bool Click(int id);
  // Clicks a check box and waits until the window has handled it.
  bool Toggle(int id);
  // A message box of the process (any window but the main one), waited for.
  HWND WaitForMessageBox(DWORD timeoutMs = 30000) const;
  // The exit code once the process has ended within timeoutMs, -1 otherwise.
  int WaitForExit(DWORD timeoutMs = 30000);

 private:
  ChildProcess process_;  // ended on destruction if it still runs
  HWND window_ = nullptr;
};

}  // namespace lktest
