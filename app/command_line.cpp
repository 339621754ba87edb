#include "app/command_line.h"

#include <cwchar>
#include <cwctype>
#include <cstdlib>

namespace {

// A value ends at this position, counted from the first character of the option name.
constexpr size_t kValueLimit = 260;

void TrimTrailingSpaces(wchar_t* text) {
  size_t length = wcslen(text);
  while (length > 0 && text[length - 1] == L' ') text[--length] = L'\0';
}

// A numeric switch: leading white space, optional sign, digits; no digits give 0.
bool ReadNumericOption(const wchar_t* commandLine, const wchar_t* name, int* number) {
  wchar_t value[kValueLimit + 1] = {};
  if (!ReadOptionValue(commandLine, name, value, kValueLimit + 1)) return false;
  *number = static_cast<int>(wcstol(value, nullptr, 10));
  return true;
}

// A folder switch: the value with surrounding quotes removed; empty stays empty.
void ReadFolderOption(const wchar_t* commandLine, const wchar_t* name,
                      wchar_t (&folder)[MAX_PATH]) {
  wchar_t value[kValueLimit + 1] = {};
  if (!ReadOptionValue(commandLine, name, value, kValueLimit + 1)) return;
  if (value[0] != L'\0') TrimQuotes(value);
  wcsncpy(folder, value, MAX_PATH - 1);
  folder[MAX_PATH - 1] = L'\0';
}

void ReadFlagOption(const wchar_t* commandLine, const wchar_t* name, int* flag) {
  int number = 0;
  if (ReadNumericOption(commandLine, name, &number)) *flag = number != 0 ? 1 : 0;
}

void ReadAssociationOption(const wchar_t* commandLine, InstallOptions& options) {
  int choice = 0;
  if (!ReadNumericOption(commandLine, L"/assoc=", &choice)) return;
  if (choice == 1) {
    SelectImageFormats(options.formatSelection);
  } else if (choice == 2) {
    SelectAllFormats(options.formatSelection);
  } else {
    SelectNoFormats(options.formatSelection);
  }
  options.associateFormats = (choice == 1 || choice == 2) ? 1 : 0;
}

}  // namespace

void TrimQuotes(wchar_t* text) {
  TrimTrailingSpaces(text);
  size_t length = wcslen(text);
  if (length > 0 && text[length - 1] == L'"') text[--length] = L'\0';
  if (text[0] == L'"') wmemmove(text, text + 1, length);
  TrimTrailingSpaces(text);
}

bool IsUnattendedCommandLine(const wchar_t* commandLine) {
  return commandLine && wcsstr(commandLine, L"/silent") != nullptr;
}

bool ReadOptionValue(const wchar_t* commandLine, const wchar_t* name, wchar_t* value,
                     size_t capacity) {
  const wchar_t* option = wcsstr(commandLine, name);
  if (!option || capacity == 0) return false;
  size_t out = 0;
  for (size_t position = wcslen(name);
       option[position] != L'\0' && option[position] != L'/' && position < kValueLimit &&
       out + 1 < capacity;
       ++position) {
    value[out++] = option[position];
  }
  value[out] = L'\0';
  return true;
}

void ApplyCommandLineOptions(const wchar_t* commandLine, InstallOptions& options) {
  ReadFolderOption(commandLine, L"/folder=", options.targetFolder);
  ReadFlagOption(commandLine, L"/desktop=", &options.desktopShortcut);
  ReadFlagOption(commandLine, L"/thumbs=", &options.thumbnailsShortcut);
  ReadFlagOption(commandLine, L"/group=", &options.startMenuGroup);
  ReadFlagOption(commandLine, L"/allusers=", &options.allUsers);
  ReadAssociationOption(commandLine, options);
  ReadFolderOption(commandLine, L"/ini=", options.settingsFolder);
}
