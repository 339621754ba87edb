// The entries of the payload archive, relative to the installation folder, compiled in from
// the tree the archive is packed from. Folders end in a backslash and come before what
// they contain, as in the archive.
#pragma once

extern const wchar_t* const kPayloadEntries[];
extern const int kPayloadEntryCount;
