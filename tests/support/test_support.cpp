#include "support/test_support.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>

#include "framework/scoped_handles.h"
#include "support/scratch_drive.h"

namespace lktest {

namespace {

std::wstring UniqueName(const wchar_t* prefix) {
  static LONG counter = 0;
  wchar_t name[128];
  swprintf(name, 128, L"%ls%lu_%lu_%ld", prefix, GetCurrentProcessId(), GetTickCount(),
           InterlockedIncrement(&counter));
  return name;
}

HKEY CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  return key;
}

}  // namespace

ScratchRegistry::ScratchRegistry() : path_(L"Software\\LumenkastTests\\" + UniqueName(L"r")) {
  machine_ = CreateKey(path_ + L"\\HKLM");
  user_ = CreateKey(path_ + L"\\HKCU");
  classes_ = CreateKey(path_ + L"\\HKLM\\SOFTWARE\\Classes");
  // Keys an installed Windows always has, which the program opens but does not create.
  HKEY k = nullptr;
  RegCreateKeyW(machine_, L"SOFTWARE\\RegisteredApplications", &k);
  if (k) RegCloseKey(k);
  RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
  RegOverridePredefKey(HKEY_CURRENT_USER, user_);
}

ScratchRegistry::~ScratchRegistry() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegCloseKey(classes_);
  RegCloseKey(user_);
  RegCloseKey(machine_);
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

UnwritableRegistry::UnwritableRegistry() : path_(L"Software\\LumenkastTests\\" + UniqueName(L"u")) {
  RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                  KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  RegOverridePredefKey(HKEY_CLASSES_ROOT, key_);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_);
  RegOverridePredefKey(HKEY_CURRENT_USER, key_);
}

UnwritableRegistry::~UnwritableRegistry() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegCloseKey(key_);
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + UniqueName(L"lktest_") + L"\\";
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

CurrentDirectoryGuard::CurrentDirectoryGuard() { GetCurrentDirectoryW(MAX_PATH, saved_); }
CurrentDirectoryGuard::~CurrentDirectoryGuard() { SetCurrentDirectoryW(saved_); }

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const wchar_t* name, const wchar_t* value)
    : name_(name) {
  wchar_t buffer[32767];
  DWORD n = GetEnvironmentVariableW(name, buffer, 32767);
  hadOld_ = n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  if (hadOld_) old_.assign(buffer, n);
  SetEnvironmentVariableW(name, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  SetEnvironmentVariableW(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

namespace {

// The host's path of a Windows path, from Wine's kernel32; empty outside Wine.
std::string UnixPath(const std::wstring& path) {
  using UnixFileNameFn = char*(CDECL*)(const wchar_t*);
  auto unixFileName = reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixFileName) return std::string();
  char* name = unixFileName(path.c_str());
  if (!name) return std::string();
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// A host path quoted for the shell (the paths used here hold no single quote).
std::string ShellQuoted(const std::string& path) { return "'" + path + "'"; }

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void RemoveTree(const std::wstring& path) {
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveSymbolicLink(child);  // never what it leads to
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  lk::ScopedFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
  if (!find) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find.Get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// How ListTree marks a link or junction: after its name.
constexpr wchar_t kLinkMark[] = L" ->";
constexpr size_t kLinkMarkLength = 3;

// An entry of ListTree that is a file: neither a folder nor a link.
bool IsFileEntry(const std::wstring& entry) {
  const bool link = entry.size() >= kLinkMarkLength &&
                    entry.compare(entry.size() - kLinkMarkLength, kLinkMarkLength, kLinkMark) == 0;
  return !link && entry.back() != L'\\';
}

void CollectTree(const std::wstring& root, const std::wstring& relative,
                 std::vector<std::wstring>* tree) {
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle search(FindFirstFileW((root + relative + L"*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      tree->push_back(relative + name + kLinkMark);
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree->push_back(relative + name + L"\\");
      CollectTree(root, relative + name + L"\\", tree);
    } else {
      tree->push_back(relative + name);
    }
  } while (FindNextFileW(search.Get(), &found));
}

}  // namespace

std::vector<std::wstring> ListTree(const std::wstring& root) {
  std::vector<std::wstring> tree;
  CollectTree(root, L"", &tree);
  std::sort(tree.begin(), tree.end());
  return tree;
}

TreeContents ReadTree(const std::wstring& root) {
  TreeContents contents;
  for (const std::wstring& entry : ListTree(root)) {
    contents[entry] = IsFileEntry(entry) ? ReadFileBytes(root + entry) : std::string();
  }
  return contents;
}

std::string DescribeTree(const std::vector<std::wstring>& entries) {
  std::string text;
  for (const std::wstring& entry : entries) text += Narrow(entry) + " ";
  return text;
}

std::string DescribeTree(const TreeContents& contents) {
  std::string text;
  for (const auto& entry : contents) text += Narrow(entry.first) + " ";
  return text;
}

std::wstring TempFolderPath() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return temp;
}

std::vector<std::wstring> TemporaryArchives() {
  std::vector<std::wstring> found;
  for (const std::wstring& name : ListFolder(TempFolderPath())) {
    if (name.compare(0, 11, L"lkmaing_x64") == 0) found.push_back(name);
  }
  return found;
}

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(f);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}


void RemoveSymbolicLink(const std::wstring& link) {
  std::wstring linkPath = link;
  while (!linkPath.empty() && linkPath.back() == L'\\') linkPath.pop_back();
  const std::string unixLink = UnixPath(linkPath);
  if (unixLink.empty()) return;
  RunHostShell("rm -f " + ShellQuoted(unixLink));
}

bool MakeSymbolicLink(const std::wstring& target, const std::wstring& link) {
  std::wstring linkPath = link;
  while (!linkPath.empty() && linkPath.back() == L'\\') linkPath.pop_back();
  const std::string unixTarget = UnixPath(target);
  const std::string unixLink = UnixPath(linkPath);
  if (unixTarget.empty() || unixLink.empty()) return false;
  return RunHostShell("ln -s " + ShellQuoted(unixTarget) + " " + ShellQuoted(unixLink)) &&
         PathExists(linkPath);
}

ChildProcess::~ChildProcess() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool StartProcess(const std::wstring& commandLine, const std::wstring& directory, DWORD flags,
                  PROCESS_INFORMATION* started) {
  constexpr int kAttempts = 3;
  for (int attempt = 1;; ++attempt) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring line = commandLine;  // CreateProcessW may write into it
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, flags, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, started)) {
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == kAttempts) {
      SetLastError(error);
      return false;
    }
    fprintf(stderr, "Wine lost %s while it started it; started again\n",
            Narrow(commandLine).c_str());
  }
}

bool ChildProcess::Start(const std::wstring& commandLine, const std::wstring& directory,
                         DWORD flags) {
  PROCESS_INFORMATION pi = {};
  if (process_ || !StartProcess(commandLine, directory, flags, &pi)) return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  id_ = pi.dwProcessId;
  return true;
}

int ChildProcess::WaitForExit(DWORD timeoutMs) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

int RunProcess(const std::wstring& commandLine, const std::wstring& directory,
               DWORD timeoutMs) {
  ChildProcess process;
  if (!process.Start(commandLine, directory)) {
    const DWORD error = GetLastError();
    fprintf(stderr, "could not start %s (error %lu)\n", Narrow(commandLine).c_str(), error);
    return -1;
  }
  const int code = process.WaitForExit(timeoutMs);
  if (code == -1 && WaitForSingleObject(process.Handle(), 0) != WAIT_OBJECT_0) {
    fprintf(stderr, "%s did not end within %lu ms\n", Narrow(commandLine).c_str(), timeoutMs);
  }
  return code;
}

std::string Narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace lktest
