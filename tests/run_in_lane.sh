#!/usr/bin/env bash
# Runs a test program under Wine in the prefix and on the display of its lane: LK_LANE
# (set by the test's properties, see tests/CMakeLists.txt; "unit" when unset, as while ctest
# lists the tests of a program), under LK_TEST_WINE, where scripts/test prepared each lane.
#
# Wine loses a new process now and then while it starts it (about one start in a few
# thousand on a loaded machine): the program ends with 1 before its main() and without a
# word. Every test program is a GoogleTest one, whose main() says "Running main()" first; a
# run that ended otherwise without that line is started again, twice at most, and said so.
set -uo pipefail
lane=${LK_TEST_WINE:?the tests run through scripts/test}/${LK_LANE:-unit}
export WINEPREFIX="$lane/prefix" HOME="$lane/home"
DISPLAY=$(cat "$lane/display") || exit 1
export DISPLAY
output=$(mktemp)
trap 'rm -f "$output"' EXIT
for attempt in 1 2 3; do
  wine "$@" 2>&1 | tee "$output"
  code=${PIPESTATUS[0]}
  if [ "$code" -eq 0 ] || grep -q '^Running main() from' "$output"; then break; fi
  [ "$attempt" -lt 3 ] && echo "run_in_lane.sh: Wine lost the program while it started" \
                               "(exit code $code, no output); started again" >&2
done
exit "$code"
