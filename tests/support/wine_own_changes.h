// What Wine itself changes in the registry of a prefix while programs start and draw: its
// records of devices. No program under test writes there, and every test that compares
// snapshots of the prefix leaves these changes out in this one way.
#pragma once

#include <string>

#include "support/prefix_snapshot.h"

namespace lktest {

// Whether key ("HKLM\..." as a snapshot names it) is one that Wine keeps for itself.
bool IsWineOwnKey(const std::wstring& key);

// The difference without the keys and values of Wine's own keys.
SnapshotDifference WithoutWineOwnChanges(SnapshotDifference difference);

}  // namespace lktest
