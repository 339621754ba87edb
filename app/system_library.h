// Libraries loaded at run time, only ever from the system folder.
#pragma once

#include <windows.h>

// Loads name (for example L"version.dll") from the system folder; null on failure.
HMODULE LoadSystemLibrary(const wchar_t* name);
