# Sourced by scripts/run and scripts/test: a project-local Wine prefix and an X display.
# shellcheck shell=bash

# lk_wine_settings: the environment every Wine process of the project runs in.
lk_wine_settings() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # Pins the ANSI code page (1252) that settings files are converted with.
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
}

# lk_wine_prefix DIR [fresh]: use (and with "fresh", recreate) the Wine prefix DIR.
lk_wine_prefix() {
  local dir=$1 fresh=${2:-}
  export WINEPREFIX="$dir/prefix"
  lk_wine_settings
  # The prefix's Desktop and Documents link into $HOME: keep them inside the prefix folder.
  export HOME="$dir/home"
  if [ "$fresh" = fresh ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$dir"
  fi
  mkdir -p "$HOME"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  fi
}

# lk_start_display: use $DISPLAY when it is set, else start Xvfb on a free display. Xvfb
# takes the number itself and names it once it accepts connections, so that two runs that
# start at the same moment never share a display.
lk_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local named
  named=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
  LK_XVFB_PID=$!
  for _ in $(seq 100); do
    if [ -s "$named" ]; then
      export DISPLAY=":$(head -n 1 "$named")"
      rm -f "$named"
      return 0
    fi
    kill -0 "$LK_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$named"
  echo "could not start Xvfb" >&2
  return 1
}

lk_stop_display() {
  if [ -n "${LK_XVFB_PID:-}" ]; then kill "$LK_XVFB_PID" 2>/dev/null || true; fi
}

# A persistent wineserver, started with its output away from any caller's pipes.
lk_start_wineserver() {
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# lk_keep_desktop DIR: keeps Wine's desktop open until the wineserver ends (see
# scripts/desktop_keeper.c), built into DIR. Without it every short GUI process under ctest
# starts a desktop process that holds ctest's output pipes for a second after the test.
# Returns once the desktop is up, so that no later process starts one of its own.
lk_keep_desktop() {
  local keeper=$1/desktop_keeper.exe ready=$1/desktop_keeper.ready
  local source
  source="$(dirname "${BASH_SOURCE[0]}")/desktop_keeper.c"
  if [ ! -f "$keeper" ] || [ "$source" -nt "$keeper" ]; then
    x86_64-w64-mingw32-gcc -Os -s -municode -mwindows "$source" -o "$keeper"
  fi
  rm -f "$ready"
  wine "$keeper" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 100); do [ -f "$ready" ] && return 0; sleep 0.1; done
  echo "the desktop keeper did not start" >&2
  return 1
}

# lk_start_lane DIR BUILD: readies the test lane in DIR (see tests/CMakeLists.txt): its prefix
# (DIR/prefix, made when missing), an Xvfb display of its own, whose name goes to DIR/display
# and whose process id to DIR/xvfb.pid, a persistent wineserver and a kept desktop (the keeper
# built into BUILD). Runs in a subshell: the caller's environment stays as it was.
lk_start_lane() (
  lk_wine_prefix "$1"
  unset DISPLAY
  lk_start_display
  echo "$DISPLAY" > "$1/display"
  echo "$LK_XVFB_PID" > "$1/xvfb.pid"
  lk_start_wineserver
  lk_keep_desktop "$2"
)

# lk_stop_lane DIR: ends the lane's wineserver (and with it every Wine process of the lane)
# and its display.
lk_stop_lane() {
  WINEPREFIX="$1/prefix" wineserver -k >/dev/null 2>&1 || true
  if [ -f "$1/xvfb.pid" ]; then kill "$(cat "$1/xvfb.pid")" 2>/dev/null || true; fi
  rm -f "$1/xvfb.pid" "$1/display"
}
