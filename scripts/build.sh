#!/usr/bin/env bash
# Builds the three flavours: product (the shipped exe), wintests (tests run
# under Wine, which need the product exe) and native (core tests).
#   scripts/build.sh                 all three
#   scripts/build.sh product ...     only the named ones, in the order above
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/setup.sh"

wanted=("$@")
[ "${#wanted[@]}" -eq 0 ] && wanted=(product wintests native)
want() {
  local w
  for w in "${wanted[@]}"; do [ "$w" = "$1" ] && return 0; done
  return 1
}
for w in "${wanted[@]}"; do
  case "$w" in product | wintests | native) ;; *)
    echo "build: unknown flavour '$w' (native, product, wintests)" >&2
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

for flavour in product wintests native; do
  if want "$flavour"; then build_flavour "$flavour"; fi
done
