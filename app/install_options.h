// The choices of one installation, handed from the wizard or the command line
// to RunInstallation.
#pragma once

#include <windows.h>

#include "integration/format_catalogue.h"

struct InstallOptions {
  wchar_t targetFolder[MAX_PATH] = {};
  int startMenuGroup = 0;
  int desktopShortcut = 0;
  int thumbnailsShortcut = 0;
  int allUsers = 0;
  wchar_t settingsFolder[MAX_PATH] = {};
  FormatSelection formatSelection = {};
  int associateFormats = 0;
  int unattended = 0;
};
