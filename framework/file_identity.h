// Which file or folder a name stands for: the volume's serial number and the file index,
// the same for every spelling of one file (short 8.3 names, case, a trailing backslash,
// a link leading to it).
#pragma once

#include <windows.h>

namespace lk {

struct FileIdentity {
  DWORD volumeSerial = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
};

bool operator==(const FileIdentity& a, const FileIdentity& b);
inline bool operator!=(const FileIdentity& a, const FileIdentity& b) { return !(a == b); }

// The identity of an open file or folder; false when it cannot be queried.
bool QueryFileIdentity(HANDLE file, FileIdentity* identity);

// The file number of an open file or folder alone, without its volume's serial number: one
// look at the file. Wine asks its mount manager process for the serial on every query that
// reports it (by-handle information and the file-id class alike), a round trip that costs a
// hundred microseconds and more; the number alone it reads from the file itself. False when
// the system does not answer.
bool QueryFileIndex(HANDLE file, DWORD* indexHigh, DWORD* indexLow);

// The identity of what path names, following links (a folder is opened with
// FILE_FLAG_BACKUP_SEMANTICS); false when it does not exist or cannot be opened.
bool QueryFileIdentity(const wchar_t* path, FileIdentity* identity);

// True when both paths name the same existing file or folder.
bool IsSameFile(const wchar_t* a, const wchar_t* b);

}  // namespace lk
