#include "uninstall/self_removal.h"

#include "app/product_info.h"
#include "framework/scoped_handles.h"
#include "uninstall/payload_manifest.h"
#include "uninstall/payload_removal.h"

namespace {

// How long the copy waits for the uninstaller to end, and for its file to be free.
constexpr DWORD kParentWaitMs = 5 * 60 * 1000;
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\') + 1); }

// The uninstaller's image stays locked for a moment after its process has ended.
void DeleteWhenFree(const std::wstring& path) {
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
    Sleep(kDeleteRetryMs);
  }
}

bool IsUninstallerName(const std::wstring& name) {
  return CompareStringOrdinal(name.c_str(), -1, lk::kUninstallerExe, -1, TRUE) == CSTR_EQUAL;
}

// A new folder in the temporary folder, with a trailing backslash; empty on failure.
std::wstring CreateUniqueTempFolder() {
  wchar_t temp[MAX_PATH] = {};
  if (!GetTempPathW(MAX_PATH, temp)) return L"";
  const DWORD seed = GetCurrentProcessId() ^ GetTickCount();
  for (DWORD n = 0; n < 1000; ++n) {
    wchar_t name[32] = {};
    _snwprintf(name, 31, L"lk_uninstall_%08lx", static_cast<unsigned long>(seed + n));
    const std::wstring folder = std::wstring(temp) + name;
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder + L"\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return L"";
  }
  return L"";
}

}  // namespace

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

int HandOverToCopy(const std::wstring& exePath) {
  const std::wstring folder = CreateUniqueTempFolder();
  if (folder.empty()) return 0;
  const std::wstring copy = folder + exePath.substr(exePath.rfind(L'\\') + 1);
  if (!CopyFileW(exePath.c_str(), copy.c_str(), FALSE)) {
    RemoveDirectoryW(folder.c_str());
    return 0;
  }
  HANDLE self = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                  SYNCHRONIZE, TRUE, 0);
  lk::ScopedFileHandle parent(self);
  std::wstring command = L"\"" + copy + L"\" /finish=" +
                         std::to_wstring(reinterpret_cast<ULONG_PTR>(self)) + L" \"/exe=" +
                         exePath + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  // The copy starts in its own folder, so that it holds no folder it is to remove.
  if (!CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

int FinishAsCopy(HANDLE parent, const std::wstring& exePath) {
  if (parent) {
    WaitForSingleObject(parent, kParentWaitMs);
    CloseHandle(parent);
  }
  const std::wstring folder = FolderOf(exePath);
  const std::wstring name = exePath.substr(folder.size());
  // Only ever the uninstaller's own file, and never through a link.
  if (!folder.empty() && IsUninstallerName(name) && IsReachableWithoutLinks(folder, name)) {
    DeleteWhenFree(exePath);
    RemoveEmptyPayloadFolders(folder, kPayloadEntries, kPayloadEntryCount);
  }
  const std::wstring self = OwnPath();
  if (MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    const std::wstring ownFolder = FolderOf(self);
    MoveFileExW(ownFolder.substr(0, ownFolder.size() - 1).c_str(), nullptr,
                MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return 0;
}
