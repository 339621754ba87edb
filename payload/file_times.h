// Time stamps of unpacked files.
#pragma once

#include <windows.h>

// Stamps a file with an archive entry's MS-DOS date (high word) and time (low word), read
// as local time, as its creation and last-write time.
void SetFileTimeFromDos(const wchar_t* path, DWORD dosDateTime);
