#!/usr/bin/env bash
# Checks of an executable (the setup, the uninstaller) as a file: 64-bit GUI, Windows 6.0
# minimum, no DLL of its own beside it, and imports only from DLLs that Windows loads from
# the system folder. Further arguments name DLLs it must not import (loaded at run time
# only where needed), or are --resources-on-page: the resource section starts on a page
# boundary of the file (Wine maps only such sections from the file, and reads the others in).
set -u
exe=$1
shift
fail=0
forbidden=()
for arg in "$@"; do
  if [ "$arg" = --resources-on-page ]; then
    offset=$(x86_64-w64-mingw32-objdump -h "$exe" | awk '$2 == ".rsrc" {print $6}')
    if [ -z "$offset" ] || [ $((16#$offset % 4096)) -ne 0 ]; then
      echo "resource section not on a page boundary of the file: offset ${offset:-none}"
      fail=1
    fi
  else
    forbidden+=("$arg")
  fi
done
dump=$(x86_64-w64-mingw32-objdump -p "$exe") || { echo "objdump failed"; exit 1; }
expect() { grep -Eq "$1" <<<"$dump" || { echo "missing in PE header: $1"; fail=1; }; }
expect '^Magic[[:space:]]+020b'
expect '^MajorOSystemVersion[[:space:]]+6$'
expect '^MinorOSystemVersion[[:space:]]+0$'
expect '^MajorSubsystemVersion[[:space:]]+6$'
expect '^MinorSubsystemVersion[[:space:]]+0$'
expect '^Subsystem[[:space:]]+00000002'
# Known DLLs (always from the system folder); comctl32 is bound by the manifest (the setup
# loads it at run time, for the wizard only, so that the unattended run never maps it).
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|msvcrt|comctl32|comdlg32|shlwapi|ws2_32|rpcrt4|imm32)\.dll$'
imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump" | sort -u)
[ -n "$imports" ] || { echo "no import table found"; fail=1; }
for dll in $imports; do
  grep -Eq "$allowed" <<<"$dll" || { echo "import from a DLL searched beside the executable: $dll"; fail=1; }
done
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll version.dll ${forbidden[@]+"${forbidden[@]}"}; do
  grep -qi "^$dll$" <<<"$imports" && { echo "must not import $dll"; fail=1; }
done
[ $fail -eq 0 ] && echo "executable checks passed: imports $(echo $imports | tr '\n' ' ')"
exit $fail
