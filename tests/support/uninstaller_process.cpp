#include "support/uninstaller_process.h"

#include <tlhelp32.h>

#include "framework/scoped_handles.h"
#include "support/dialog_driver.h"
#include "support/test_support.h"

namespace lktest {

namespace {

constexpr wchar_t kSessionManagerKey[] =
    L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";

bool UninstallerRuns() {
  lk::ScopedFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  if (!snapshot || !Process32FirstW(snapshot.Get(), &entry)) return false;
  do {
    if (_wcsicmp(entry.szExeFile, L"lk_uninstall.exe") == 0) return true;
  } while (Process32NextW(snapshot.Get(), &entry));
  return false;
}

}  // namespace

int RunUninstaller(const std::wstring& folder, const std::wstring& arguments,
                   const std::wstring& directory) {
  return RunUninstallerFile(folder + L"lk_uninstall.exe", arguments, directory);
}

int RunUninstallerFile(const std::wstring& exePath, const std::wstring& arguments,
                       const std::wstring& directory) {
  const int code = RunProcess(L"\"" + exePath + L"\" " + arguments, directory);
  WaitForUninstallers(30000);
  return code;
}

bool WaitForUninstallers(DWORD timeoutMs) {
  return WaitUntil(timeoutMs, [] { return !UninstallerRuns(); });
}

std::vector<std::wstring> UninstallerCopyFolders() {
  const std::wstring temp = TempFolderPath();
  std::vector<std::wstring> folders;
  for (const std::wstring& name : ListFolder(temp)) {
    if (name.compare(0, 13, L"lk_uninstall_") == 0) folders.push_back(temp + name + L"\\");
  }
  return folders;
}

std::vector<std::wstring> PendingDeletions() {
  std::vector<std::wstring> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return names;
  }
  DWORD bytes = 0;
  std::vector<wchar_t> data;
  if (RegQueryValueExW(key, kPendingValue, nullptr, nullptr, nullptr, &bytes) == ERROR_SUCCESS) {
    data.resize(bytes / sizeof(wchar_t) + 2);
    RegQueryValueExW(key, kPendingValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                     &bytes);
  }
  RegCloseKey(key);
  // Pairs of source and target; an empty target means: delete the source.
  std::vector<std::wstring> strings;
  for (size_t i = 0; i < bytes / sizeof(wchar_t);) {
    std::wstring s(&data[i]);
    strings.push_back(s);
    i += s.size() + 1;
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i + 1].empty()) names.push_back(strings[i]);
  }
  return names;
}

void RemoveUninstallerCopies() {
  for (const std::wstring& folder : UninstallerCopyFolders()) RemoveTree(folder);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_SET_VALUE, &key) ==
      ERROR_SUCCESS) {
    RegDeleteValueW(key, kPendingValue);
    RegCloseKey(key);
  }
}

bool UninstallerWindow::Start(const std::wstring& folder, const std::wstring& directory,
                              DWORD timeoutMs, const std::wstring& arguments) {
  if (!process_.Start(L"\"" + folder + L"lk_uninstall.exe\" " + arguments, directory)) {
    return false;
  }
  window_ = WaitForDialog(process_.Id(), kUninstallPurgeBox, nullptr, timeoutMs);
  return window_ != nullptr;
}

bool UninstallerWindow::Click(int id) {
  // Posted: the click may run the whole removal and open a message box.
  return PostClick(Control(id));
}

bool UninstallerWindow::Toggle(int id) {
  HWND box = Control(id);
  DWORD_PTR answer = 0;
  return IsUsable(box) &&
         SendMessageTimeoutW(box, BM_CLICK, 0, 0, SMTO_NORMAL, 2000, &answer) != 0;
}

HWND UninstallerWindow::WaitForMessageBox(DWORD timeoutMs) const {
  return lktest::WaitForMessageBox(process_.Id(), window_, timeoutMs);
}

int UninstallerWindow::WaitForExit(DWORD timeoutMs) { return process_.WaitForExit(timeoutMs); }

}  // namespace lktest
