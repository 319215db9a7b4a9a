#!/usr/bin/env bash
# Builds the flavours: product (the shipped exe), wintests (tests run under
# Wine, which need the product exe), their x86_64 twins product64 and
# wintests64 (the same sources, for 64-bit Wine where a machine cannot start
# 32-bit programs) and native (core tests).
#   scripts/build.sh                 all of them
#   scripts/build.sh product ...     only the named ones, in the order above
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

wanted=("$@")
[ "${#wanted[@]}" -eq 0 ] && wanted=(product wintests product64 wintests64 native)
want() {
  local w
  for w in "${wanted[@]}"; do [ "$w" = "$1" ] && return 0; done
  return 1
}
for w in "${wanted[@]}"; do
  case "$w" in product | wintests | product64 | wintests64 | native) ;; *)
    echo "build: unknown flavour '$w' (native, product, wintests, product64, wintests64)" >&2
    exit 2
    ;;
  esac
done

mkdir -p "$root/build"

# Configures (cheap once configured) and builds one flavour from its preset
# in CMakePresets.json, its output kept in build/<flavour>.log and shown only
# when something fails.
build_flavour() {
  local name="$1"
  local log="$root/build/$name.log"
  : >"$log"
  if ! cmake --preset "$name" >>"$log" 2>&1 || ! cmake --build --preset "$name" >>"$log" 2>&1; then
    echo "build: the $name build failed; its output follows ($log)" >&2
    cat "$log" >&2
    exit 1
  fi
}

for flavour in product wintests product64 wintests64 native; do
  if want "$flavour"; then build_flavour "$flavour"; fi
done
