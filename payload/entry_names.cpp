#include "payload/entry_names.h"

#include <windows.h>

#include <cstring>

namespace {

// Names Windows opens as devices, whatever folder they are in and whatever extension
// follows them; "COM" and "LPT" count with a digit from 1 to 9 or with a superscript one,
// two or three (U+00B9, U+00B2, U+00B3, here in UTF-8).
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
constexpr const char* kNumberedDeviceNames[] = {"COM", "LPT"};
constexpr size_t kNumberedDeviceNameLength = 3;
constexpr const char* kSuperscriptDigits[] = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};

// Longest stored name converted from the ANSI code page, in UTF-16 units.
constexpr int kAnsiNameUnits = 1024;

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

// The number of a "COM" or "LPT" device: exactly one digit from 1 to 9 or one superscript.
bool IsDeviceNumber(const char* begin, const char* end) {
  if (end - begin == 1) return *begin >= '1' && *begin <= '9';
  for (const char* digit : kSuperscriptDigits) {
    if (static_cast<size_t>(end - begin) == strlen(digit) && !memcmp(begin, digit, end - begin)) {
      return true;
    }
  }
  return false;
}

// The part before the first dot, without trailing blanks, names a device: "nul.txt",
// "Com1 .log", "LPT\xC2\xB2.txt".
bool IsDeviceComponent(const char* begin, const char* end) {
  const char* base = begin;
  while (base != end && *base != '.') ++base;
  while (base != begin && base[-1] == ' ') --base;
  for (const char* name : kDeviceNames) {
    if (EqualsIgnoringCase(begin, base, name)) return true;
  }
  if (static_cast<size_t>(base - begin) <= kNumberedDeviceNameLength) return false;
  const char* number = begin + kNumberedDeviceNameLength;
  if (!IsDeviceNumber(number, base)) return false;
  for (const char* name : kNumberedDeviceNames) {
    if (EqualsIgnoringCase(begin, number, name)) return true;
  }
  return false;
}

bool IsSafeComponent(const char* begin, const char* end) {
  return !IsParentComponent(begin, end) && !EndsInDotOrBlank(begin, end) &&
         !IsDeviceComponent(begin, end);
}

}  // namespace

bool EntryNameToUtf8(const char* stored, bool flaggedUtf8, char* name, size_t capacity) {
  if (capacity == 0) return false;
  name[0] = '\0';
  if (flaggedUtf8) {
    const size_t length = strlen(stored);
    // Invalid UTF-8 would reach the file system with replacement characters, perhaps as
    // the name of another entry.
    if (length >= capacity ||
        !MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, stored, -1, nullptr, 0)) {
      return false;
    }
    memcpy(name, stored, length + 1);
    return true;
  }
  wchar_t wide[kAnsiNameUnits];
  if (!MultiByteToWideChar(CP_ACP, 0, stored, -1, wide, kAnsiNameUnits)) return false;
  if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, name, static_cast<int>(capacity), nullptr,
                          nullptr)) {
    return true;
  }
  name[0] = '\0';
  return false;
}

bool EntryNameToPath(const char* name, wchar_t* path, size_t capacity) {
  if (capacity == 0) return false;
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, path,
                          static_cast<int>(capacity))) {
    return true;
  }
  path[0] = L'\0';
  return false;
}

bool IsSafeEntryName(const char* name) {
  if (!name || !name[0] || IsSeparator(name[0])) return false;
  // A colon names a drive ("C:x", "C:\x") or an alternate data stream.
  if (strchr(name, ':')) return false;
  const char* begin = name;
  for (const char* p = name;; ++p) {
    if (*p && !IsSeparator(*p)) continue;
    if (!IsSafeComponent(begin, p)) return false;
    if (!*p) return true;
    begin = p + 1;
  }
}
