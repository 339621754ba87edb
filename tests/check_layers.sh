#!/usr/bin/env bash
# Fails when a folder includes from a layer above it: framework/ and payload/ use nothing of
# app/, integration/ or wizard/; integration/ uses nothing of wizard/. (integration/ may use
# the folder creator and the Windows version test of app/.)
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
status=0
check() {
  local folder=$1 forbidden=$2
  local found
  found=$(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]+\"($forbidden)/" \
            -r "$root/$folder" --include='*.h' --include='*.cpp' || true)
  if [ -n "$found" ]; then
    echo "$folder/ includes from a layer above it:"
    echo "$found" | sed "s|$root/||"
    status=1
  fi
}
check framework 'app|integration|wizard'
check payload 'app|integration|wizard'
check integration 'wizard'
[ $status -eq 0 ] && echo "include layers: ok"
exit $status
