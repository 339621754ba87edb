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
constexpr int kExitOtherRun = 4;   // another setup or uninstallation runs; nothing was touched

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
// folder (compared by file identity; no entry at all counts the same), or when the folder
// is reached through a link that an ordinary user could have made; kExitViewerRunning
// when the viewer's window exists or lk_main64.exe cannot be deleted (it runs, perhaps in
// another session). message receives the text to log or show.
int CheckBeforeRemoval(const UninstallRequest& request, std::wstring* message);

// How often RemoveInstallation advances the progress.
int RemovalStepCount();

// Removes the payload's files, with purge the settings, the emptied folders, the shortcuts
// and the registration but the uninstall entry. Whatever could not be removed is listed in
// failures. 1 when nothing failed.
int RemoveInstallation(const UninstallRequest& request, RemovalProgress* progress,
                       std::vector<std::wstring>* failures);

// The last step, after a RemoveInstallation without failures: hands the uninstaller's own
// removal over (HandOverToCopy), then removes the uninstall entry. When neither a copy nor
// the next start of Windows can remove the uninstaller, or the entry cannot be removed, the
// uninstaller keeps its name and its entry (so that the uninstallation can be run again),
// and its path or the entry is listed in failures. notice receives the text to log or show
// when the uninstaller goes only at the next start of Windows, else it is cleared. 1 when
// the entry is gone.
int CompleteRemoval(const UninstallRequest& request, std::vector<std::wstring>* failures,
                    std::wstring* notice);

// The log and message text for what could not be removed.
std::wstring FailureMessage(const std::vector<std::wstring>& failures);
