#include "framework/file_links.h"

#include "framework/scoped_handles.h"

namespace lk {

bool IsNameSurrogateTag(DWORD reparseTag) { return (reparseTag & 0x20000000u) != 0; }

LinkState QueryLinkState(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(file, &info)) return LinkState::kUnknown;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof(tag))) {
      return LinkState::kUnknown;
    }
    if (IsNameSurrogateTag(tag.ReparseTag)) return LinkState::kLink;
  }
  const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return !folder && info.nNumberOfLinks > 1 ? LinkState::kLink : LinkState::kPlain;
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
  return QueryLinkState(file.Get());
}

}  // namespace lk
