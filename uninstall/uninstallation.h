// One uninstallation: whether it may start, what it removes, in which order, and what it
// reports.
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
  std::wstring exePath;  // the running uninstaller (long path); its copy removes it afterwards
  int purge = 0;         // the settings go too
};

// The request of the uninstaller running from exePath (its folder is the installation's).
// A short (8.3) path is turned into the long one.
UninstallRequest RequestFor(const std::wstring& exePath, int purge);

// Asked before anything is removed, and again when "Entfernen" is pressed: kExitRemoved
// when the removal may go ahead; kExitFailed when the uninstall entry does not name this
// folder (compared by file identity; no entry at all counts the same); kExitViewerRunning
// when the viewer's window exists or lk_main64.exe cannot be deleted (it runs, perhaps in
// another session). message receives the text to log or show.
int CheckBeforeRemoval(const UninstallRequest& request, std::wstring* message);

// How often RemoveInstallation advances the progress.
int RemovalStepCount();

// Removes the payload's files, with purge the settings, the emptied folders, the shortcuts
// and the registration. Whatever could not be removed is listed in failures; then the
// uninstall entry stays (and the caller keeps the uninstaller), so that the uninstallation
// can be run again. 1 when nothing failed.
int RemoveInstallation(const UninstallRequest& request, RemovalProgress* progress,
                       std::vector<std::wstring>* failures);

// The log and message text for what could not be removed.
std::wstring FailureMessage(const std::vector<std::wstring>& failures);
