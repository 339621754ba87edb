// Which stored entry names may be written under the target folder.
#pragma once

// True when an archive entry name stays inside the target folder: relative, no drive,
// no leading separator, no ".." component.
bool IsSafeEntryName(const char* storedName);
