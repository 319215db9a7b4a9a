#!/usr/bin/env bash
# Builds the tool and starts it under Wine.
#   WINEPREFIX set to an existing prefix: the tool runs in that prefix;
#   otherwise: in the project's demo prefix build/wine/demo, whose drive C
#   holds made-up inventories of all three kinds (scripts/make-demo-drive.sh).
# With a DISPLAY the tool simply opens there. Without one it runs on a
# private X server: it is started, "Check now!" is pressed, each category
# found is opened, screenshots go to build/screenshots/, the log console's
# text is printed, and the tool is closed again.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Wine turns Windows file names into Unix ones in the locale's character
# set; names outside ASCII need a UTF-8 locale.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then export LC_ALL=C.UTF-8; fi
build="$root/build"
"$root/scripts/build.sh" product
exe="$build/product/src/app/win32/LNF_INVTOOL.exe"
log="$build/start.log"
: >"$log"

# Control IDs of the main window (src/form/ControlIds.h).
id_check=136 id_v3btn=134 id_v4btn=133 id_oubtn=119 id_log=118

export WINEDEBUG="${WINEDEBUG:--all}"
# shellcheck source=scripts/wine.sh
source "$root/scripts/wine.sh"
# Wine's loader for 32-bit Windows programs is a 32-bit Linux program, which
# some virtual machines' kernels cannot start at all. It is asked itself:
# `wine --version` may answer through the 64-bit loader.
if ! lnf_wine_can_start win32; then
  echo "start: built $exe, but this machine cannot start 32-bit Wine (its loader does not" \
    "start: no 32-bit programs here?); run the exe on Windows, or here on a machine that runs" \
    "32-bit programs" >&2
  exit 1
fi
if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
  prefix="$WINEPREFIX"
else
  if [ -n "${WINEPREFIX:-}" ]; then
    echo "start: WINEPREFIX=$WINEPREFIX does not exist; using the demo prefix" >&2
  fi
  prefix="$(lnf_wine_prefix "$build" demo --desktop 800x600 2>>"$log")" || {
    echo "start: making the demo prefix failed" >&2
    cat "$log" >&2
    exit 1
  }
  # Debian's Wine leaves its own fonts out of new prefixes, and title bars
  # then show letters where their button symbols belong.
  if [ ! -e "$prefix/drive_c/windows/Fonts/marlett.ttf" ] && [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  fi
  "$root/scripts/make-demo-drive.sh" "$prefix"
fi
export WINEPREFIX="$prefix"

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe"
fi

# --- No display: a private X server, the tool on an 800x600 Wine desktop. ---

# The driver that presses buttons and reads text, built once and again when
# it or the driver it stands on changes.
pilot="$build/tools/autopilot.exe"
driver=("$root"/tools/driver/*.cpp)
stale=0
for f in "$root/tools/autopilot.cpp" "${driver[@]}" "$root"/tools/driver/*.h \
  "$root/src/app/WorkingQuery.h"; do
  [ "$f" -nt "$pilot" ] && stale=1
done
if [ ! -e "$pilot" ] || [ "$stale" = 1 ]; then
  mkdir -p "$build/tools"
  i686-w64-mingw32-g++-posix -std=c++17 -O2 -municode -static -I"$root/src" \
    -I"$root/tools/driver" -o "$pilot" "$root/tools/autopilot.cpp" "${driver[@]}" \
    -lgdi32 -luser32 >>"$log" 2>&1 || {
    echo "start: building tools/autopilot.cpp failed" >&2
    cat "$log" >&2
    exit 1
  }
fi

xvfb_pid="" wine_pid=""
cleanup() {
  # Only what this script started, by process ID; the tool's Wine processes
  # end with their X server.
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
lnf_xvfb_start 800x600x24 "$build/start-xvfb.display" "$log" || {
  echo "start: Xvfb did not start" >&2
  cat "$log" >&2
  exit 1
}
xvfb_pid="$lnf_xvfb_pid" display="$lnf_xvfb_display"
export DISPLAY="$display"

# A desktop of its own: the prefix's default desktop may already be tied to
# the X root window by Wine's background services.
desktop=Tallyglass
wine explorer /desktop="$desktop",800x600 "$(winepath -w "$exe" 2>>"$log")" >>"$log" 2>&1 &
wine_pid=$!

pilot() { wine "$pilot" --desktop "$desktop" "$@" 2>>"$log"; }
shots="$build/screenshots"
mkdir -p "$shots"
shot() {
  sleep 0.5  # let Wine's drawing reach the X server
  import -display "$display" -window root "$shots/$1.png" >>"$log" 2>&1
  echo "  $shots/$1.png"
}

pilot wait 120 || { echo "start: the tool's window did not come up" >&2; cat "$log" >&2; exit 1; }
echo "Screenshots:"
shot start
pilot click "$id_check"
shot check
for pair in "$id_v3btn:v3" "$id_v4btn:v4" "$id_oubtn:ou"; do
  id="${pair%%:*}" name="${pair#*:}"
  if [ "$(pilot shown "$id" | tr -d '\r')" = 1 ]; then
    pilot click "$id"
    shot "$name"
  else
    echo "  ($name: not found by the check, no screenshot)"
  fi
done
echo "Log console:"
pilot text "$id_log"
pilot close 20 || echo "start: the tool did not close; stopping it" >&2
for _ in $(seq 100); do
  kill -0 "$wine_pid" 2>/dev/null || break
  sleep 0.1
done
