// Removing the uninstaller itself: a running program cannot delete its own file, so a copy
// of it in a new folder of the temporary folder does that once the uninstaller has ended.
#pragma once

#include <windows.h>

#include <string>

#include "framework/file_identity.h"

// Gives the uninstaller at exePath a unique name in its folder (so that a reinstall that
// writes a new lk_uninstall.exe meanwhile never loses it), copies it into a new unique
// folder of the temporary folder and starts the copy with this process's handle, the new
// name and the file's identity. 1 when the copy runs (otherwise the name is put back).
int HandOverToCopy(const std::wstring& exePath);

// The copy's work: waits until the process parent has ended, deletes exePath only while it
// is still the file of that identity, then the payload folders and the installation folder
// (exePath's folder) where they are empty, and marks the copy and its folder for deletion
// at the next start of Windows where that is allowed (otherwise they stay in the temporary
// folder). Always 0.
int FinishAsCopy(HANDLE parent, const std::wstring& exePath, const lk::FileIdentity& identity);

// The part of the copy's work in the installation folder: deletes exePath (a name of the
// uninstaller's) only while it is the file of that identity, then the payload folders and
// exePath's folder where they are empty.
void RemoveUninstallerFile(const std::wstring& exePath, const lk::FileIdentity& identity);

// The path of the running program's own file.
std::wstring OwnPath();

// The text of an identity on the copy's command line, and back; false when text is not one.
std::wstring IdentityText(const lk::FileIdentity& identity);
bool ParseIdentityText(const std::wstring& text, lk::FileIdentity* identity);
