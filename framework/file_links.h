// Whether a name in the file system is a link: a hard link (a file with more than one name)
// or a name-surrogate reparse point (symbolic link, junction, mount point). Files that
// Windows compressed, deduplicated or keeps in the cloud carry reparse points of other kinds;
// they are files, not links.
#pragma once

#include <windows.h>

namespace lk {

enum class LinkState {
  kMissing,  // nothing of that name, or its folder does not exist
  kPlain,    // a file or folder that is not a link
  kLink,     // a hard link or a name-surrogate reparse point
  kUnknown,  // it could not be looked at (no access, a sharing violation, a device): treat it
             // as unsafe
};

// Looks at path itself, never at what a link points to.
LinkState QueryLinkState(const wchar_t* path);

// The same for a handle opened with FILE_FLAG_OPEN_REPARSE_POINT (and
// FILE_FLAG_BACKUP_SEMANTICS for a folder); kUnknown when it cannot be queried.
LinkState QueryLinkState(HANDLE file);

// True for the reparse tags that redirect a name to another place.
bool IsNameSurrogateTag(DWORD reparseTag);

}  // namespace lk
