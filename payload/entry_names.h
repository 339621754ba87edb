// Which stored entry names may be written under the target folder.
#pragma once

// True when an archive entry name stays inside the target folder and names a file there
// as stored: relative, no drive, no leading separator, no ".." component, no component
// that ends in a dot or a blank, and none that Windows opens as a device (CON, PRN, AUX,
// NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$; with any extension, in any case).
bool IsSafeEntryName(const char* storedName);
