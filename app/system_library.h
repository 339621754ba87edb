// Libraries of the system folder: the hardened library search of the process and loading
// a library at run time only ever from the system folder (framework/system_library.h).
#pragma once

#include <windows.h>

#include "framework/system_library.h"

// Keeps libraries out of the search that could be planted beside the program: from
// Windows 7 on the search is restricted to the system folder; on Windows Vista, where the
// shell link object cannot be created after that restriction, the current directory is
// removed from the search instead.
void HardenDllSearchPath();

using lk::LoadSystemLibrary;
