#include "framework/folder_tree.h"

#include <windows.h>

#include "framework/path.h"

namespace lk {

namespace {

// Where the walk starts: after a network path's two leading separators, else after the
// first character.
size_t FirstFolderEnd(const std::wstring& path) {
  return path.size() > 1 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]) ? 2 : 1;
}

// False when folder could not be made because one above it is missing.
bool Offer(const std::wstring& folder, const FolderMaker& makeFolder) {
  return makeFolder(folder) || !IsNotFoundError(GetLastError());
}

}  // namespace

bool MakeFolderTree(const std::wstring& path, const FolderMaker& makeFolder) {
  if (path.empty()) return false;
  for (size_t end = FirstFolderEnd(path); end < path.size(); ++end) {
    if (IsPathSeparator(path[end]) && !Offer(path.substr(0, end), makeFolder)) return false;
  }
  return Offer(path, makeFolder);
}

}  // namespace lk
