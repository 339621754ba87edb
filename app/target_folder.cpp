#include "app/target_folder.h"

#include <shlobj.h>

#include <cwchar>
#include <cwctype>

#include "app/product_info.h"
#include "app/string_table.h"
#include "framework/file_links.h"
#include "framework/folder_tree.h"
#include "framework/path.h"
#include "framework/protected_folder.h"
#include "framework/registry.h"
#include "framework/scoped_handles.h"
#include "integration/registry_names.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kFallbackFolder[] = L"C:\\Lumenkast\\";
constexpr wchar_t kProgramFilesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";
// The system's program folders: what lies in them has the program folder's permissions.
constexpr const wchar_t* kProgramFolderValues[] = {L"ProgramFilesDir", L"ProgramFilesDir (x86)",
                                                   L"ProgramW6432Dir"};

// Whether path could be made the current directory: a folder that opens for traversal, as
// SetCurrentDirectoryW opens it. The process's current directory itself is never changed.
bool CanBeEntered(const wchar_t* path) {
  lk::ScopedFileHandle folder(CreateFileW(path, FILE_TRAVERSE | SYNCHRONIZE, lk::kShareAll,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
  BY_HANDLE_FILE_INFORMATION information = {};
  return folder && GetFileInformationByHandle(folder.Get(), &information) &&
         (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// True when path is folder or lies below it.
bool IsInFolder(const std::wstring& path, const std::wstring& folder) {
  const std::wstring base = lk::WithoutTrailingSeparators(folder);
  return !base.empty() && path.size() >= base.size() &&
         lk::SamePathText(path.substr(0, base.size()), base) &&
         (path.size() == base.size() || lk::IsPathSeparator(path[base.size()]) ||
          lk::IsPathSeparator(base.back()));
}

// True when the process runs with an administrator's full rights. Not elevated, it makes
// folders as the user it runs for, who could not write into a folder made as the program
// folder is.
bool IsElevated() {
  lk::ScopedFileHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
         elevation.TokenIsElevated != 0;
}

// Creates one folder of a tree; the first one a tree creation makes gets protection when
// asked for, and the folders below it inherit it.
bool CreateTreeFolder(const wchar_t* folder, bool* protectNext) {
  if (!*protectNext) return CreateDirectoryW(folder, nullptr) != FALSE;
  if (!lk::CreateProtectedFolder(folder, lk::FolderProtection::kProgramFolder)) return false;
  *protectNext = false;
  return true;
}

// path with the blanks at the end of each of its components removed and a trailing
// backslash; a run of backslashes is one, but for a network path's leading two.
std::wstring TrimmedComponents(const wchar_t* path) {
  std::wstring trimmed;
  for (const wchar_t* p = path;; ++p) {
    if (*p != L'\0' && *p != L'\\') {
      trimmed += *p;
      continue;
    }
    while (!trimmed.empty() && trimmed.back() == L' ') trimmed.pop_back();
    if (trimmed.empty() || trimmed.back() != L'\\' || trimmed == L"\\") trimmed += L'\\';
    if (*p == L'\0') return trimmed;
  }
}

// CreateFolderTree's work; with protectTopMost the top-most folder it makes is made as the
// program folder is.
int CreateTree(wchar_t* path, std::vector<std::wstring>* created, bool protectTopMost) {
  TrimSpaces(path);
  if (path[0] == L'\0') return 0;
  lk::AppendTrailingBackslash(path, MAX_PATH);
  if (CanBeEntered(path)) return 1;

  const std::wstring tree = TrimmedComponents(path);
  lk::MakeFolderTree(tree, [&](const std::wstring& folder) {
    if (!CreateTreeFolder(folder.c_str(), &protectTopMost)) return false;
    if (created) created->push_back(folder);
    return true;
  });
  wcsncpy(path, tree.c_str(), MAX_PATH - 1);
  path[MAX_PATH - 1] = L'\0';
  return CanBeEntered(path) ? 1 : 0;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    wchar_t start[MAX_PATH] = {};
    wcsncpy(start, reinterpret_cast<const wchar_t*>(data), MAX_PATH - 1);
    size_t length = wcslen(start);
    if (length > 3 && start[length - 1] == L'\\') start[length - 1] = L'\0';
    SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start));
  }
  return 0;
}

}  // namespace

void GetDefaultInstallFolder(wchar_t (&folder)[MAX_PATH]) {
  wcscpy(folder, kFallbackFolder);
  wchar_t programFiles[MAX_PATH] = {};
  if (!lk::ReadRegistryString(HKEY_LOCAL_MACHINE, kProgramFilesKey, L"ProgramFilesDir",
                              programFiles, MAX_PATH)) {
    return;
  }
  wchar_t joined[MAX_PATH] = {};
  if (lk::JoinPath(programFiles, lk::kProductName, joined)) wcscpy(folder, joined);
}

bool GetPreviousInstallFolder(wchar_t (&folder)[MAX_PATH]) {
  folder[0] = L'\0';
  wchar_t command[MAX_PATH] = {};
  const std::wstring openCommandKey = std::wstring(lk::kIdentifierKey) + lk::kOpenCommandSubkey;
  if (!lk::ReadRegistryString(HKEY_LOCAL_MACHINE, openCommandKey.c_str(), nullptr, command,
                              MAX_PATH)) {
    return false;
  }
  if (command[0] == L'\0' || !wcsstr(command, lk::kViewerExe)) return false;

  // The command starts with a quote: take the path up to the closing one.
  wchar_t exePath[MAX_PATH] = {};
  const wchar_t* start = command + 1;
  const wchar_t* end = wcschr(start, L'"');
  size_t length = end ? static_cast<size_t>(end - start) : wcslen(start);
  wcsncpy(exePath, start, length);

  wchar_t drive[_MAX_DRIVE] = {}, directory[_MAX_DIR] = {};
  _wsplitpath(exePath, drive, directory, nullptr, nullptr);
  _snwprintf(folder, MAX_PATH - 1, L"%ls%ls", drive, directory);
  folder[MAX_PATH - 1] = L'\0';
  lk::AppendTrailingBackslash(folder, MAX_PATH);
  return true;
}

void GetProposedInstallFolder(wchar_t (&folder)[MAX_PATH]) {
  if (!GetPreviousInstallFolder(folder)) GetDefaultInstallFolder(folder);
}

void TrimSpaces(wchar_t* text) {
  size_t length = wcslen(text);
  if (length == 0) return;
  while (length > 0 && text[length - 1] == L' ') text[--length] = L'\0';
  if (text[0] == L' ' && length < MAX_PATH) {
    size_t skip = wcsspn(text, L" ");
    wmemmove(text, text + skip, length - skip + 1);
  }
}

bool IsAbsoluteDriveFolder(const wchar_t* folder) {
  const wchar_t* p = folder + wcsspn(folder, L" ");
  const bool letter = (p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z');
  return letter && p[1] == L':' && lk::IsPathSeparator(p[2]);
}

std::wstring NormalizedTargetFolder(const wchar_t* folder) {
  const wchar_t* start = folder + wcsspn(folder, L" ");
  return *start ? lk::FullPathOf(TrimmedComponents(start).c_str()) : std::wstring();
}

int CreateFolderTree(wchar_t* path, std::vector<std::wstring>* created) {
  return CreateTree(path, created, false);
}

bool IsInSystemProgramFolder(const wchar_t* folder) {
  const std::wstring full = lk::FullPathOf(folder);
  if (full.empty()) return false;
  for (const wchar_t* value : kProgramFolderValues) {
    wchar_t programFolder[MAX_PATH] = {};
    if (lk::ReadRegistryString(HKEY_LOCAL_MACHINE, kProgramFilesKey, value, programFolder,
                               MAX_PATH) &&
        IsInFolder(full, lk::FullPathOf(programFolder))) {
      return true;
    }
  }
  return false;
}

int CreateTargetFolder(wchar_t* path, std::vector<std::wstring>* created) {
  TrimSpaces(path);
  const std::wstring target = NormalizedTargetFolder(path);
  if (target.empty() || !lk::IsReachableWithoutUntrustedLinks(target, target)) return 0;
  const bool protect = IsElevated() && !IsInSystemProgramFolder(target.c_str());
  if (!CreateTree(path, created, protect)) return 0;
  // Once more now that it exists: a link swapped in while it was made is refused as well.
  return lk::IsReachableWithoutUntrustedLinks(target, target) ? 1 : 0;
}

bool BrowseForTargetFolder(HWND owner, wchar_t* folder) {
  std::wstring title = LoadResString(IDS_BROWSE_TITLE);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(folder);

  lk::ScopedCoTaskMem item(SHBrowseForFolderW(&info));
  if (!item) return false;
  wchar_t chosen[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.Get()), chosen)) return false;
  wcscpy(folder, chosen);
  lk::AppendTrailingBackslash(folder, MAX_PATH);
  return true;
}

void AppendProductFolderIfMissing(wchar_t* folder) {
  lk::AppendTrailingBackslash(folder, MAX_PATH);
  size_t length = wcslen(folder);
  // The backslash before the last one, searched from the second-to-last character.
  long beforeLast = -1;
  for (long i = static_cast<long>(length) - 2; i >= 0; --i) {
    if (folder[i] == L'\\') {
      beforeLast = i;
      break;
    }
  }
  bool append = beforeLast > 0 ? _wcsicmp(folder + beforeLast, L"\\lumenkast\\") != 0
                                 : length == 3;
  wchar_t joined[MAX_PATH] = {};
  if (append && lk::JoinPath(folder, L"Lumenkast\\", joined)) wcscpy(folder, joined);
}

void ApplyBrowsedFolder(HWND page) {
  wchar_t folder[MAX_PATH] = {};
  GetDlgItemTextW(page, IDC_FOLDER_EDIT, folder, MAX_PATH);
  if (!BrowseForTargetFolder(GetActiveWindow(), folder)) return;
  AppendProductFolderIfMissing(folder);
  SetDlgItemTextW(page, IDC_FOLDER_EDIT, folder);
}
