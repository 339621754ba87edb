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
