#!/usr/bin/env bash
# What each part of LNF_INVTOOL.exe costs in bytes, from the linker's map of
# the real link: the product's own link command (build/product, as
# scripts/build.sh product leaves it) run once more with -Wl,-Map added,
# checked to give the same bytes, and the map's input sections summed by the
# object or library member they come from.
#
#   bench/exe-size.sh            the parts of build/product's exe
#   bench/exe-size.sh --layers   also our code by layer, from a build without
#                                link-time optimization (build/size-layers)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
product="$root/build/product"
exe="$product/src/app/win32/LNF_INVTOOL.exe"
[ -f "$exe" ] || { echo "exe-size: build the product first (scripts/build.sh product)" >&2; exit 1; }

# Relinks the exe of one build folder with a map, into $2.map and $2.exe.
relink() {
  local dir="$1/src/app/win32" out="$2"
  (cd "$dir" && eval "$(grep -- '-o LNF_INVTOOL.exe' CMakeFiles/LNF_INVTOOL.dir/link.txt |
    sed "s| -o LNF_INVTOOL.exe| -o $out.exe -Wl,-Map,$out.map|")")
}

work="$(mktemp -d "${TMPDIR:-/tmp}/lnf-exe-size.XXXXXX")"
trap 'rm -rf "$work"' EXIT
relink "$product" "$work/product"
cmp -s "$exe" "$work/product.exe" || { echo "exe-size: the relink differs from $exe" >&2; exit 1; }
python3 "$root/bench/exe-size.py" "$work/product.map" "$exe"

if [ "${1:-}" = "--layers" ]; then
  layers="$root/build/size-layers"
  cmake -S "$root" -B "$layers" -DLNF_FLAVOUR=product -DLNF_LTO=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-win32.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >"$work/layers.log"
  cmake --build "$layers" --target LNF_INVTOOL -j2 >>"$work/layers.log"
  relink "$layers" "$work/layers"
  echo
  echo "Without link-time optimization ($(stat -c %s "$work/layers.exe") bytes), our code by layer:"
  python3 "$root/bench/exe-size.py" --layers "$work/layers.map"
fi
