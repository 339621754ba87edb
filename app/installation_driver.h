// One complete installation from the choices of InstallOptions.
#pragma once

#include <cstdint>

#include "app/install_options.h"
#include "payload/payload_source.h"

// Results of RunInstallation.
constexpr int kInstallationFailed = 0;  // reported; the viewer's files are not in place
constexpr int kInstalled = 1;
// The files are in place, but a registry key or shortcut could not be written (reported).
constexpr int kInstalledIncomplete = 2;

// The installation of options from the payload of source, with every failure reported
// (message box in the wizard, install log when unattended). A failure before the files and
// the program folder's settings file are in place leaves the target folder as it was (files
// an earlier, killed run set aside are put back first). A target folder that is empty or
// not an absolute path on a drive is refused. A No to the wizard's confirmation clears
// options' format selection; once the files are in place, options' target folder is the
// folder as installed (components trimmed, trailing backslash).
int RunInstallation(InstallOptions& options, const PayloadSource& payload);

// The same with the nine choices one by one, in the order of InstallOptions.
int RunInstallation(const PayloadSource& payload, const wchar_t* targetFolder,
                    int startMenuGroup, int desktopShortcut, int thumbnailsShortcut,
                    int allUsers, const wchar_t* settingsFolder, int32_t* formatSelection,
                    int associateFormats, int unattended);

