// Wine's text format of a registry branch: what its server keeps on disk (system.reg,
// user.reg) and what RegSaveKeyW writes under Wine. Reading a branch this way costs one
// request to the server, where opening and listing every key costs several per key.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace lktest {

// Orders names as Windows matches them: without regard to case.
struct NoCaseLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// One registry value as stored.
struct SnapshotValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// The values of one key by name (the default value has the empty name).
using SnapshotValues = std::map<std::wstring, SnapshotValue, NoCaseLess>;
// Keys by full name ("HKLM\Software\..."), each with its values.
using SnapshotKeys = std::map<std::wstring, SnapshotValues, NoCaseLess>;

// Adds every key of text (a branch in Wine's format) to keys, named rootName, then a
// backslash and the key's path below the branch; the branch's root is rootName itself.
// Keys that hold nothing but subkeys are not written out in the format: they are added
// from their subkeys' paths. False when text is not in the format (keys then holds what was
// read up to the fault).
bool ParseRegistryText(const std::string& text, const std::wstring& rootName, SnapshotKeys* keys);

// The branch under root as this process sees it (an override by RegOverridePredefKey
// included), saved by the server and parsed; false when it could not be saved. Volatile
// keys are not saved: they hold what Wine finds at each start (hardware, displays) and
// vanish when it ends.
bool ReadSavedBranch(HKEY root, const std::wstring& rootName, SnapshotKeys* keys);

}  // namespace lktest
