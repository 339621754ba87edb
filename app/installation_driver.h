// One complete installation from the choices of InstallOptions.
#pragma once

#include <string>

#include "app/install_options.h"
#include "payload/payload_source.h"

// Results of RunInstallation.
constexpr int kInstallationFailed = 0;  // reported; the viewer's files are not in place
constexpr int kInstalled = 1;
// The files are in place, but a registry key or shortcut could not be written (reported).
constexpr int kInstalledIncomplete = 2;

// The installation of options from the payload of source, with every failure reported
// (message box in the wizard, install log when unattended). A target folder that is empty
// or not an absolute path on a drive is refused; every later step works from the plan of
// options (MakeInstallPlan), whose target folder is made absolute and tidy once. A failure
// before the files and the program folder's settings file are in place leaves the target
// folder as it was (files an earlier, killed run set aside are put back first). A No to the
// wizard's confirmation registers no format. Once the files are in place, installedFolder
// (when given) is the folder as installed, and after the registration it is the current
// directory; until then the current directory is not changed (the install log is written
// in the folder the setup was started in).
int RunInstallation(const InstallOptions& options, const PayloadSource& payload,
                    std::wstring* installedFolder = nullptr);
