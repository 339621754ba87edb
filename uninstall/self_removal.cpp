#include "uninstall/self_removal.h"

#include <cstring>
#include <cwchar>

#include "app/product_info.h"
#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/protected_folder.h"
#include "framework/run_guard.h"
#include "framework/scoped_handles.h"
#include "framework/unique_file.h"
#include "uninstall/file_deletion.h"
#include "uninstall/payload_manifest.h"
#include "uninstall/payload_removal.h"

namespace {

// How long the copy waits for the uninstaller to end, and for its file (or a copy not
// started) to be free.
constexpr DWORD kParentWaitMs = 5 * 60 * 1000;
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;
constexpr DWORD kCopyBlock = 64 * 1024;
// The copy's folder: this stem and unique letters or digits.
constexpr wchar_t kCopyFolderStem[] = L"lk_uninstall_";

using GetTempPath2Function = DWORD(WINAPI*)(DWORD, LPWSTR);

// The uninstaller's image stays locked for a moment after its process has ended. Each
// attempt opens the name anew and deletes only the file of that identity.
void DeleteWhenFree(const std::wstring& path, const lk::FileIdentity& identity) {
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    lk::FileIdentity current;
    if (!lk::QueryFileIdentity(path.c_str(), &current) || current != identity) return;
    if (DeleteFileNoFollow(lk::FolderOfPath(path), path, &identity)) return;
    Sleep(kDeleteRetryMs);
  }
}

// The uninstaller's name, or the unique name it was given ("lk_uninstall.exe.<n>.del").
bool IsUninstallerName(const std::wstring& name) {
  const size_t length = wcslen(lk::kUninstallerExe);
  return name.size() >= length && lk::SamePathText(name.substr(0, length), lk::kUninstallerExe);
}

// Deletes the uninstaller's file at exePath, never through a link; true when exePath was
// one of its names (its folder may then be tidied).
bool DeleteUninstallerFile(const std::wstring& exePath, const lk::FileIdentity& identity) {
  const std::wstring folder = lk::FolderOfPath(exePath);
  if (folder.empty() || !IsUninstallerName(lk::NameOfPath(exePath)) ||
      !lk::IsReachableWithoutUntrustedLinks(folder, exePath)) {
    return false;
  }
  DeleteWhenFree(exePath, identity);
  return true;
}

// Renames the running uninstaller to a unique name beside it; the new path, or exePath
// when it cannot be renamed.
std::wstring RenameToUniqueName(const std::wstring& exePath) {
  const DWORD seed = GetCurrentProcessId() ^ GetTickCount();
  for (DWORD n = 0; n < 100; ++n) {
    wchar_t suffix[32] = {};
    _snwprintf(suffix, 31, L".%08lx.del", static_cast<unsigned long>(seed + n));
    const std::wstring unique = exePath + suffix;
    if (MoveFileExW(exePath.c_str(), unique.c_str(), 0)) return unique;
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return exePath;
}

bool CopyContent(HANDLE source, HANDLE target) {
  char block[kCopyBlock];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(source, block, kCopyBlock, &read, nullptr)) return false;
    if (read == 0) return true;
    DWORD written = 0;
    if (!WriteFile(target, block, read, &written, nullptr) || written != read) return false;
  }
}

bool ReadBlock(HANDLE file, char* block, DWORD* read) {
  return ReadFile(file, block, kCopyBlock, read, nullptr) != FALSE;
}

// Whether the two files hold the same bytes, read from their beginnings.
bool SameContent(HANDLE a, HANDLE b) {
  const LARGE_INTEGER start = {};
  if (!SetFilePointerEx(a, start, nullptr, FILE_BEGIN) ||
      !SetFilePointerEx(b, start, nullptr, FILE_BEGIN)) {
    return false;
  }
  char blockA[kCopyBlock];
  char blockB[kCopyBlock];
  for (;;) {
    DWORD readA = 0, readB = 0;
    if (!ReadBlock(a, blockA, &readA) || !ReadBlock(b, blockB, &readB) || readA != readB ||
        memcmp(blockA, blockB, readA) != 0) {
      return false;
    }
    if (readA == 0) return true;
  }
}

// The copy of the uninstaller, made new in a new folder that only Administrators and SYSTEM
// can change, and held open for reading only, without write or delete sharing, until it
// has been started: the file that is started is the one written here.
class UninstallerCopy {
 public:
  ~UninstallerCopy() { Discard(); }

  bool Make(const std::wstring& source) {
    const std::wstring root = CopyRootFolder();
    wchar_t folder[MAX_PATH] = {};
    if (root.empty() || !lk::CreateUniqueFolder(root.c_str(), kCopyFolderStem,
                                                lk::FolderProtection::kAdministratorsOnly,
                                                folder, MAX_PATH)) {
      return false;
    }
    folder_ = folder;
    path_ = lk::WithTrailingBackslash(folder_) + lk::kUninstallerExe;
    return Write(source) && lk::IsOpenedAt(held_.Get(), folder_, path_);
  }

  // Starts it with the arguments; true when it runs.
  bool Start(const std::wstring& arguments) {
    std::wstring command = L"\"" + path_ + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // The copy starts in its own folder, so that it holds no folder it is to remove.
    if (!CreateProcessW(path_.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                        folder_.c_str(), &startup, &process)) {
      return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    held_.Reset();
    started_ = true;
    return true;
  }

 private:
  // Created new (never an existing name or link), written, then held for reading only: the
  // loader needs read sharing, nobody may write or delete it meanwhile.
  bool Write(const std::wstring& source) {
    lk::ScopedFileHandle from(CreateFileW(source.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    lk::ScopedFileHandle to(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
    if (!from || !to || !CopyContent(from.Get(), to.Get()) || !FlushFileBuffers(to.Get())) {
      return false;
    }
    // From the writing handle to a reading one that shares nothing but reading. The step
    // between shares writing for a moment (a writer the folder's protection admits could
    // slip in): what is held is compared with the source once nobody can write any more.
    lk::ScopedFileHandle reading(ReOpenFile(to.Get(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (!reading) return false;
    to.Reset();
    held_.Reset(ReOpenFile(reading.Get(), GENERIC_READ, FILE_SHARE_READ, 0));
    return held_ && SameContent(from.Get(), held_.Get());
  }

  // A copy that was not started goes with its folder. Whoever opened the new file meanwhile
  // (a virus scanner does, or a writer the folder's protection admits) may still hold it,
  // so the removal is tried again for a while; what then stays goes at the next start.
  void Discard() {
    if (started_ || folder_.empty()) return;
    held_.Reset();
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
      DeleteFileW(path_.c_str());
      RemoveDirectoryW(folder_.c_str());
      // The folder is looked at rather than the answers trusted: a file may come in
      // between the deletion and the removal.
      if (!PathExists(folder_)) return;
      Sleep(kDeleteRetryMs);
    }
    MoveFileExW(path_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(folder_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }

  std::wstring folder_;
  std::wstring path_;
  lk::ScopedFileHandle held_;
  bool started_ = false;
};

// The copy's arguments: this process (inherited handle), the file's identity and name.
std::wstring CopyArguments(HANDLE self, const lk::FileIdentity& identity,
                           const std::wstring& renamed) {
  // A handle's value fits in 32 bits, also in a 64-bit process.
  wchar_t handle[16] = {};
  _snwprintf(handle, 15, L"%lu", HandleToULong(self));
  return std::wstring(L"/finish=") + handle + L" /id=" + IdentityText(identity) + L" \"/exe=" +
         renamed + L"\"";
}

bool StartCopy(const std::wstring& renamed, const lk::FileIdentity& identity) {
  UninstallerCopy copy;
  if (!copy.Make(renamed)) return false;
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
    return false;
  }
  lk::ScopedFileHandle parent(self);
  return copy.Start(CopyArguments(self, identity, renamed));
}

// Whether the uninstaller ended with 0 (a failed one keeps its file for the next run).
bool EndedRemoved(HANDLE parent) {
  WaitForSingleObject(parent, kParentWaitMs);
  DWORD code = 1;
  return GetExitCodeProcess(parent, &code) && code == 0;
}

}  // namespace

std::wstring CopyRootFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const auto getTempPath2 = reinterpret_cast<GetTempPath2Function>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
  const DWORD length = getTempPath2 ? getTempPath2(MAX_PATH + 1, temp)
                                    : GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return L"";
  return lk::WithTrailingBackslash(temp);
}

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

SelfRemoval HandOverToCopy(const std::wstring& exePath) {
  SelfRemoval removal;
  removal.exePath = exePath;
  lk::FileIdentity identity;
  if (!lk::QueryFileIdentity(exePath.c_str(), &identity)) return removal;
  removal.renamed = RenameToUniqueName(exePath);
  if (StartCopy(removal.renamed, identity)) {
    removal.way = SelfRemovalWay::kByCopy;
  } else if (MoveFileExW(removal.renamed.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    removal.way = SelfRemovalWay::kAtRestart;
  } else {
    TakeBack(removal);
  }
  return removal;
}

void TakeBack(const SelfRemoval& removal) {
  if (!removal.renamed.empty() && removal.renamed != removal.exePath) {
    MoveFileExW(removal.renamed.c_str(), removal.exePath.c_str(), 0);
  }
}

void RemoveUninstallerFile(const std::wstring& exePath, const lk::FileIdentity& identity) {
  if (!DeleteUninstallerFile(exePath, identity)) return;
  RemoveEmptyPayloadFolders(lk::FolderOfPath(exePath), kPayloadEntries, kPayloadEntryCount);
}

int FinishAsCopy(HANDLE parent, const std::wstring& exePath, const lk::FileIdentity& identity) {
  lk::ScopedFileHandle waited(parent);
  if (waited && EndedRemoved(waited.Get())) {
    // A setup that runs meanwhile may just have made a folder: the folders stay then.
    const lk::RunGuard guard(0);
    if (guard.Held()) {
      RemoveUninstallerFile(exePath, identity);
    } else {
      DeleteUninstallerFile(exePath, identity);
    }
  }
  const std::wstring self = OwnPath();
  if (MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    MoveFileExW(lk::WithoutTrailingSeparators(lk::FolderOfPath(self)).c_str(), nullptr,
                MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return 0;
}
