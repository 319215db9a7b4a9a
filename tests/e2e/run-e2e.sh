#!/usr/bin/env bash
# Runs the end-to-end tests under Wine in a virtual desktop on an X server.
#
#   run-e2e.sh setup               makes the prefix, starts Xvfb when needed
#   run-e2e.sh run PROGRAM [ARGS]  runs a Windows program there
#   run-e2e.sh teardown            stops what setup started
#   run-e2e.sh all PROGRAM [ARGS]  all three in one go (for a person)
#
# Settings come from the environment (CTest sets them; see
# tests/win32/e2e.cmake): LNF_BUILD_DIR (required), LNF_E2E_STATE (where the
# state of a set-up run is kept; default $LNF_BUILD_DIR/e2e), LNF_E2E_WINVER,
# LNF_E2E_DPI, LNF_E2E_DISPLAY (an X display to use instead of a new Xvfb),
# LNF_E2E_SCREENSHOTS (BMP screenshots there become PNG files), LNF_E2E_DRIVE
# (a letter other than C is mapped to a scratch folder, so that the tool's
# system drive is another drive than Windows' own), LNF_E2E_OLD_DRIVE
# ("readonly": the old drive below is mounted read-only for the run) and the
# LNF_E2E_* settings that the test program reads itself.
#
# The old drive, for the collection from another installation: W: is the
# folder old-drive (the tests lay out an old system there), X: the same
# folder as the tool reads it, through a read-only bind mount where the host
# allows one. The run tells the test program which it got in
# LNF_E2E_OLD_DRIVE_MOUNT ("readonly" or "none"), and X:'s host folder in
# LNF_E2E_OLD_DRIVE_HOST.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${LNF_BUILD_DIR:?LNF_BUILD_DIR names the build folder}"
state="${LNF_E2E_STATE:-$build/e2e}"
winver="${LNF_E2E_WINVER:-}"
dpi="${LNF_E2E_DPI:-96}"
# The tests' own desktop: big enough that no start-up warning comes, and
# that the window fits even at 144 DPI.
desktop_size=1280x1024

. "$root/scripts/wine.sh"
. "$root/scripts/xvfb.sh"

prefix_name() {
  echo "e2e-${winver:-default}-${dpi}"
}

setup() {
  mkdir -p "$state"
  local args=(--desktop "$desktop_size" --dpi "$dpi")
  [ -n "$winver" ] && args+=(--version "$winver")
  local prefix
  prefix="$(lnf_wine_prefix "$build" "$(prefix_name)" "${args[@]}")"

  # Drive E: always, for the cases that put the tool's system drive there.
  local drive="${LNF_E2E_DRIVE:-C}" letter
  for letter in e "${drive,,}"; do
    [ "$letter" = c ] && continue
    mkdir -p "$state/drive-$letter"
    ln -sfn "$state/drive-$letter" "$prefix/dosdevices/$letter:"
  done

  local display="${LNF_E2E_DISPLAY:-}" xvfb_pid=""
  if [ -z "$display" ]; then
    # In a session of its own: it outlives this step, and teardown stops it.
    : >"$state/xvfb.log"
    lnf_xvfb_start 1280x1024x24 "$state/display" "$state/xvfb.log" --own-session || {
      echo "run-e2e.sh: Xvfb did not start; see $state/xvfb.log" >&2
      exit 1
    }
    xvfb_pid="$lnf_xvfb_pid" display="$lnf_xvfb_display"
  fi
  local loader
  loader="$(lnf_wine_loader "$build")"
  {
    echo "export WINEPREFIX='$prefix'"
    echo "export DISPLAY='$display'"
    echo "export WINELOADER='$loader'"
    echo "xvfb_pid='$xvfb_pid'"
  } >"$state/state.env"

  # A server that outlives each test program and holds no test's output
  # open, so that CTest does not wait for it.
  (
    export WINEPREFIX="$prefix" DISPLAY="$display" WINEDEBUG=-all WINELOADER="$loader"
    setsid wineserver -p </dev/null >/dev/null 2>&1
    # Bring up the desktop now rather than inside the first test.
    "$loader" reg query 'HKCU\Software\Wine\Explorer' </dev/null >/dev/null 2>&1 || true
  )
  echo "e2e: prefix $prefix, display $display"
}

# Maps W: and X: to the old drive, X: read-only where the host lets this
# run mount; the mount goes again on every way out (release_old_drive, and
# teardown for a run that was killed).
old_drive_mount="none"
map_old_drive() {
  local source="$state/old-drive" view="$state/old-drive-ro"
  mkdir -p "$source" "$view"
  ln -sfn "$source" "$WINEPREFIX/dosdevices/w:"
  old_drive_mount=none
  release_old_drive
  if [ "${LNF_E2E_OLD_DRIVE:-}" = readonly ]; then
    trap release_old_drive EXIT
    if mount --bind "$source" "$view" 2>/dev/null; then
      if mount -o remount,bind,ro "$view" 2>/dev/null; then
        old_drive_mount=readonly
      else
        umount "$view" 2>/dev/null || umount -l "$view"
      fi
    fi
  fi
  if [ "$old_drive_mount" = readonly ]; then
    ln -sfn "$view" "$WINEPREFIX/dosdevices/x:"
    export LNF_E2E_OLD_DRIVE_HOST="$view"
  else
    ln -sfn "$source" "$WINEPREFIX/dosdevices/x:"
    export LNF_E2E_OLD_DRIVE_HOST="$source"
  fi
  export LNF_E2E_OLD_DRIVE_MOUNT="$old_drive_mount"
}

release_old_drive() {
  local view="$state/old-drive-ro"
  # A Wine process that has not let go yet keeps the mount busy: detached
  # lazily, it is gone from the file system at once all the same.
  if mountpoint -q "$view" 2>/dev/null; then
    umount "$view" 2>/dev/null || umount -l "$view" || true
  fi
}

run() {
  [ -f "$state/state.env" ] || {
    echo "run-e2e.sh: not set up (run '$0 setup' first)" >&2
    exit 1
  }
  . "$state/state.env"
  export WINEDEBUG=-all
  map_old_drive
  local log="$state/run-$$.log" rc=0
  # Output through a file: Wine processes that outlive the program (the
  # desktop of a screen-size case) must not hold CTest's pipe open.
  "$WINELOADER" "$@" </dev/null >"$log" 2>&1 || rc=$?
  release_old_drive
  cat "$log"
  rm -f "$log"
  local shots="${LNF_E2E_SCREENSHOTS:-}" bmp
  if [ -n "$shots" ] && [ -d "$shots" ]; then
    for bmp in "$shots"/*.bmp; do
      [ -e "$bmp" ] || continue
      convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
  fi
  return "$rc"
}

teardown() {
  release_old_drive
  [ -f "$state/state.env" ] || return 0
  . "$state/state.env"
  wineserver -k 2>/dev/null || true
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "$state/state.env"
}

case "${1:-}" in
  setup) setup ;;
  run)
    shift
    run "$@"
    ;;
  teardown) teardown ;;
  all)
    shift
    setup
    rc=0
    run "$@" || rc=$?
    teardown
    exit "$rc"
    ;;
  *)
    echo "usage: $0 setup|run PROGRAM [ARGS]|teardown|all PROGRAM [ARGS]" >&2
    exit 2
    ;;
esac
