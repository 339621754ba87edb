#include "uninstall/uninstall_command_line.h"

#include <shellapi.h>

#include <cwchar>
#include <cwctype>

#include "uninstall/self_removal.h"

namespace {

// The text after prefix when argument starts with it, else null.
const wchar_t* ValueOf(const wchar_t* argument, const wchar_t* prefix) {
  const size_t length = wcslen(prefix);
  return wcsncmp(argument, prefix, length) == 0 ? argument + length : nullptr;
}

bool IsNumber(const wchar_t* text) {
  if (!*text) return false;
  for (; *text; ++text) {
    if (!iswdigit(*text)) return false;
  }
  return true;
}

void ApplyArgument(const wchar_t* argument, UninstallCommand* command) {
  const wchar_t* value = nullptr;
  if (wcscmp(argument, L"/silent") == 0) {
    command->silent = 1;
  } else if ((value = ValueOf(argument, L"/purge="))) {
    command->purge = wcscmp(value, L"1") == 0 ? 1 : 0;
  } else if ((value = ValueOf(argument, L"/finish=")) && IsNumber(value)) {
    command->finish = 1;
    command->parent = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(_wcstoui64(value, nullptr, 10)));
  } else if ((value = ValueOf(argument, L"/id="))) {
    command->hasIdentity = ParseIdentityText(value, &command->identity) ? 1 : 0;
  } else if ((value = ValueOf(argument, L"/exe="))) {
    command->exePath = value;
  }
}

}  // namespace

UninstallCommand ParseUninstallCommandLine(const wchar_t* commandLine) {
  UninstallCommand command;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
  if (!arguments) return command;
  for (int i = 1; i < count; ++i) ApplyArgument(arguments[i], &command);
  LocalFree(arguments);
  // The copy's work needs the parent, the file and its identity.
  if (command.exePath.empty() || !command.hasIdentity) command.finish = 0;
  return command;
}
