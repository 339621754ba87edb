// Removing the uninstaller itself: a running program cannot delete its own file, so a copy
// of it in a new folder of the temporary folder does that once the uninstaller has ended.
#pragma once

#include <windows.h>

#include <string>

// Copies the uninstaller at exePath into a new unique folder of the temporary folder and
// starts the copy with this process's handle and exePath. 1 when the copy runs.
int HandOverToCopy(const std::wstring& exePath);

// The copy's work: waits until the process parent has ended, deletes exePath, the payload
// folders left empty and the installation folder (exePath's folder) when empty, and marks
// the copy and its folder for deletion at the next start of Windows where that is allowed
// (otherwise they stay in the temporary folder). Always 0.
int FinishAsCopy(HANDLE parent, const std::wstring& exePath);

// The path of the running program's own file.
std::wstring OwnPath();
