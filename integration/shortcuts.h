// Desktop shortcuts and the start-menu group.
#pragma once

// Saves fileName on the desktop (the common one with allUsers). Optional arguments may be
// null. 1 when saved, 0 otherwise.
int CreateDesktopShortcut(const wchar_t* targetPath, const wchar_t* fileName,
                          const wchar_t* iconFile, const wchar_t* description,
                          const wchar_t* arguments, int iconIndex, int allUsers);

// Saves folder + fileName (folder ends in a backslash). 1 when saved, 0 otherwise.
int CreateShortcutIn(const wchar_t* folder, const wchar_t* fileName, const wchar_t* targetPath,
                     const wchar_t* arguments, const wchar_t* iconFile, int iconIndex);

// The start-menu group "Lumenkast" with its links; installationFolder ends in a backslash.
// Returns the result of the last link.
int CreateProgramGroup(const wchar_t* installationFolder, int allUsers);
