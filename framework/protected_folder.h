// Folders that an ordinary user of the machine cannot change: created with an explicit
// security descriptor, and recognised later by that descriptor.
//
// What a folder "has" is what the file system keeps of the descriptor it was given: NTFS
// keeps it as it is; a volume without permissions (FAT) keeps nothing; Wine keeps no owner
// and maps the access entries onto the Unix permission bits. A folder is therefore checked
// against a reference folder created the same way on the same volume at the time of the
// check, never against a fixed text.
#pragma once

#include <windows.h>

#include <string>

namespace lk {

enum class FolderProtection {
  // Owner Administrators; full control for Administrators and SYSTEM only; nothing
  // inherited from above. For state that only an elevated run may trust.
  kAdministratorsOnly,
  // As the program folder: full control for Administrators and SYSTEM, read and run for
  // Users; nothing inherited from above. For a program folder made outside the system's.
  kProgramFolder,
};

// The descriptor as SDDL text (exposed for tests).
const wchar_t* ProtectionDescriptorText(FolderProtection protection);

// Creates the folder path, which must not exist yet, with the protection. A process that
// may not make Administrators the owner (not elevated) keeps its own default owner. False
// when the folder could not be created with it (nothing is left then); GetLastError says
// why (ERROR_ALREADY_EXISTS when the name is taken).
bool CreateProtectedFolder(const wchar_t* path, FolderProtection protection);

// Gives an existing folder, opened with WRITE_DAC and WRITE_OWNER, the protection.
bool ProtectFolder(HANDLE folder, FolderProtection protection);

// The owner and access list of an opened file or folder as SDDL text; empty on failure.
std::wstring SecurityDescriptorText(HANDLE file);

// True when the opened folder has the descriptor that a folder created now with the
// protection inside referenceParent gets (the reference is removed again).
bool HasProtection(HANDLE folder, FolderProtection protection, const wchar_t* referenceParent);

}  // namespace lk
