#!/usr/bin/env bash
# Makes the release for users: dist/LNF_INVTOOL-<version>.zip with the exe,
# README.txt (release/README.txt, with CR LF line ends) and SHA256SUMS.
#
#   scripts/release.sh
#
# The exe is built afresh in build/release with the flags of
# scripts/build.sh; the build is reproducible, so the same commit gives the
# same exe in any folder at any time. The zip's entries carry the commit's
# time (or SOURCE_DATE_EPOCH, when set), so the zip is the same too.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

# major.minor.revision, as the About box shows them, from the project's
# version major.minor.0.revision.
version="$(sed -n 's/^project(LanternfallTallyglass VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt |
  awk -F. '{ print $1 "." $2 "." $4 }')"
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  epoch="$SOURCE_DATE_EPOCH"
elif epoch="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" && [ -n "$epoch" ]; then
  if [ -n "$(git -C "$root" status --porcelain -- CMakeLists.txt cmake src res release)" ]; then
    echo "release: the working tree has changes that are not committed; the release is" \
      "of the files as they are, dated as the last commit" >&2
  fi
else
  echo "release: no git history here; set SOURCE_DATE_EPOCH to date the zip's entries" >&2
  exit 1
fi

build="$root/build/release"
log="$root/build/release.log"
mkdir -p "$root/build"
rm -rf "$build"
if ! cmake -S "$root" -B "$build" -DLNF_FLAVOUR=product \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-win32.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
  >"$log" 2>&1 || ! cmake --build "$build" -j2 >>"$log" 2>&1; then
  echo "release: the build failed; its output follows ($log)" >&2
  cat "$log" >&2
  exit 1
fi

mkdir -p "$root/dist"
zip="$root/dist/LNF_INVTOOL-$version.zip"
rm -f "$zip"
python3 "$root/scripts/pack-release.py" "$zip" "$build/src/app/win32/LNF_INVTOOL.exe" \
  "$root/release/README.txt" "$version" "$epoch"
echo "$zip"
echo "exe  sha256 $(sha256sum <"$build/src/app/win32/LNF_INVTOOL.exe" | cut -d' ' -f1)"
echo "zip  sha256 $(sha256sum <"$zip" | cut -d' ' -f1)"
