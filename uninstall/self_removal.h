// Removing the uninstaller itself: a running program cannot delete its own file, so a copy
// of it in a new folder that only Administrators and SYSTEM can change does that once the
// uninstaller has ended. Where no copy can run, the file is deleted at the next start of
// Windows.
#pragma once

#include <windows.h>

#include <string>

#include "framework/file_identity.h"

enum class SelfRemovalWay {
  kNone,       // neither: the uninstaller stays under its own name
  kByCopy,     // the copy runs and waits for this process to end
  kAtRestart,  // the file is deleted at the next start of Windows
};

struct SelfRemoval {
  SelfRemovalWay way = SelfRemovalWay::kNone;
  std::wstring exePath;  // the uninstaller's name
  std::wstring renamed;  // the unique name it was given ("lk_uninstall.exe.<n>.del")
};

// Gives the uninstaller at exePath a unique name in its folder (so that a reinstall that
// writes a new lk_uninstall.exe meanwhile never loses it) and hands its removal over: to a
// copy started with this process's handle, the new name and the file's identity, or, when
// no copy can be made or started, to the next start of Windows. When neither can be had,
// the name is put back (kNone).
SelfRemoval HandOverToCopy(const std::wstring& exePath);

// Undoes the hand-over when the uninstallation fails after it: the name is put back. A
// copy that runs does nothing for an uninstaller that did not end with 0.
void TakeBack(const SelfRemoval& removal);

// The copy's work: waits until the process parent has ended; when it ended with 0, deletes
// exePath only while it is still the file of that identity, then, while no setup runs (it
// holds the machine-wide guard for that time), the payload folders and the installation
// folder (exePath's folder) where they are empty. Marks the copy and its folder for
// deletion at the next start of Windows where that is allowed. Always 0.
int FinishAsCopy(HANDLE parent, const std::wstring& exePath, const lk::FileIdentity& identity);

// The part of the copy's work in the installation folder: deletes exePath (a name of the
// uninstaller's) only while it is the file of that identity, then the payload folders and
// exePath's folder where they are empty.
void RemoveUninstallerFile(const std::wstring& exePath, const lk::FileIdentity& identity);

// The folder the copy is made in: the system's protected temporary folder for SYSTEM where
// the system has one (GetTempPath2W), else the temporary folder. Ends in a backslash; empty
// when there is none.
std::wstring CopyRootFolder();

// The path of the running program's own file.
std::wstring OwnPath();

// The text of an identity on the copy's command line, and back; false when text is not one.
std::wstring IdentityText(const lk::FileIdentity& identity);
bool ParseIdentityText(const std::wstring& text, lk::FileIdentity* identity);
