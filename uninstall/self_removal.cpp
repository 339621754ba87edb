#include "uninstall/self_removal.h"

#include <cwchar>

#include "app/product_info.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"
#include "uninstall/file_deletion.h"
#include "uninstall/payload_manifest.h"
#include "uninstall/payload_removal.h"

namespace {

// How long the copy waits for the uninstaller to end, and for its file to be free.
constexpr DWORD kParentWaitMs = 5 * 60 * 1000;
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;

// The uninstaller's image stays locked for a moment after its process has ended. Each
// attempt opens the name anew and deletes only the file of that identity.
void DeleteWhenFree(const std::wstring& path, const lk::FileIdentity& identity) {
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    lk::FileIdentity current;
    if (!lk::QueryFileIdentity(path.c_str(), &current) || current != identity) return;
    if (DeleteFileNoFollow(path, &identity)) return;
    Sleep(kDeleteRetryMs);
  }
}

// The uninstaller's name, or the unique name it was given ("lk_uninstall.exe.<n>.del").
bool IsUninstallerName(const std::wstring& name) {
  const size_t length = wcslen(lk::kUninstallerExe);
  return name.size() >= length && lk::SamePathText(name.substr(0, length), lk::kUninstallerExe);
}

// The seed of unique names: this process and the time.
DWORD UniqueSeed() { return GetCurrentProcessId() ^ GetTickCount(); }

// A new folder in the temporary folder, with a trailing backslash; empty on failure.
std::wstring CreateUniqueTempFolder() {
  wchar_t temp[MAX_PATH] = {};
  if (!GetTempPathW(MAX_PATH, temp)) return L"";
  const DWORD seed = UniqueSeed();
  for (DWORD n = 0; n < 1000; ++n) {
    wchar_t name[32] = {};
    _snwprintf(name, 31, L"lk_uninstall_%08lx", static_cast<unsigned long>(seed + n));
    const std::wstring folder = std::wstring(temp) + name;
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder + L"\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return L"";
  }
  return L"";
}

// Renames the running uninstaller to a unique name beside it; the new path, or exePath
// when it cannot be renamed.
std::wstring RenameToUniqueName(const std::wstring& exePath) {
  const DWORD seed = UniqueSeed();
  for (DWORD n = 0; n < 100; ++n) {
    wchar_t suffix[32] = {};
    _snwprintf(suffix, 31, L".%08lx.del", static_cast<unsigned long>(seed + n));
    const std::wstring unique = exePath + suffix;
    if (MoveFileExW(exePath.c_str(), unique.c_str(), 0)) return unique;
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return exePath;
}

void PutBackName(const std::wstring& unique, const std::wstring& exePath) {
  if (unique != exePath) MoveFileExW(unique.c_str(), exePath.c_str(), 0);
}

// Starts copy with the command line; 1 when it runs.
int StartCopy(const std::wstring& copy, const std::wstring& folder, std::wstring command) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  // The copy starts in its own folder, so that it holds no folder it is to remove.
  if (!CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

}  // namespace

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring IdentityText(const lk::FileIdentity& identity) {
  wchar_t text[40] = {};
  _snwprintf(text, 39, L"%08lx-%08lx-%08lx", static_cast<unsigned long>(identity.volumeSerial),
             static_cast<unsigned long>(identity.indexHigh),
             static_cast<unsigned long>(identity.indexLow));
  return text;
}

bool ParseIdentityText(const std::wstring& text, lk::FileIdentity* identity) {
  if (text.size() != 26 || text[8] != L'-' || text[17] != L'-') return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != 8 && i != 17 && !iswxdigit(text[i])) return false;
  }
  identity->volumeSerial = wcstoul(text.substr(0, 8).c_str(), nullptr, 16);
  identity->indexHigh = wcstoul(text.substr(9, 8).c_str(), nullptr, 16);
  identity->indexLow = wcstoul(text.substr(18, 8).c_str(), nullptr, 16);
  return true;
}

int HandOverToCopy(const std::wstring& exePath) {
  lk::FileIdentity identity;
  if (!lk::QueryFileIdentity(exePath.c_str(), &identity)) return 0;
  const std::wstring folder = CreateUniqueTempFolder();
  if (folder.empty()) return 0;
  const std::wstring copy = folder + lk::NameOfPath(exePath);
  if (!CopyFileW(exePath.c_str(), copy.c_str(), FALSE)) {
    RemoveDirectoryW(folder.c_str());
    return 0;
  }
  const std::wstring unique = RenameToUniqueName(exePath);
  HANDLE self = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                  SYNCHRONIZE, TRUE, 0);
  lk::ScopedFileHandle parent(self);
  const std::wstring command = L"\"" + copy + L"\" /finish=" +
                               std::to_wstring(reinterpret_cast<ULONG_PTR>(self)) + L" /id=" +
                               IdentityText(identity) + L" \"/exe=" + unique + L"\"";
  if (!StartCopy(copy, folder, command)) {
    PutBackName(unique, exePath);
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
  }
  return 1;
}

void RemoveUninstallerFile(const std::wstring& exePath, const lk::FileIdentity& identity) {
  const std::wstring folder = lk::FolderOfPath(exePath);
  const std::wstring name = lk::NameOfPath(exePath);
  // Only ever the uninstaller's own file, and never through a link.
  if (folder.empty() || !IsUninstallerName(name) || !IsReachableWithoutLinks(folder, name)) return;
  DeleteWhenFree(exePath, identity);
  RemoveEmptyPayloadFolders(folder, kPayloadEntries, kPayloadEntryCount);
}

int FinishAsCopy(HANDLE parent, const std::wstring& exePath, const lk::FileIdentity& identity) {
  if (parent) {
    WaitForSingleObject(parent, kParentWaitMs);
    CloseHandle(parent);
  }
  RemoveUninstallerFile(exePath, identity);
  const std::wstring self = OwnPath();
  if (MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    const std::wstring ownFolder = lk::FolderOfPath(self);
    MoveFileExW(ownFolder.substr(0, ownFolder.size() - 1).c_str(), nullptr,
                MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return 0;
}
