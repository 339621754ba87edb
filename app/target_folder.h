// The folder the viewer is installed into: proposal, tidying and creation.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// "Program Files"\Lumenkast (no trailing backslash), or C:\Lumenkast\ as fallback.
void GetDefaultInstallFolder(wchar_t (&folder)[MAX_PATH]);

// The folder of an earlier installation, from the viewer's registered open command.
// False (and an empty folder) when none is registered.
bool GetPreviousInstallFolder(wchar_t (&folder)[MAX_PATH]);

// The proposal: the earlier installation's folder, else the default folder.
void GetProposedInstallFolder(wchar_t (&folder)[MAX_PATH]);

// Removes trailing spaces, then leading spaces (space character only), in place.
void TrimSpaces(wchar_t* text);

// True when folder, without its surrounding spaces, is an absolute path on a drive: a
// letter, a colon and a backslash (or slash). Relative paths ("Lumenkast", "C:x"), paths
// from the current drive's root ("\\x"), network paths and unexpanded variables are not.
bool IsAbsoluteDriveFolder(const wchar_t* folder);

// The folder as CreateFolderTree leaves it (blanks around it and at the end of each
// component trimmed, trailing backslash), made absolute ("." and ".." resolved); nothing is
// created. Empty when folder is only blanks or has no absolute form.
std::wstring NormalizedTargetFolder(const wchar_t* folder);

// Normalises the path in place (spaces trimmed, trailing backslash) and creates every
// missing folder of it. path is a buffer of MAX_PATH characters. 1 when the folder
// exists and can be entered afterwards, 0 otherwise. The current directory is kept. The
// folders it created are appended to created, parents first, when given.
int CreateFolderTree(wchar_t* path, std::vector<std::wstring>* created = nullptr);

// True when folder ("." and ".." resolved) is or lies in one of the system's program
// folders (the values "ProgramFilesDir", "ProgramFilesDir (x86)" and "ProgramW6432Dir"):
// what is made there gets the program folder's permissions from the system.
bool IsInSystemProgramFolder(const wchar_t* folder);

// The target folder's creation: CreateFolderTree, but never through a link that an ordinary
// user could have made (the folder and those above it may be links only when an
// administrator, SYSTEM or TrustedInstaller owns them; 0 otherwise, before and after the
// folders are made). In an elevated run outside the system's program folders, the top-most
// folder it makes gets the program folder's protection (full control for Administrators and
// SYSTEM, read and run for Users, nothing inherited from above), which the folders below it
// inherit; a folder that existed keeps its permissions. A run that is not elevated makes
// its folders as the user it runs for, as before.
int CreateTargetFolder(wchar_t* path, std::vector<std::wstring>* created);

// Folder browser titled with string 8, opened at folder; on OK writes the chosen
// file-system folder (with trailing backslash) into folder (MAX_PATH) and returns true.
bool BrowseForTargetFolder(HWND owner, wchar_t* folder);

// Browse button of the options page: browses from the folder field 1000 and writes the
// chosen folder, with "Lumenkast\" appended where the rule asks for it, back into it.
void ApplyBrowsedFolder(HWND page);

// The folder text the browse rule makes of a chosen folder (exposed for tests).
void AppendProductFolderIfMissing(wchar_t* folder);
