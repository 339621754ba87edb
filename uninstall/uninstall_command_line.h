// The uninstaller's command line.
#pragma once

#include <windows.h>

#include <string>

struct UninstallCommand {
  int silent = 0;  // "/silent": no window, failures in the log
  int purge = 0;   // "/purge=1": the settings and everything else in the folder go too
  // "/finish=<handle> /exe=<path>": the copy that removes the uninstaller at path once the
  // process behind the (inherited) handle has ended.
  int finish = 0;
  HANDLE parent = nullptr;
  std::wstring exePath;
};

// Reads the switches; unknown arguments are passed over.
UninstallCommand ParseUninstallCommandLine(const wchar_t* commandLine);
