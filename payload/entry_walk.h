// The walk over the entries of an open payload archive.
#pragma once

#include "payload/entry_output.h"
#include "unzip.h"

// Unpacks every entry of archive, positioned on its first entry, into output's target
// folder. With keepIconLibrary 1 entries whose name contains "icons.dll"
// (any case) are left out. 0 when every other entry was written; -1 when the walk ended
// early or passed over an entry it could not or would not write (a name leading outside
// the target folder or naming a device, a path through a link or junction, an output
// file that could not be created or an existing file that could not be set aside, an entry
// whose inflated size differs from the declared one, a write that failed). output, and the
// transaction behind it, are used from a writer thread alone, which has ended when this
// returns.
int ExtractEntries(unzFile archive, int keepIconLibrary, EntryOutput* output);
