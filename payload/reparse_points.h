// Links inside the target folder.
#pragma once

#include <string>

// True when one of the folders along name, below folder, is a link (a symbolic link,
// junction or mount point), or could not be looked at: writing there could land wherever
// the link leads. folder itself and the folders above it are not looked at here. Only the
// components of name followed by a separator count (all of them for a folder entry's name,
// which ends in one); the file a name ends in is never written through anyway. name's
// components are separated by '/' or '\'.
// plainFolder (optional) carries what one look learnt to the next: the leading folders of
// name, with their separator, that were found plain. A name that starts with them has only
// its further folders looked at; a walk that unpacks a folder's files one after another so
// looks at each folder once. It belongs to one folder.
bool LeadsThroughReparsePoint(const std::wstring& folder, const wchar_t* name,
                              std::wstring* plainFolder = nullptr);

// True when the name path is a symbolic link, junction or mount point (a name-surrogate
// reparse point), looked at as the name itself; also when it cannot be looked at. A file
// with a reparse point of another kind (compressed, deduplicated, in the cloud) is a file:
// false.
bool IsNameSurrogateReparsePoint(const wchar_t* path);
