// Archive entry names: their encoding, and which of them may be written under the target
// folder.
#pragma once

#include <cstddef>

// General-purpose flag bit 11 of an archive entry: its name is stored in UTF-8.
constexpr unsigned long kUtf8NameFlag = 0x800;

// The entry name in UTF-8, the one form the unpacking works on: a name flagged as UTF-8 is
// taken as it is when it is valid UTF-8; any other is converted from the ANSI code page.
// name holds capacity bytes; false when the name is not valid in its encoding or does not
// fit. In UTF-8 every byte below 0x80 is the character it looks like, so separators, dots
// and device names are found the same way whatever the archive stored.
bool EntryNameToUtf8(const char* stored, bool flaggedUtf8, char* name, size_t capacity);

// A UTF-8 entry name as a UTF-16 path name of at most capacity units with its terminator;
// false when it is not valid UTF-8 or does not fit.
bool EntryNameToPath(const char* name, wchar_t* path, size_t capacity);

// True when an archive entry name (UTF-8, from EntryNameToUtf8) stays inside the target
// folder and names a file there as stored: relative, no drive, no leading separator, no
// ".." component, no component that ends in a dot or a blank, and none that Windows opens
// as a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, COM and LPT with a
// superscript 1, 2 or 3, CONIN$, CONOUT$; with any extension, in any case).
bool IsSafeEntryName(const char* name);
