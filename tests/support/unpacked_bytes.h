// Whether a folder holds exactly what an archive declares: each file entry's size and
// CRC-32 from the central directory, checked against the file written for it.
#pragma once

#include <string>

namespace lktest {

// The file entries of archive (no leading bytes) whose files under folder differ from what
// the central directory declares, one line each; empty when every file matches. Entries
// with names outside ASCII are passed over (their conversion is tested elsewhere); of
// entries with the same name the last counts. Empty as well for an archive whose layout
// this reader cannot follow (a damage minizip passes over, such as a shifted end record):
// there is nothing independent to compare with.
std::string UnpackedBytesDiffer(const std::string& archive, const std::wstring& folder);

}  // namespace lktest
