#include "payload/reparse_points.h"

#include <windows.h>

#include <string>

#include "framework/path.h"

bool LeadsThroughReparsePoint(const wchar_t* path) {
  std::wstring prefix = path;
  const size_t length = prefix.size();
  // Each leading part of the path in turn, ended at a separator for the moment.
  for (size_t end = 1; end <= length; ++end) {
    if (end < length && !lk::IsPathSeparator(prefix[end])) continue;
    if (lk::IsPathSeparator(prefix[end - 1])) continue;
    const wchar_t separator = prefix[end];
    prefix[end] = L'\0';
    const DWORD attributes = GetFileAttributesW(prefix.c_str());
    prefix[end] = separator;
    // Nothing below a part that does not exist can be a link yet.
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  }
  return false;
}
