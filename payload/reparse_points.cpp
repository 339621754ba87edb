#include "payload/reparse_points.h"

#include "framework/file_links.h"
#include "framework/path.h"
#include "framework/scoped_handles.h"

bool LeadsThroughReparsePoint(const std::wstring& folder, const wchar_t* name,
                              std::wstring* plainFolder) {
  const std::wstring base = lk::WithTrailingBackslash(folder);
  std::wstring prefix = base + name;
  const size_t length = prefix.size();
  // The folders the last look found plain are not looked at again.
  size_t start = base.size() + 1;
  if (plainFolder && !plainFolder->empty() &&
      prefix.compare(base.size(), plainFolder->size(), *plainFolder) == 0) {
    start = base.size() + plainFolder->size();
  }
  size_t plainUpTo = 0;
  // Each folder along the name in turn, ended at its separator for the moment.
  for (size_t end = start; end < length; ++end) {
    if (!lk::IsPathSeparator(prefix[end]) || lk::IsPathSeparator(prefix[end - 1])) continue;
    const wchar_t separator = prefix[end];
    prefix[end] = L'\0';
    const lk::LinkState state = lk::QueryLinkState(prefix.c_str());
    prefix[end] = separator;
    // Nothing below a folder that does not exist can be a link yet.
    if (state == lk::LinkState::kMissing) break;
    if (state != lk::LinkState::kPlain) return true;
    plainUpTo = end + 1;
  }
  if (plainFolder && plainUpTo > 0) {
    plainFolder->assign(prefix, base.size(), plainUpTo - base.size());
  }
  return false;
}

bool IsNameSurrogateReparsePoint(const wchar_t* path) {
  lk::ScopedFileHandle name(CreateFileW(
      path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr));
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!name ||
      !GetFileInformationByHandleEx(name.Get(), FileAttributeTagInfo, &tag, sizeof(tag))) {
    return true;
  }
  // Wine describes what a symbolic link leads to, without the reparse point that the name
  // shows: a handle without one is such a link.
  return !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
         lk::IsNameSurrogateTag(tag.ReparseTag);
}
