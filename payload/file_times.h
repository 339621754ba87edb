// Time stamps of unpacked files.
#pragma once

#include <windows.h>

// Stamps a file with an archive entry's MS-DOS date (high word) and time (low word), read
// as local time, as its creation and last-write time. An invalid date or time (month 0,
// 31 February, hour 25, ...) leaves the file's times as the system set them.
void SetFileTimeFromDos(const wchar_t* path, DWORD dosDateTime);

// The same for a file open with write access; its last-access time stays as it is.
void SetFileTimeFromDos(HANDLE file, DWORD dosDateTime);
