#!/usr/bin/env bash
# The emulator CTest runs the Wine tests through: runs `wine "$@"` in the
# prefix $LNF_WINEPREFIX (made, by default, as BUILD_DIR/wine/contract with the
# null graphics driver, so that no display is needed) and exits with the
# program's own exit code. BUILD_DIR is $LNF_BUILD_DIR, else the current
# folder; its programs' kind (32 or 64-bit) picks the Wine loader.
set -euo pipefail

# shellcheck source=scripts/wine.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

build="${LNF_BUILD_DIR:-$PWD}"
if [ -z "${LNF_WINEPREFIX:-}" ]; then
  LNF_WINEPREFIX="$(lnf_wine_prefix "$build" contract --null-graphics)"
fi

loader="$(lnf_wine_loader "$build")"
export WINEPREFIX="$LNF_WINEPREFIX" WINEDEBUG=-all WINELOADER="$loader"
exec "$loader" "$@"
