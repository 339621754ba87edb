#include "payload/reparse_points.h"

#include <string>

#include "framework/file_links.h"
#include "framework/path.h"

bool LeadsThroughReparsePoint(const wchar_t* path) {
  std::wstring prefix = path;
  const size_t length = prefix.size();
  // Each folder along the path in turn, ended at its separator for the moment.
  for (size_t end = 1; end < length; ++end) {
    if (!lk::IsPathSeparator(prefix[end]) || lk::IsPathSeparator(prefix[end - 1])) continue;
    const wchar_t separator = prefix[end];
    prefix[end] = L'\0';
    const lk::LinkState state = lk::QueryLinkState(prefix.c_str());
    prefix[end] = separator;
    // Nothing below a folder that does not exist can be a link yet.
    if (state == lk::LinkState::kMissing) return false;
    if (state != lk::LinkState::kPlain) return true;
  }
  return false;
}
