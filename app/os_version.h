// The Windows version test.
#pragma once

#include <windows.h>

// True when the running Windows is major.minor (service pack 0) or later.
bool IsOsVersionAtLeast(WORD major, WORD minor);
