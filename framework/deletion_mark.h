// Marking an opened file or folder for deletion through its own handle: the plain mark, the
// extended one that ignores the read-only attribute, and where the system lacks that, the
// attribute cleared for the mark. The attributes of a file with more than one name are never
// changed: they belong to the file, not to the name. Which name is opened, and whether it
// may be deleted at all, is the caller's to decide.
#pragma once

#include <windows.h>

#include <string>

#include "framework/scoped_handles.h"

namespace lk {

// Opens the name itself, file or folder, never what a link leads to: DELETE with reading
// and writing the attributes, every kind of sharing.
ScopedFileHandle OpenForDeletion(const std::wstring& path);

// The attributes of an opened file, read through its handle.
bool AttributesOf(HANDLE file, DWORD* attributes);

// Marks an opened file (opened with DELETE access) for deletion when its last handle
// closes, or takes the mark back. False when the system refuses: the file of a running
// program, a folder that is not empty, a read-only file.
bool SetDeletionMark(HANDLE file, bool mark);

// When the name of a file marked by MarkIgnoringReadOnly goes.
enum class NameGoes {
  kWithLastHandle,      // when the last handle closes, as with the plain mark
  kAtOnceWherePossible, // at once on a volume with POSIX semantics, else with the last handle
};

// Marks an opened file (opened with DELETE access) for deletion whatever its read-only
// attribute says, and without changing it. False where the system does not have this
// deletion (before Windows 10 version 1809, and Wine) or refuses it.
bool MarkIgnoringReadOnly(HANDLE file, NameGoes when);

// For a system without MarkIgnoringReadOnly: a read-only file of one name (attributes as
// AttributesOf read them) has the attribute cleared for the plain mark, and put back when
// the mark is refused all the same. False, with nothing changed, for a file that is not
// read-only or has more than one name, and when the attribute cannot be cleared. The
// handle needs FILE_WRITE_ATTRIBUTES besides DELETE.
bool MarkClearingReadOnly(HANDLE file, DWORD attributes);

}  // namespace lk
