// Unpacking the payload archive (resource "ZIP" 210) into the target folder.
#pragma once

#include <windows.h>

// Writes the payload archive to a new temporary file, unpacks it into targetFolder (an
// existing folder) and deletes the temporary file. 0 when the whole archive was unpacked;
// -1 otherwise. With keepIconLibrary 1 every entry whose name contains "icons.dll"
// (any case) is left out. Afterwards the current directory is the target folder.
int ExtractPayload(const wchar_t* targetFolder, int keepIconLibrary);

// What ExtractPayload does once it holds the archive bytes: writes them to a new temporary
// file, unpacks that into targetFolder and deletes it again; 0 or -1 as above.
int ExtractArchiveData(const void* data, DWORD size, const wchar_t* targetFolder,
                       int keepIconLibrary);

// Unpacks the archive file archivePath into targetFolder; 0 or -1 as above.
int UnpackArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary);

// Creates a folder path with every missing parent: 1 when it exists afterwards (or creation
// stopped for another reason than a missing parent), 0 for an empty path or a missing parent.
int MakeDirectoryPath(const wchar_t* path);

// Stamps a file with an archive entry's MS-DOS date (high word) and time (low word), read
// as local time, as its creation and last-write time.
void SetFileTimeFromDos(const wchar_t* path, DWORD dosDateTime);

// True when an archive entry name stays inside the target folder: relative, no drive,
// no leading separator, no ".." component.
bool IsSafeEntryName(const char* storedName);
