// Process hardening and the Windows version test.
#pragma once

#include <windows.h>

// Restricts the library search of the process to the system folder where supported.
void HardenDllSearchPath();

// True when the running Windows is major.minor (service pack 0) or later.
bool IsOsVersionAtLeast(WORD major, WORD minor);
