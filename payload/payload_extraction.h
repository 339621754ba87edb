// Unpacking the payload archive (resource "ZIP" 210) into the target folder.
#pragma once

#include <windows.h>

#include "payload/archive_in_file.h"

// Unpacks the payload archive into targetFolder (an existing folder), reading it where the
// resource lies in the setup's own executable file; nothing is written anywhere else. 0 when
// the whole archive was unpacked; -1 otherwise. With keepIconLibrary 1 every entry whose
// name contains "icons.dll" (any case) is left out. Afterwards the current directory is the
// target folder.
int ExtractPayload(const wchar_t* targetFolder, int keepIconLibrary);

// Unpacks the archive that fills span of the file at path into targetFolder; 0 or -1 as
// above.
int UnpackArchiveInFile(const wchar_t* path, const FileSpan& span, const wchar_t* targetFolder,
                        int keepIconLibrary);

// Unpacks the archive file archivePath into targetFolder; 0 or -1 as above.
int UnpackArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary);
