#include "payload/entry_names.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A component that leads up a level: "..", and any other run of two or more dots and
// spaces, which Windows trims to ".." or less.
bool IsParentComponent(const char* begin, const char* end) {
  if (end - begin < 2) return false;
  for (const char* p = begin; p != end; ++p) {
    if (*p != '.' && *p != ' ') return false;
  }
  return true;
}

}  // namespace

bool IsSafeEntryName(const char* storedName) {
  if (!storedName || !storedName[0] || IsSeparator(storedName[0])) return false;
  // A colon names a drive ("C:x", "C:\x") or an alternate data stream.
  if (strchr(storedName, ':')) return false;
  const char* begin = storedName;
  for (const char* p = storedName;; ++p) {
    if (*p && !IsSeparator(*p)) continue;
    if (IsParentComponent(begin, p)) return false;
    if (!*p) return true;
    begin = p + 1;
  }
}
