// A picture of what a Wine prefix holds, taken before and after a run of a program, so
// that a test can name every key, value and file the run created, changed or removed.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "support/registry_text.h"

namespace lktest {

// One file or folder. A folder's times are not kept: they change with its content, which
// the snapshot holds on its own.
struct SnapshotFile {
  bool folder = false;
  DWORD attributes = 0;
  ULONGLONG size = 0;
  FILETIME lastWrite = {};
};

struct PrefixSnapshot {
  // Every key stored under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, named "HKLM\..." and
  // "HKCU\...", with its values (see ReadSavedBranch).
  SnapshotKeys keys;
  // Every file and folder under the snapshot's folders, by full path; folders end in '\'.
  // Links to other folders (reparse points) are listed but not entered.
  std::map<std::wstring, SnapshotFile, NoCaseLess> files;
};

// Takes the registry of this process's view (HKLM and HKCU, each read in one request) and
// the files under each of folders (full paths, for example L"C:\\"). A registry that cannot
// be read fails the test.
PrefixSnapshot TakePrefixSnapshot(const std::vector<std::wstring>& folders);

// A value by its key ("HKLM\...") and name (empty: the default value).
struct SnapshotValueName {
  std::wstring key;
  std::wstring name;
};

// What differs between two snapshots, each list in name order.
struct SnapshotDifference {
  std::vector<std::wstring> addedKeys;
  std::vector<std::wstring> removedKeys;
  std::vector<SnapshotValueName> addedValues;  // also every value of an added key
  std::vector<SnapshotValueName> removedValues;  // also every value of a removed key
  std::vector<SnapshotValueName> changedValues;  // type or data differ
  std::vector<std::wstring> addedFiles;  // files and folders; folders end in '\'
  std::vector<std::wstring> removedFiles;
  std::vector<std::wstring> changedFiles;  // size, attributes or last-write time differ

  bool Empty() const;
  // One line per difference ("+key", "-value", "~file" ...), for test messages.
  std::string Describe() const;
};

SnapshotDifference CompareSnapshots(const PrefixSnapshot& before, const PrefixSnapshot& after);

}  // namespace lktest
