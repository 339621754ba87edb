#include "payload/reparse_points.h"

#include <windows.h>

#include <string>

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool IsReparsePoint(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool LeadsThroughReparsePoint(const wchar_t* path) {
  const std::wstring full = path;
  for (size_t end = 0; end <= full.size(); ++end) {
    if (end < full.size() && !IsSeparator(full[end])) continue;
    if (end > 0 && !IsSeparator(full[end - 1]) && IsReparsePoint(full.substr(0, end))) {
      return true;
    }
  }
  return false;
}
