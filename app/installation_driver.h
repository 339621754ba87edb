// One complete installation from the choices of InstallOptions.
#pragma once

#include <cstdint>

#include "app/install_options.h"

// The installation of options. 1 when the payload was unpacked and the later steps ran; 0
// after a failure that has been reported (message box in the wizard, install log when
// unattended). A No to the wizard's confirmation clears options' format selection.
int RunInstallation(InstallOptions& options);

// The same with the nine choices one by one, in the order of InstallOptions.
int RunInstallation(const wchar_t* targetFolder, int startMenuGroup, int desktopShortcut,
                    int thumbnailsShortcut, int allUsers, const wchar_t* settingsFolder,
                    int32_t* formatSelection, int associateFormats, int unattended);

