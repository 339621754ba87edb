// Removing what the registration and the associations wrote into the registry, and giving
// back the extension defaults they replaced.
#pragma once

#include <string>
#include <vector>

// Removes the verbs, the viewer's identifiers and known-application entry, the program and
// capabilities keys, the registered-applications value, the AppX overrides the setup
// recorded as its own, the explorer choices and extension defaults that still name one of
// the viewer's types, and, last, the uninstall entry: only when nothing else failed in this
// call and keepUninstallEntry is 0. A key or value that exists but cannot be deleted is
// appended to failures ("HKEY_LOCAL_MACHINE\..."). 1 when none failed, 0 otherwise; a key
// that is missing has nothing to remove.
int RemoveRegistration(int keepUninstallEntry, std::vector<std::wstring>* failures);

// Removes the uninstall entry; a failure is appended as above. 1 when it is gone.
int RemoveUninstallEntry(std::vector<std::wstring>* failures);

// The folder the uninstall entry names as the installation's (InstallLocation), or empty.
std::wstring RegisteredInstallLocation();
