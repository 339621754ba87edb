// Links inside the target folder.
#pragma once

// True when one of the folders along path is a link (a symbolic link, junction or mount
// point), or could not be looked at: writing there could land wherever the link leads.
// Only the components followed by a separator count (all of them for a folder entry's name,
// which ends in one); the file a name ends in is never written through anyway. path is
// relative to the current directory; its components are separated by '/' or '\'.
bool LeadsThroughReparsePoint(const wchar_t* path);
