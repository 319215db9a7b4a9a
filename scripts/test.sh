#!/usr/bin/env bash
# Builds every flavour and runs every test: the native core tests, then the
# tests that run under Wine (their fixtures start an X server when needed).
# Ends with one line "N passed, N failed, N skipped" summed over both runs.
#
# The Wine tests need a machine that can run 32-bit Linux programs (Wine's
# loader for 32-bit Windows programs is one). Some virtual machines' kernels
# cannot: there they are skipped, loudly, and counted as skipped, unless
# LNF_REQUIRE_WINE=1 makes that a failure.
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

run_ctest native -j2
if wine --version >/dev/null 2>&1; then
  run_ctest wintests
else
  # Only the checks of the exe itself, which read it without running it.
  skipped="$(ctest --test-dir "$root/build/wintests" -N -L wine | sed -nE 's/^Total Tests: ([0-9]+)$/\1/p')"
  notice="test: this machine cannot start Wine ('wine --version' fails: no 32-bit programs here?); the $skipped Wine tests are skipped"
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

echo "$passed passed, $failed failed, $skipped skipped"
exit "$status"
