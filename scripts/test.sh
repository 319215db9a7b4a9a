#!/usr/bin/env bash
# Builds every flavour and runs every test: the native core tests, then the
# tests that run under Wine (their fixtures start an X server when needed).
# Ends with a line naming the Wine that ran them, then one line
# "N passed, N failed, N skipped" summed over all runs.
#
# The Wine tests run on the i686 build under 32-bit Wine, whose loader is a
# 32-bit Linux program. Some virtual machines' kernels cannot start one:
# there they run on the x86_64 build of the same sources under 64-bit Wine
# instead (the checks of the i686 exe itself run everywhere, for they only
# read it). Only where neither Wine starts are they skipped, loudly, and
# counted as skipped, unless LNF_REQUIRE_WINE=1 makes that a failure.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Wine turns Windows file names into Unix ones in the locale's character
# set; names outside ASCII need a UTF-8 locale.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then export LC_ALL=C.UTF-8; fi
cd "$root"
"$root/scripts/build.sh"

passed=0
failed=0
skipped=0
status=0

# Runs one build dir's tests, echoing ctest's output and keeping a copy in
# build/<name>-ctest.log, then adds its counts to the totals.
run_ctest() {
  local name="$1"
  shift
  local log="$root/build/$name-ctest.log"
  local rc=0
  # A default per-test time limit, so that a hung Wine process cannot eat a
  # whole CI run; tests may set their own.
  ctest --test-dir "$root/build/$name" --output-on-failure --timeout 300 "$@" 2>&1 \
    | tee "$log" || rc=$?
  local line
  line="$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)"
  if [ -z "$line" ]; then
    # No summary: no tests were found, or ctest itself failed. Either way
    # that suite did not pass.
    echo "test: $name ran no tests (ctest exit $rc)" >&2
    failed=$((failed + 1))
    status=1
    return
  fi
  local f t
  f="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")"
  t="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")"
  passed=$((passed + t - f))
  failed=$((failed + f))
  if [ "$rc" -ne 0 ] || [ "$f" -ne 0 ]; then status=1; fi
}

# shellcheck source=scripts/wine.sh
. "$root/scripts/wine.sh"

run_ctest native -j2
# `wine --version` does not tell: where the 32-bit loader cannot start,
# Debian's wine command may fall back to the 64-bit one. Each loader is
# started itself.
if lnf_wine_can_start win32; then
  wine_ran="wine: i686 under 32-bit Wine"
  run_ctest wintests
elif lnf_wine_can_start win64; then
  wine_ran="wine: x86_64 under 64-bit Wine (this machine cannot start 32-bit programs)"
  echo "test: this machine cannot start 32-bit programs; the Wine tests run on the x86_64 build" >&2
  run_ctest wintests64 -L wine
  # The i686 exe's own checks, which read it without running it.
  run_ctest wintests -LE wine
else
  skipped="$(ctest --test-dir "$root/build/wintests" -N -L wine | sed -nE 's/^Total Tests: ([0-9]+)$/\1/p')"
  wine_ran="wine: none (this machine starts neither 32-bit nor 64-bit Wine)"
  notice="test: this machine cannot start Wine (neither its 32-bit nor its 64-bit loader starts); the $skipped Wine tests are skipped"
  if [ "${LNF_REQUIRE_WINE:-0}" = 1 ]; then
    echo "$notice, and LNF_REQUIRE_WINE=1 makes that a failure" >&2
    failed=$((failed + skipped))
    skipped=0
    status=1
  else
    echo "$notice" >&2
  fi
  run_ctest wintests -LE wine
fi

echo "$wine_ran"
echo "$passed passed, $failed failed, $skipped skipped"
exit "$status"
