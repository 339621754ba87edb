#!/usr/bin/env bash
# Runs a test program under Wine in the prefix and on the display of its lane: LK_LANE
# (set by the test's properties, see tests/CMakeLists.txt; "unit" when unset, as while ctest
# lists the tests of a program), under LK_TEST_WINE, where scripts/test prepared each lane.
set -euo pipefail
lane=${LK_TEST_WINE:?the tests run through scripts/test}/${LK_LANE:-unit}
export WINEPREFIX="$lane/prefix" HOME="$lane/home"
DISPLAY=$(cat "$lane/display")
export DISPLAY
exec wine "$@"
