#include "framework/file_links.h"

#include "framework/scoped_handles.h"

namespace lk {

bool IsNameSurrogateTag(DWORD reparseTag) { return (reparseTag & 0x20000000u) != 0; }

// Asked through the attribute-tag and standard classes only: the by-handle information
// also reports the volume's serial number, which Wine fetches from its mount manager
// process, a round trip of a dozen requests for every name checked.
LinkState QueryLinkState(HANDLE file) {
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof(tag))) {
    return LinkState::kUnknown;
  }
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsNameSurrogateTag(tag.ReparseTag)) {
    return LinkState::kLink;
  }
  if (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) return LinkState::kPlain;
  FILE_STANDARD_INFO standard = {};
  if (!GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard))) {
    return LinkState::kUnknown;
  }
  return standard.NumberOfLinks > 1 ? LinkState::kLink : LinkState::kPlain;
}

LinkState QueryLinkState(const wchar_t* path) {
  ScopedFileHandle file(CreateFileW(
      path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LinkState::kMissing
                                                                          : LinkState::kUnknown;
  }
  const LinkState state = QueryLinkState(file.Get());
  if (state != LinkState::kPlain) return state;
  // Wine shows a Unix symbolic link as a reparse point by the name's attributes only, while
  // the handle describes what it leads to. A name marked as a reparse point whose tag does
  // not say otherwise counts as a link.
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return state;
  }
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  const bool otherTag =
      GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof(tag)) &&
      (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !IsNameSurrogateTag(tag.ReparseTag);
  return otherTag ? LinkState::kPlain : LinkState::kLink;
}

}  // namespace lk
