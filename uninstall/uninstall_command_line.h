// The uninstaller's command line.
#pragma once

#include <windows.h>

#include <string>

#include "framework/file_identity.h"

struct UninstallCommand {
  int silent = 0;  // "/silent": no window, failures in the log
  int purge = 0;   // "/purge=1": the settings go too (the box in the window is ticked)
  // "/finish=<handle> /id=<identity> /exe=<path>": the copy that removes the uninstaller
  // file of that identity at path once the process behind the (inherited) handle has ended.
  int finish = 0;
  HANDLE parent = nullptr;
  std::wstring exePath;
  int hasIdentity = 0;
  lk::FileIdentity identity;
};

// Reads the switches; unknown arguments are passed over.
UninstallCommand ParseUninstallCommandLine(const wchar_t* commandLine);
