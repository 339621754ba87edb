#include "payload/reparse_points.h"

#include "framework/file_links.h"
#include "framework/path.h"

bool LeadsThroughReparsePoint(const wchar_t* path, std::wstring* plainFolder) {
  std::wstring prefix = path;
  const size_t length = prefix.size();
  // The folders the last look found plain are not looked at again.
  size_t start = 1;
  if (plainFolder && !plainFolder->empty() &&
      prefix.compare(0, plainFolder->size(), *plainFolder) == 0) {
    start = plainFolder->size();
  }
  size_t plainUpTo = 0;
  // Each folder along the path in turn, ended at its separator for the moment.
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
  if (plainFolder && plainUpTo > 0) plainFolder->assign(path, plainUpTo);
  return false;
}
