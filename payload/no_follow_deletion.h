// Removing what the setup itself made inside the target folder, never through a link: a
// name that shows as a link is not opened for deletion, and what was opened is checked
// before it is marked for deletion through that same handle. The attributes of a file with
// a second name are never changed: they belong to the file, not to the name.
#pragma once

#include <windows.h>

#include <string>

#include "framework/file_identity.h"

// The identity the journal records and the removal compares: the file-id class where the
// system has it (one look at the open file, where Wine's by-handle information also asks
// its mount manager for the volume's serial number), else the by-handle information.
bool QueryOwnIdentity(HANDLE file, lk::FileIdentity* identity);

enum class Removal {
  kGone,         // nothing of that name is left (also when there was nothing)
  kNotThatFile,  // something else has the name now: left alone
  kFailed,       // it stays: a link, held open, a folder that is not empty, no rights
};

// Deletes the file at path when it is the file with expected identity (or, without
// expected, any file that is not a reparse point).
Removal DeleteOwnFile(const std::wstring& path, const lk::FileIdentity* expected = nullptr);

// Deletes the file at path only when it is empty, has one name and is not read-only: what
// a run that created it left when it was killed before it could record its identity.
Removal DeleteEmptyFile(const std::wstring& path);

// Removes the folder at path when it is empty, not a link, and (with expected) that folder.
Removal RemoveOwnFolder(const std::wstring& path,
                             const lk::FileIdentity* expected = nullptr);

// Deletes the folder at path with everything in it; a link inside is removed as a name or
// left, never followed. True when it is gone.
bool DeleteOwnTree(const std::wstring& path);
