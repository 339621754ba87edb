#!/usr/bin/env bash
# Converts the pictures of the wizard's pages that the end-to-end tests take
# (<build>/screenshots/wizard-*.bmp) to PNG, and refreshes docs/ with every picture that
# differs visibly from the one there (a blinking caret or focus frame does not count).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LK_BUILD_DIR:-$root/build}
shots="$build/screenshots"
convert=/usr/bin/convert  # ImageMagick's (not any other "convert" on PATH)
compare=/usr/bin/compare
changed_pixels_allowed=50

[ -d "$shots" ] || exit 0
mkdir -p "$root/docs"
for bmp in "$shots"/wizard-*.bmp; do
  [ -e "$bmp" ] || continue
  name=$(basename "$bmp" .bmp)
  png="$shots/$name.png"
  "$convert" "$bmp" -strip "$png"
  doc="$root/docs/$name.png"
  if [ -f "$doc" ]; then
    differing=$("$compare" -metric AE -fuzz 5% "$png" "$doc" null: 2>&1 || true)
    if [[ "$differing" =~ ^[0-9]+$ ]] && [ "$differing" -le "$changed_pixels_allowed" ]; then
      continue
    fi
  fi
  cp "$png" "$doc"
  echo "docs/$name.png updated"
done
