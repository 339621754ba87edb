#include "support/folder_link.h"

#include <windows.h>

#include "support/test_support.h"

namespace lktest {

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
  std::wstring linkPath = link;
  while (!linkPath.empty() && linkPath.back() == L'\\') linkPath.pop_back();
  if (!MakeSymbolicLink(target, linkPath)) return false;
  const DWORD attributes = GetFileAttributesW(linkPath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void RemoveFolderLink(const std::wstring& link) { RemoveSymbolicLink(link); }

}  // namespace lktest
