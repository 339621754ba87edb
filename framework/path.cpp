#include "framework/path.h"

#include <windows.h>

#include <cwchar>

namespace lk {

namespace {

// The longest absolute path FullPathOf gives, in UTF-16 units.
constexpr DWORD kFullPathUnits = 1024;

}  // namespace

bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t* path, size_t capacity) {
  if (capacity == 0) return false;
  const size_t folderLength = wcslen(folder);
  const size_t separatorLength = (folderLength == 0 || folder[folderLength - 1] == L'\\') ? 0 : 1;
  const size_t nameLength = wcslen(name);
  if (folderLength + separatorLength + nameLength >= capacity) {
    path[0] = L'\0';
    return false;
  }
  // folder may be path itself: move it first, then add the rest.
  wmemmove(path, folder, folderLength);
  if (separatorLength) path[folderLength] = L'\\';
  wmemcpy(path + folderLength + separatorLength, name, nameLength);
  path[folderLength + separatorLength + nameLength] = L'\0';
  return true;
}

bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool SamePathText(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && !b.empty() &&
         CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring WithTrailingBackslash(std::wstring folder) {
  if (!folder.empty() && !IsPathSeparator(folder.back())) folder += L'\\';
  return folder;
}

bool AppendTrailingBackslash(wchar_t* folder, size_t capacity) {
  const size_t length = wcslen(folder);
  if (length == 0 || IsPathSeparator(folder[length - 1])) return true;
  if (length + 1 >= capacity) return false;
  folder[length] = L'\\';
  folder[length + 1] = L'\0';
  return true;
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 3 && IsPathSeparator(path.back())) path.pop_back();
  return path;
}

std::wstring FullPathOf(const wchar_t* path) {
  wchar_t full[kFullPathUnits] = {};
  const DWORD length = GetFullPathNameW(path, kFullPathUnits, full, nullptr);
  return length == 0 || length >= kFullPathUnits ? std::wstring() : std::wstring(full, length);
}

std::wstring FolderOfPath(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring NameOfPath(const std::wstring& path) {
  return path.substr(FolderOfPath(path).size());
}

bool IsNotFoundError(unsigned long error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace lk
