// The temporary file the payload archive is unpacked from.
#pragma once

#include <windows.h>

// Size of the temporary folder buffer and of the archive path built in it.
constexpr DWORD kTemporaryArchivePathUnits = 520;

// Creates a new file "lkmaing_x64_<unique>.zip" in the temporary folder (never an
// existing one), writes size bytes of data to it in one write and closes it. Its path goes
// to path; false when no file could be created or the write did not complete (the file is
// then removed again).
bool CreateTemporaryArchive(const void* data, DWORD size,
                            wchar_t (&path)[kTemporaryArchivePathUnits]);
