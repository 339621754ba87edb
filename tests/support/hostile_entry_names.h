// Stored entry names an archive may carry to write outside the target folder, onto a
// device, or under a name Windows changes, with what the unpacking makes of each. The unit
// tests of the unpacking and the end-to-end tests of the setup both walk this one table,
// so a name is added, or its outcome changed, here alone.
#pragma once

#include "support/test_zip_writer.h"

namespace lktest {

enum class EntryNameOutcome {
  kRefused,  // the name check refuses it: nothing is written for it, the unpacking reports -1
  kNotOpened,  // Windows does not open it: passed over as well, the unpacking reports -1
  kWritten,  // the unpacking goes on as for any name and reports 0; the entry lands under
             // its name inside the target folder
};

struct HostileEntryName {
  const char* storedName;
  EntryNameOutcome outcome;
};

constexpr HostileEntryName kHostileEntryNames[] = {
    // Names that lead out of the target folder, or name a drive, a share or a stream.
    {"..\\x", EntryNameOutcome::kRefused},
    {"../x", EntryNameOutcome::kRefused},
    {"a/../../x", EntryNameOutcome::kRefused},
    {"a\\..\\..\\x", EntryNameOutcome::kRefused},
    {"C:\\x", EntryNameOutcome::kRefused},
    {"C:/x", EntryNameOutcome::kRefused},
    {"C:x", EntryNameOutcome::kRefused},
    {"\\x", EntryNameOutcome::kRefused},
    {"/x", EntryNameOutcome::kRefused},
    {"\\\\server\\share\\x", EntryNameOutcome::kRefused},
    {"//server/share/x", EntryNameOutcome::kRefused},
    {"\\\\?\\C:\\x", EntryNameOutcome::kRefused},
    {".. /x", EntryNameOutcome::kRefused},
    {"a/.../x", EntryNameOutcome::kRefused},
    {"x.txt:stream", EntryNameOutcome::kRefused},
    {"../evil/", EntryNameOutcome::kRefused},
    {"C:/evil/", EntryNameOutcome::kRefused},
    // Device names, in any folder, case and with any extension, and names Windows trims (a
    // trailing dot or blank, which would land under another name).
    {"NUL", EntryNameOutcome::kRefused},
    {"nul.txt", EntryNameOutcome::kRefused},
    {"Plugins/aux.dll", EntryNameOutcome::kRefused},
    {"LPT1", EntryNameOutcome::kRefused},
    {"lpt9.log", EntryNameOutcome::kRefused},
    {"CON", EntryNameOutcome::kRefused},
    {"Con.tar.gz/x", EntryNameOutcome::kRefused},
    {"PRN/", EntryNameOutcome::kRefused},
    {"COM1", EntryNameOutcome::kRefused},
    {"Plugins/Com9 .txt", EntryNameOutcome::kRefused},
    // A superscript one, two or three (here in the ANSI code page 1252) numbers a device too.
    {"COM\xB9", EntryNameOutcome::kRefused},
    {"Plugins/lpt\xB2.txt", EntryNameOutcome::kRefused},
    {"Com\xB3 .log/x", EntryNameOutcome::kRefused},
    {"conin$", EntryNameOutcome::kRefused},
    {"CONOUT$.txt", EntryNameOutcome::kRefused},
    {"trailing.", EntryNameOutcome::kRefused},
    {"trailing ", EntryNameOutcome::kRefused},
    {"dotted./x.txt", EntryNameOutcome::kRefused},
    {"blank /x.txt", EntryNameOutcome::kRefused},
    {"Plugins/.", EntryNameOutcome::kRefused},
    {"Plugins/x./", EntryNameOutcome::kRefused},
    // Characters no Windows file name may hold, in a file's and in a folder's name.
    {"a<b.txt", EntryNameOutcome::kNotOpened},
    {"Plugins/pipe|name", EntryNameOutcome::kNotOpened},
    {"wild*card?", EntryNameOutcome::kNotOpened},
    {"a/b\"c/x.txt", EntryNameOutcome::kNotOpened},
    // Names that only look like the ones above: dots that do not lead up, device names
    // with more after them.
    {"..hidden", EntryNameOutcome::kWritten},
    {"Plugins/..x/y", EntryNameOutcome::kWritten},
    {"COM10", EntryNameOutcome::kWritten},
    {"CONIN", EntryNameOutcome::kWritten},
    {"nul_x.txt", EntryNameOutcome::kWritten},
};

// The archive that the tests unpack for a row: a benign file, a benign folder, the row's
// name holding kHostileEntryData, and a benign file in that folder after it.
TestZipWriter ArchiveAroundHostileEntry(const char* storedName);
constexpr char kHostileEntryData[] = "hostile";
// What the benign entries leave under the target folder; folders end in a backslash.
constexpr const wchar_t* kBenignEntryPaths[] = {L"lk_about.txt", L"Plugins\\",
                                                L"Plugins\\later.txt"};

}  // namespace lktest
