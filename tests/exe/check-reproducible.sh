#!/usr/bin/env bash
# Builds the product again from the same sources, in another folder and at
# another time, and fails unless the exe comes out byte for byte the same as
# the one given: no time stamp, no build folder may reach the program.
#
#   tests/release/check-reproducible.sh SOURCE_DIR PRODUCT_EXE
set -euo pipefail

src="$(cd "${1:?SOURCE_DIR}" && pwd)"
reference="${2:?PRODUCT_EXE}"
[ -f "$reference" ] || { echo "no exe at $reference" >&2; exit 1; }

# A folder whose name differs in length as well, so that a path anywhere in
# the program would move everything after it.
work="$(mktemp -d "${TMPDIR:-/tmp}/lnf-reproducible-another-folder.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/source"
(cd "$src" && cp -a CMakeLists.txt cmake src res "$work/source/")

# The flags of scripts/build.sh and scripts/release.sh.
if ! cmake -S "$work/source" -B "$work/build" -DLNF_FLAVOUR=product \
  -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/mingw-win32.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
  >"$work/build.log" 2>&1 || ! cmake --build "$work/build" -j2 >>"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi
again="$work/build/src/app/win32/LNF_INVTOOL.exe"
if cmp -s "$reference" "$again"; then
  echo "same exe: $(sha256sum <"$again" | cut -d' ' -f1)"
  exit 0
fi
echo "the exe built in $work/build differs from $reference:" >&2
cmp -l "$reference" "$again" | head -n 20 >&2 || true
echo "($(cmp -l "$reference" "$again" | wc -l) bytes differ)" >&2
exit 1
