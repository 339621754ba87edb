// One uninstallation: what it removes, in which order, and what it reports.
#pragma once

#include <string>
#include <vector>

#include "uninstall/payload_removal.h"

// Process exit codes, as the setup's unattended mode has them.
constexpr int kExitRemoved = 0;
constexpr int kExitFailed = 1;
constexpr int kExitViewerRunning = 2;
constexpr int kExitCancelled = 3;  // the user declined in the confirmation

struct UninstallRequest {
  std::wstring folder;   // the installation folder, ending in a backslash
  std::wstring exePath;  // the running uninstaller; its copy removes it afterwards
  int purge = 0;         // the settings and everything else in the folder go too
};

// The request of the uninstaller running from exePath (its folder is the installation's).
UninstallRequest RequestFor(const std::wstring& exePath, int purge);

// How often RemoveInstallation advances the progress.
int RemovalStepCount();

// Removes the payload's files, with purge the settings and every other file of the
// folder (only when the folder is the one the uninstall entry names), the emptied folders,
// the shortcuts and the registration. While files stay (listed in failures) the uninstall
// entry stays too, so that the uninstallation can be run again. 1 when nothing but the
// uninstaller itself is left.
int RemoveInstallation(const UninstallRequest& request, RemovalProgress* progress,
                       std::vector<std::wstring>* failures);

// The log and message text for files that could not be removed.
std::wstring FailureMessage(const std::vector<std::wstring>& failures);
