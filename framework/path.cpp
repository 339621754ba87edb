#include "framework/path.h"

#include <cwchar>

namespace lk {

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

}  // namespace lk
