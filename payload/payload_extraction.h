// Unpacking the payload archive (resource "ZIP" 210) into the target folder.
#pragma once

#include <windows.h>

#include "payload/archive_in_file.h"
#include "payload/install_transaction.h"
#include "payload/payload_source.h"

// Unpacks the payload archive of source into targetFolder (an existing folder) while its
// bytes are checked against the digest built in; nothing is written anywhere else. Every
// change is recorded in transaction, which the caller commits or rolls back. 0 when the whole
// archive was unpacked and matched its digest; -1 otherwise (what a payload that does not
// match wrote is taken back by the rollback). With keepIconLibrary 1 every entry whose name
// contains "icons.dll" (any case) is left out. The current directory is not used or changed;
// a target folder reached through a link a user could have made is a failure.
int ExtractPayload(const PayloadSource& source, const wchar_t* targetFolder, int keepIconLibrary,
                   InstallTransaction* transaction);

// Unpacks the archive that fills span of the file at path into targetFolder; 0 or -1 as
// above. A failure takes back what it wrote and puts replaced files back.
int UnpackArchiveInFile(const wchar_t* path, const FileSpan& span, const wchar_t* targetFolder,
                        int keepIconLibrary);

// Unpacks the archive file archivePath into targetFolder; 0 or -1 as above.
int UnpackArchive(const wchar_t* archivePath, const wchar_t* targetFolder, int keepIconLibrary);
