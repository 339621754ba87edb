// Deleting one file or one empty folder without ever following a link: the name is looked
// at first (lk::QueryLinkState, the one definition of a link), then opened as itself
// (FILE_FLAG_OPEN_REPARSE_POINT), and what was opened is checked (what it is, and that it
// lies where its name says) before it is marked for deletion through that same handle.
#pragma once

#include <string>

#include "framework/file_identity.h"

// Deletes the file at path, which lies in or below the folder chosen (where the caller
// checked that no link an ordinary user could have made is on the way): what is opened
// must lie at chosen's real place followed by the rest of path, so a folder below chosen
// swapped for a link after that check is not followed. A name-surrogate link (symbolic
// link, junction) is left alone; a file with more than one name loses this name only, and
// its attributes are never changed (they are the other names' too). With expected, only
// when the opened file is that one. A read-only file is deleted too. The file counts as
// deleted once it is marked: a process that holds it open with delete sharing keeps the
// name visible until it lets go. 1 when it is deleted (also when nothing had that name),
// 0 otherwise.
int DeleteFileNoFollow(const std::wstring& chosen, const std::wstring& path,
                       const lk::FileIdentity* expected = nullptr);

// Removes the folder at path (chosen itself or a folder below it, checked as above) when it
// is empty and not a link. 1 when it is gone.
int RemoveEmptyFolderNoFollow(const std::wstring& chosen, const std::wstring& path);

// True when path exists (a dangling link counts as existing).
bool PathExists(const std::wstring& path);
