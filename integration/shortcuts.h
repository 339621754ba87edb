// Desktop shortcuts and the start-menu group.
#pragma once

#include "integration/registration_failures.h"

// Saves fileName on the desktop (the common one with allUsers). Optional arguments may be
// null. 1 when saved, 0 otherwise; a link not saved is noted in failures (when given).
int CreateDesktopShortcut(const wchar_t* targetPath, const wchar_t* fileName,
                          const wchar_t* iconFile, const wchar_t* description,
                          const wchar_t* arguments, int iconIndex, int allUsers,
                          RegistrationFailures* failures = nullptr);

// Saves folder + fileName (folder ends in a backslash). 1 when saved, 0 otherwise.
int CreateShortcutIn(const wchar_t* folder, const wchar_t* fileName, const wchar_t* targetPath,
                     const wchar_t* arguments, const wchar_t* iconFile, int iconIndex,
                     RegistrationFailures* failures = nullptr);

// The start-menu group "Lumenkast" with its links; installationFolder ends in a backslash.
// Returns the result of the last link; every link not saved (or the group folder, when it
// cannot be created) is noted in failures.
int CreateProgramGroup(const wchar_t* installationFolder, int allUsers,
                       RegistrationFailures* failures = nullptr);
