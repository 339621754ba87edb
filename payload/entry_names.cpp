#include "payload/entry_names.h"

#include <cstring>

namespace {

// Names Windows opens as devices, whatever folder they are in and whatever extension
// follows them; "COM" and "LPT" count with a digit from 1 to 9.
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
constexpr const char* kNumberedDeviceNames[] = {"COM", "LPT"};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringCase(const char* begin, const char* end, const char* name) {
  for (const char* p = begin; p != end; ++p, ++name) {
    if (!*name || Upper(*p) != *name) return false;
  }
  return !*name;
}

// A component that leads up a level: "..", and any other run of two or more dots and
// spaces, which Windows trims to ".." or less.
bool IsParentComponent(const char* begin, const char* end) {
  if (end - begin < 2) return false;
  for (const char* p = begin; p != end; ++p) {
    if (*p != '.' && *p != ' ') return false;
  }
  return true;
}

// Windows drops a trailing dot or blank, so such a name is written under another name.
bool EndsInDotOrBlank(const char* begin, const char* end) {
  return end != begin && (end[-1] == '.' || end[-1] == ' ');
}

// The part before the first dot, without trailing blanks, names a device: "nul.txt",
// "Com1 .log".
bool IsDeviceComponent(const char* begin, const char* end) {
  const char* base = begin;
  while (base != end && *base != '.') ++base;
  while (base != begin && base[-1] == ' ') --base;
  for (const char* name : kDeviceNames) {
    if (EqualsIgnoringCase(begin, base, name)) return true;
  }
  if (base - begin != 4 || base[-1] < '1' || base[-1] > '9') return false;
  for (const char* name : kNumberedDeviceNames) {
    if (EqualsIgnoringCase(begin, base - 1, name)) return true;
  }
  return false;
}

bool IsSafeComponent(const char* begin, const char* end) {
  return !IsParentComponent(begin, end) && !EndsInDotOrBlank(begin, end) &&
         !IsDeviceComponent(begin, end);
}

}  // namespace

bool IsSafeEntryName(const char* storedName) {
  if (!storedName || !storedName[0] || IsSeparator(storedName[0])) return false;
  // A colon names a drive ("C:x", "C:\x") or an alternate data stream.
  if (strchr(storedName, ':')) return false;
  const char* begin = storedName;
  for (const char* p = storedName;; ++p) {
    if (*p && !IsSeparator(*p)) continue;
    if (!IsSafeComponent(begin, p)) return false;
    if (!*p) return true;
    begin = p + 1;
  }
}
