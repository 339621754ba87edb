#include "uninstall/payload_removal.h"

#include <windows.h>

#include "framework/scoped_handles.h"

namespace {

bool IsFolderEntry(const wchar_t* entry) {
  const size_t length = wcslen(entry);
  return length > 0 && entry[length - 1] == L'\\';
}

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && !b.empty() && CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) ==
                                         CSTR_EQUAL;
}

bool IsGoneAlready(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Deletes one file (read-only or not); 1 when it is gone.
int DeleteOneFile(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return 1;
  DWORD error = GetLastError();
  if (IsGoneAlready(error)) return 1;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileW(path.c_str())) return 1;
    SetFileAttributesW(path.c_str(), attributes);
  }
  return 0;
}

// Removes a link as a link: a folder link with RemoveDirectoryW, a file link with DeleteFileW.
int RemoveLink(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(path.c_str()) ? 1 : 0;
  return DeleteFileW(path.c_str()) ? 1 : 0;
}

}  // namespace

bool IsReachableWithoutLinks(const std::wstring& folder, const std::wstring& relative) {
  for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos;
       slash = relative.find(L'\\', slash + 1)) {
    if (slash + 1 == relative.size()) break;  // the last part (a folder entry) itself
    if (IsLink(GetFileAttributesW((folder + relative.substr(0, slash)).c_str()))) return false;
  }
  return true;
}

int RemovePayloadFiles(const std::wstring& folder, const wchar_t* const* entries, int count,
                       const std::wstring& keep, RemovalProgress* progress,
                       std::vector<std::wstring>* failures) {
  int result = 1;
  for (int i = 0; i < count; ++i) {
    if (progress) progress->Advance();
    if (IsFolderEntry(entries[i])) continue;
    const std::wstring path = folder + entries[i];
    if (SamePath(path, keep) || !IsReachableWithoutLinks(folder, entries[i])) continue;
    if (DeleteOneFile(path)) continue;
    failures->push_back(path);
    result = 0;
  }
  return result;
}

int RemoveEmptyPayloadFolders(const std::wstring& folder, const wchar_t* const* entries,
                              int count) {
  for (int i = count - 1; i >= 0; --i) {
    if (!IsFolderEntry(entries[i]) || !IsReachableWithoutLinks(folder, entries[i])) continue;
    const std::wstring path = folder + entries[i];
    if (IsLink(GetFileAttributesW(path.c_str()))) continue;
    RemoveDirectoryW(path.c_str());
  }
  RemoveDirectoryW(folder.c_str());
  return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int RemoveFolderContents(const std::wstring& folder, const std::wstring& keep,
                         std::vector<std::wstring>* failures) {
  WIN32_FIND_DATAW found;
  lk::ScopedFindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
  if (!search) return 1;
  int result = 1;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + name;
    const DWORD attributes = found.dwFileAttributes;
    if (IsLink(attributes)) {
      RemoveLink(path, attributes);  // where links cannot be removed, they stay
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!RemoveFolderContents(path + L"\\", keep, failures)) {
        result = 0;
      } else if (!RemoveDirectoryW(path.c_str()) && GetLastError() != ERROR_DIR_NOT_EMPTY) {
        failures->push_back(path + L"\\");
        result = 0;
      }
    } else if (!SamePath(path, keep) && !DeleteOneFile(path)) {
      failures->push_back(path);
      result = 0;
    }
  } while (FindNextFileW(search.Get(), &found));
  return result;
}
