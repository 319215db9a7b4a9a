#!/usr/bin/env bash
# Measures LNF_INVTOOL.exe side by side with reference programs doing the
# same work, in one Wine prefix on this machine, and prints the ratios.
#
#   bench/run.sh [--quick] [--only LIST] [--rev REV | --exe PATH]
#
#   --quick     fewer files and runs, for development (about a minute; a
#               full run takes about 13)
#   --rev REV   benchmark the product as committed at REV (git archive), not
#               the working tree
#   --exe PATH  benchmark this LNF_INVTOOL.exe instead of building one
#   --only LIST only these figures, comma-separated: start, memory, a, b, c
#               (2,000 files), c-big (20,000 files); for trying out a change
#
# It builds the product (build/bench/product) and the benchmark programs
# (build/bench/tools), makes its own Wine prefix build/bench/wine/bench with a
# 1024x768 virtual desktop, starts Xvfb when there is no DISPLAY, lays out the
# drives D:, E: and G: under build/bench/drives, and runs bench.exe there, which
# times everything inside Wine with QueryPerformanceCounter. The last report
# is kept in build/bench/report.txt, every run line in build/bench/runs.txt.
# Not part of the test run: times are judged by a person.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build/bench"
quick=0 rev="" exe="" only=""
while [ "$#" -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --rev)
      rev="${2:?--rev REV}"
      shift
      ;;
    --exe)
      exe="$(realpath "${2:?--exe PATH}")"
      shift
      ;;
    --only)
      only=",${2:?--only LIST},"
      shift
      ;;
    *)
      echo "usage: bench/run.sh [--quick] [--only LIST] [--rev REV | --exe PATH]" >&2
      exit 2
      ;;
  esac
  shift
done

if [ "$quick" = 1 ]; then
  small=300 big=3000 ou_files=300 ou_folders=30 runs=3 start_runs=5 memory_runs=1
else
  small=2000 big=20000 ou_files=2000 ou_folders=200 runs=5 start_runs=11 memory_runs=3
fi
# The repeated backup of the big folder may take minutes per run with a slow
# product; past this budget it stops after the runs done and says so.
big_budget=$((quick ? 120 : 420))

mkdir -p "$out"
log="$out/bench.log"
: >"$log"
step() { printf '== %s\n' "$*"; }
fail() {
  echo "bench: $1 (see $log)" >&2
  tail -n 30 "$log" >&2
  exit 1
}

"$root/scripts/setup.sh"

# --- Builds: the product with the flags scripts/build.sh uses, in a folder
# of our own so that no other build is disturbed.
if [ -z "$exe" ]; then
  src="$root"
  if [ -n "$rev" ]; then
    step "product at $rev"
    src="$out/rev-src"
    rm -rf "$src"
    mkdir -p "$src"
    git -C "$root" archive "$rev" CMakeLists.txt cmake src res tests | tar -x -C "$src" \
      || fail "git archive $rev failed"
  fi
  step "building the product"
  product="$out/product"
  [ -n "$rev" ] && product="$out/product-rev"
  cmake -S "$src" -B "$product" -DLNF_FLAVOUR=product \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-win32.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
    >>"$log" 2>&1 || fail "configuring the product failed"
  cmake --build "$product" -j2 >>"$log" 2>&1 || fail "building the product failed"
  exe="$product/src/app/win32/LNF_INVTOOL.exe"
fi
[ -f "$exe" ] || fail "no exe at $exe"
if [ -n "$rev" ]; then
  what="product at $(git -C "$root" rev-parse --short "$rev")"
elif [ "$exe" = "$root/build/bench/product/src/app/win32/LNF_INVTOOL.exe" ]; then
  what="product of the working tree at $(git -C "$root" rev-parse --short HEAD)"
  git -C "$root" diff --quiet HEAD -- src res cmake CMakeLists.txt || what+=", with changes"
else
  what="$exe"
fi

step "building bench.exe, floor.exe and minimal.exe"
cmake -S "$root/bench" -B "$out/tools" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-win32.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel >>"$log" 2>&1 || fail "configuring the benchmark failed"
cmake --build "$out/tools" -j2 >>"$log" 2>&1 || fail "building the benchmark failed"

# --- The prefix, the drives and the display.
step "Wine prefix and drives"
# shellcheck source=scripts/wine.sh
. "$root/scripts/wine.sh"
prefix="$(lnf_wine_prefix "$out" bench --desktop 1024x768 2>>"$log")" || fail "making the prefix failed"
drives="$out/drives"
python3 "$root/bench/make-drives.py" "$drives" "$small" "$big" "$ou_files" "$ou_folders" \
  >>"$log" 2>&1 || fail "laying out the drives failed"
ln -sfn "$drives/d" "$prefix/dosdevices/d:"
ln -sfn "$drives/e" "$prefix/dosdevices/e:"
# The demo drive's made-up inventories, for the memory figure.
rm -rf "$drives/demo"
mkdir -p "$drives/demo/drive_c/windows"
"$root/scripts/make-demo-drive.sh" "$drives/demo" >>"$log" 2>&1 || fail "the demo drive failed"
ln -sfn "$drives/demo/drive_c" "$prefix/dosdevices/g:"

# Copies already in place, for the repeated backups: made here, where it
# costs nothing, not through Wine.
prime() {
  local drive="$1"
  rm -rf "$drive/LNF_INV"
  mkdir "$drive/LNF_INV"
  cp -p "$drive/Program Files/WindowsUpdate/"* "$drive/LNF_INV/"
}

xvfb_pid=""
cleanup() {
  # Only what this script started: the prefix's own Wine processes, and Xvfb
  # by its process ID.
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=scripts/xvfb.sh
  . "$root/scripts/xvfb.sh"
  lnf_xvfb_start 1280x1024x24 "$out/display" "$log" || fail "Xvfb did not start"
  xvfb_pid="$lnf_xvfb_pid"
  export DISPLAY="$lnf_xvfb_display"
fi

export WINEPREFIX="$prefix" WINEDEBUG=-all
# The waits of the driver are bounded by this; a backup of many files may
# take minutes on a slow product.
export LNF_E2E_TIMEOUT_MS=900000
# One server for every run, and the desktop up before the first one.
wineserver -p >/dev/null 2>&1 </dev/null
wine reg query 'HKCU\Software\Wine\Explorer' </dev/null >/dev/null 2>&1 || true

winpath() { printf 'Z:%s' "${1//\//\\}"; }
tool="$(winpath "$exe")"
minimal="$(winpath "$out/tools/minimal.exe")"
floor="$(winpath "$out/tools/floor.exe")"
runs_file="$out/runs.txt"
: >"$runs_file"
bench() {
  local line
  # bench.exe says why it stopped on its standard error, which goes to the log.
  if ! wine "$out/tools/bench.exe" "$@" </dev/null 2>>"$log" | tr -d '\r' | while read -r line; do
    echo "$line" >>"$runs_file"
    case "$line" in run\ * | stopped\ *) echo "   $line" ;; esac
  done; then
    fail "bench.exe $1 failed"
  fi
}

# Whether figure $1 is to be measured.
wanted() { [ -z "$only" ] || [[ "$only" == *",$1,"* ]]; }

started=$SECONDS
wanted start && step "start-up: the tool against minimal.exe, $start_runs runs each"
wanted start && bench start "$tool" "$minimal" D "$start_runs" start
wanted memory && step "peak working set after a check on the demo drive"
wanted memory && bench memory "$tool" "$minimal" G "$memory_runs" memory
wanted a && step "V2/V3.1 backup of $small new files against xcopy, $runs runs each"
wanted a && bench v3 "$tool" "$floor" D "$small" "$runs" fresh 0 v3-new
wanted b && step "Office Update backup of $ou_files files in $ou_folders folders against xcopy /E"
wanted b && bench ou "$tool" "$floor" D "$ou_files" "$runs" ou-new
if wanted c; then
  step "repeated V2/V3.1 backup of $small files against xcopy replacing them"
  prime "$drives/d"
  bench v3 "$tool" "$floor" D "$small" "$runs" repeat 0 v3-again
fi
if wanted c-big; then
  step "repeated V2/V3.1 backup of $big files against xcopy replacing them"
  prime "$drives/e"
  bench v3 "$tool" "$floor" E "$big" "$runs" repeat "$big_budget" v3-again-big
fi
measured=$((SECONDS - started))

# --- The report.
size=$(stat -c %s "$exe")
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -f |
  tr '\n' ' ')
result() { awk -v k="$1" '$1 == "result" && $2 == k' "$runs_file"; }
field() { result "$1" | awk -v n="$2" '{ print $n }'; }
verdict() { awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g ? "met" : "MISSED") }'; }
{
  echo
  echo "Lanternfall Tallyglass benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1);" \
    "$(wine --version)"
  echo "measured: $what"
  [ "$quick" = 1 ] && echo "QUICK RUN: fewer files and runs than the goals are set for"
  echo
  printf '%-44s %10s %10s %7s %6s  %s\n' "measurement (median of runs)" "tool" "reference" \
    "ratio" "goal" ""
  row() {
    local key="$1" what="$2" goal="$3" unit="${4:-s}"
    local r
    r="$(result "$key")"
    [ -n "$r" ] || return 0
    set -- $r
    local note=""
    [ "$7" -lt "$runs" ] && note=" (only $7 runs: time budget)"
    printf '%-44s %9.3f%s %9.3f%s %7.3f %6s  %s%s\n' "$what" "$3" "$unit" "$4" "$unit" "$5" \
      "${goal:--}" "$([ -n "$goal" ] && verdict "$5" "$goal")" "$note"
  }
  row v3-new "a. V2/V3.1 backup, $small new files / xcopy" 1.2
  row ou-new "b. Office Update backup, $ou_files files / xcopy /E" 1.0
  row v3-again "c. repeated V2/V3.1, $small files / xcopy /Y" ""
  row v3-again-big "c. repeated V2/V3.1, $big files / xcopy /Y" 1.3
  growth=$(awk -v a="$(field v3-again-big 5)" -v b="$(field v3-again 5)" \
    'BEGIN { if (a == "" || b == "") print ""; else printf "%.3f", a / b }')
  if [ -n "$growth" ]; then
    printf '%-44s %10s %10s %7s %6s  %s\n' "c. ratio at $big / ratio at $small" "" "" "$growth" \
      1.15 "$(verdict "$growth" 1.15)"
  fi
  row v3-new-floor "a. V2/V3.1 backup, $small new files / floor" 1.1
  row ou-new-floor "b. Office Update backup, $ou_files files / floor" 1.1
  row v3-again-floor "c. repeated V2/V3.1, $small files / floor" 1.25
  row v3-again-big-floor "c. repeated V2/V3.1, $big files / floor" 1.25
  row start "d. start to window shown / minimal.exe" 1.5
  mem="$(result memory)"
  if [ -n "$mem" ]; then
    set -- $mem
    printf '%-44s %8.0fKiB %7.0fKiB %7.3f %6s\n' "e. peak working set after a check / minimal" \
      "$3" "$4" "$5" "-"
  fi
  printf '%-44s %9.1fKiB %10s %7s %6s  %s\n' "e. size of LNF_INVTOOL.exe" \
    "$(awk -v s="$size" 'BEGIN { print s / 1024 }')" "" "" "200KiB" \
    "$(verdict "$size" 204800)"
  echo "   imports: $dlls"
  echo
  echo "measuring took ${measured}s; every run: $runs_file"
} | tee "$out/report.txt"
