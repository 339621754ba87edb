// Removing what the registration and the associations wrote into the registry, and giving
// back the extension defaults they replaced.
#pragma once

#include <string>
#include <vector>

// Removes the verbs, the viewer's identifiers and known-application entry, the program and
// capabilities keys, the registered-applications value, the AppX overrides, the explorer
// choices and extension defaults that still name the viewer, and (unless keepUninstallEntry)
// the uninstall entry. Always 1: a key that is missing has nothing to remove.
int RemoveRegistration(int keepUninstallEntry, std::vector<std::wstring>* failures);

// One extension key: where its default still names identifier, the saved default comes
// back (or, with none saved, the default goes); the saved copy goes in any case, and the
// key too when nothing is left in it.
void ReleaseExtension(const wchar_t* extension, const std::wstring& identifier);

// The folder the uninstall entry names as the installation's (InstallLocation), or empty.
std::wstring RegisteredInstallLocation();
