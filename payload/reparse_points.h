// Links inside the target folder.
#pragma once

#include <string>

// True when one of the folders along path is a link (a symbolic link, junction or mount
// point), or could not be looked at: writing there could land wherever the link leads.
// Only the components followed by a separator count (all of them for a folder entry's name,
// which ends in one); the file a name ends in is never written through anyway. path is
// relative to the current directory; its components are separated by '/' or '\'.
// plainFolder (optional) carries what one look learnt to the next: the leading folders,
// with their separator, that were found plain. A path that starts with them has only its
// further folders looked at; a walk that unpacks a folder's files one after another so
// looks at each folder once.
bool LeadsThroughReparsePoint(const wchar_t* path, std::wstring* plainFolder = nullptr);

// True when the name path is a symbolic link, junction or mount point (a name-surrogate
// reparse point), looked at as the name itself; also when it cannot be looked at. A file
// with a reparse point of another kind (compressed, deduplicated, in the cloud) is a file:
// false.
bool IsNameSurrogateReparsePoint(const wchar_t* path);
