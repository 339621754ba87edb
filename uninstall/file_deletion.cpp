#include "uninstall/file_deletion.h"

#include <windows.h>

#include "framework/path.h"
#include "framework/scoped_handles.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The name itself, never what a link leads to.
lk::ScopedFileHandle OpenForDeletion(const std::wstring& path) {
  return lk::ScopedFileHandle(CreateFileW(
      path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// A read-only file cannot be marked for deletion until the attribute is cleared.
bool ClearReadOnly(HANDLE file) {
  FILE_BASIC_INFO basic = {};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return false;
  if (!(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) return false;
  basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

}  // namespace

bool AttributesOf(HANDLE file, DWORD* attributes) {
  FILE_BASIC_INFO basic = {};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return false;
  *attributes = basic.FileAttributes;
  return true;
}

bool SetDeletionMark(HANDLE file, bool mark) {
  FILE_DISPOSITION_INFO disposition = {mark ? TRUE : FALSE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof(disposition)) != FALSE;
}

bool PathExists(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return !IsMissingError(GetLastError());
}

bool IsReparsePoint(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(lk::WithoutTrailingSeparators(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsFolderEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
  if (!search) return false;  // it cannot be looked into: treat it as holding something
  do {
    if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0) return false;
  } while (FindNextFileW(search.Get(), &found));
  return true;
}

int DeleteFileNoFollow(const std::wstring& path, const lk::FileIdentity* expected) {
  // Some systems resolve a link even through a handle opened as the link itself: a name
  // that shows as a link is never opened for deletion.
  if (IsReparsePoint(path)) return 0;
  lk::ScopedFileHandle file = OpenForDeletion(path);
  if (!file) return IsMissingError(GetLastError()) ? 1 : 0;
  DWORD attributes = 0;
  if (!AttributesOf(file.Get(), &attributes)) return 0;
  // A folder where a file is expected is left alone, and so is whatever turned into a link
  // between the look at the name and the opening.
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
  if (expected) {
    lk::FileIdentity opened;
    if (!lk::QueryFileIdentity(file.Get(), &opened) || opened != *expected) return 0;
  }
  if (!SetDeletionMark(file.Get(), true) && !(ClearReadOnly(file.Get()) && SetDeletionMark(file.Get(), true))) {
    return 0;
  }
  file.Reset();
  return PathExists(path) ? 0 : 1;
}

int RemoveEmptyFolderNoFollow(const std::wstring& name) {
  const std::wstring path = lk::WithoutTrailingSeparators(name);
  if (!PathExists(path)) return 1;
  if (IsReparsePoint(path)) return 0;
  lk::ScopedFileHandle folder = OpenForDeletion(path);
  if (!folder) return 0;
  DWORD attributes = 0;
  if (!AttributesOf(folder.Get(), &attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return 0;
  }
  // Marking fails for a folder that is not empty.
  if (!SetDeletionMark(folder.Get(), true)) return 0;
  folder.Reset();
  return PathExists(path) ? 0 : 1;
}
