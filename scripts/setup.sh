#!/usr/bin/env bash
# Installs what the builds, the tests and the start script need, from
# Debian's packages. Fast and silent when everything is there already.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
log_dir="$root/build"
log="$log_dir/setup.log"

# Wine is installed without its recommends, which would pull in sound,
# video and GL stacks; what it needs to draw windows with legible text is
# named here instead: its own fonts and the X extensions its driver uses,
# for the 32-bit Wine and the 64-bit one (libz-mingw-w64-dev holds zlib for
# both MinGW targets).
packages=(
  cmake g++ make googletest python3 zlib1g-dev unzip p7zip-full libarchive-tools
  g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix binutils-mingw-w64-i686 libz-mingw-w64-dev
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine fonts-liberation fonts-droid-fallback
  libxrender1:i386 libxext6:i386 libxrandr2:i386 libxi6:i386
  libxcursor1:i386 libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386
  libxrender1 libxext6 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxxf86vm1
  xvfb xauth x11-utils imagemagick
)

missing() {
  # One dpkg-query for all names; names dpkg has never heard of print nothing.
  # Packages installed for more than one architecture (zlib1g-dev beside
  # zlib1g:i386) print with their architecture, the host's included.
  local -A have=()
  local name state p
  while read -r name state; do
    [ "$state" = ii ] && have["${name%:amd64}"]=1
  done < <(dpkg-query -W -f='${binary:Package} ${db:Status-Abbrev}\n' "${packages[@]}" 2>/dev/null || true)
  for p in "${packages[@]}"; do
    [ -n "${have[${p%:amd64}]:-}" ] || echo "$p"
  done
}

mapfile -t todo < <(missing)
[ "${#todo[@]}" -eq 0 ] && exit 0

mkdir -p "$log_dir"
: >"$log"
fail() {
  echo "setup: $1 failed; its output follows ($log)" >&2
  cat "$log" >&2
  exit 1
}

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${todo[*]}" >&2
  exit 1
fi

# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386 >>"$log" 2>&1 || fail "dpkg --add-architecture i386"
fi

apt_opts=(-o DPkg::Lock::Timeout=600 -o Acquire::Retries=3)
export DEBIAN_FRONTEND=noninteractive
apt-get "${apt_opts[@]}" update >>"$log" 2>&1 || fail "apt-get update"
apt-get "${apt_opts[@]}" install -y --no-install-recommends "${todo[@]}" >>"$log" 2>&1 \
  || fail "apt-get install ${todo[*]}"

mapfile -t still < <(missing)
if [ "${#still[@]}" -ne 0 ]; then
  fail "installing ${still[*]}"
fi
