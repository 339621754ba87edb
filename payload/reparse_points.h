// Links inside the target folder.
#pragma once

// True when one of the folders along path, or the file it names, exists and is a reparse
// point (a symbolic link, junction or mount point): writing there would land wherever the
// link leads. path is relative to the current directory; its components are separated by
// '/' or '\'.
bool LeadsThroughReparsePoint(const wchar_t* path);
