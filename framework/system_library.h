// Libraries of the system folder, loaded at run time only ever from there.
#pragma once

#include <windows.h>

namespace lk {

// The system folder's path of name; false when it does not fit.
bool SystemLibraryPath(const wchar_t* name, wchar_t (&path)[MAX_PATH]);

// Loads name (for example L"version.dll") from the system folder; null on failure.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace lk
