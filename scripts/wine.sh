# Wine prefixes for running the test programs and the tool. Source it:
#
#   . scripts/wine.sh
#   lnf_wine_arch BUILD_DIR
#       Prints the kind of prefix BUILD_DIR's programs need: win64 where the
#       build wrote "win64" into BUILD_DIR/wine-arch (the x86_64 flavours do),
#       else win32.
#   lnf_wine_loader BUILD_DIR
#       Prints the Wine loader that runs them: Debian's 32-bit loader
#       ($LNF_WINE32, by default /usr/lib/wine/wine) or its 64-bit one
#       ($LNF_WINE64, /usr/lib/wine/wine64, which Debian puts on no PATH).
#   lnf_wine_can_start win32|win64
#       Whether that loader starts at all on this machine (quietly).
#   lnf_wine_base BUILD_DIR
#       Boots BUILD_DIR/wine/base once (a prefix of that kind, no Mono or
#       Gecko dialogs, CJK fonts linked in) and reuses it on later calls; a
#       base made by an older version of this script is made anew.
#   lnf_wine_prefix BUILD_DIR NAME [--null-graphics] [--desktop WxH]
#                   [--version win98|win2k|winxp|win10] [--dpi 96|120|144]
#       Makes BUILD_DIR/wine/NAME as a copy of the base (booting that first
#       when needed) with those settings, and prints its path. A prefix that
#       already has the same settings and base is left as it is, so a re-run
#       is quick; other settings, or a base made anew, make it anew.
#
# scripts/wine-run.sh, the emulator CTest runs the Wine tests through, calls
# lnf_wine_prefix for the prefix named by $LNF_WINEPREFIX (by default
# BUILD_DIR/wine/contract with --null-graphics) and runs the program there.
# Other scripts do the same with a prefix of their own, e.g.
#   prefix=$(lnf_wine_prefix build/wintests e2e --desktop 1024x768)
#   WINEPREFIX=$prefix WINEDEBUG=-all "$(lnf_wine_loader build/wintests)" LNF_INVTOOL.exe
#
# What the settings write (all read by Wine 8.0):
#   --null-graphics  HKCU\Software\Wine\Drivers  Graphics=null   (no display needed)
#   --desktop WxH    HKCU\Software\Wine\Explorer  Desktop=Default and
#                    HKCU\Software\Wine\Explorer\Desktops  Default=WxH
#                    (needs the X11 driver, e.g. under Xvfb: the null driver
#                    keeps its fixed 1024x768 screen whatever this says)
#   --version V      HKCU\Software\Wine  Version=V   (what GetVersion reports)
#   --dpi N          HKCU\Control Panel\Desktop  LogPixels=N (dword)
#
# 32-bit and 64-bit Wine. Debian's wine 8.0 runs 32-bit programs with
# wine32's loader, a 32-bit Linux program: some virtual machines' kernels
# cannot start it ("Exec format error"), and there `wine --version` fails.
# With wine64 installed beside it the `wine` command still picks the 32-bit
# loader; only where that one is gone does it fall back to the 64-bit one,
# and then `wine --version` succeeds although no 32-bit program can run. So
# what tells is starting the 32-bit loader itself (lnf_wine_can_start).
# What 64-bit Wine does otherwise (Debian's wine64 8.0, with the 32-bit
# loader unable to start):
#  - The base of an x86_64 build is a win64 prefix (WINEARCH=win64, booted
#    with `wine64 wineboot -i`), made about as quickly as a win32 one. The
#    boot reports one harmless error, that C:\windows\syswow64\rundll32.exe
#    cannot be opened: with no 32-bit loader, syswow64 stays empty.
#  - It has C:\Program Files and C:\Program Files (x86); the registry's
#    ProgramFilesDir, which a 64-bit program reads, is the first, so the
#    64-bit tool finds the client folders where the 32-bit one does under
#    32-bit Wine. A 64-bit program sees no file system redirection.
#  - Posing as Windows 98 (--version win98), it reports that version to
#    64-bit programs too, so the tool takes its Windows 9x paths there as the
#    32-bit one does.
#  - Once wine64 is installed, /usr/lib/wine/wineserver is the 64-bit server
#    for both kinds of prefix; a 32-bit prefix stays one because its base is
#    booted with WINEARCH=win32 (without it, the 32-bit loader makes a win64
#    prefix wherever wine64 is installed).

# What the base holds beyond a plain boot. A base whose stamp differs was
# made by an older version of this script and is made anew; the prefixes
# copied from it carry the stamp in their settings and follow.
_lnf_wine_base_recipe="cjk-fonts-1 marlett-1"

lnf_wine_arch() {
  local build="${1:?lnf_wine_arch BUILD_DIR}"
  if [ "$(cat "$build/wine-arch" 2>/dev/null)" = win64 ]; then echo win64; else echo win32; fi
}

_lnf_wine_loader_of() {
  if [ "$1" = win64 ]; then
    echo "${LNF_WINE64:-/usr/lib/wine/wine64}"
  else
    echo "${LNF_WINE32:-/usr/lib/wine/wine}"
  fi
}

lnf_wine_loader() {
  _lnf_wine_loader_of "$(lnf_wine_arch "${1:?lnf_wine_loader BUILD_DIR}")"
}

lnf_wine_can_start() {
  local loader
  loader="$(_lnf_wine_loader_of "${1:?lnf_wine_can_start win32|win64}")"
  [ -x "$loader" ] && WINEDEBUG=-all "$loader" --version >/dev/null 2>&1
}

# Runs the loader of BUILD_DIR's kind with the rest of the arguments. The
# loader is named in WINELOADER too, as Debian's wine command does for the
# 64-bit one, so that the processes Wine starts use the same.
_lnf_wine_run() {
  local loader
  loader="$(lnf_wine_loader "$1")"
  shift
  WINELOADER="$loader" "$loader" "$@"
}

# File names in Chinese and Japanese script, in the tool's window. Debian's
# Wine does not load its own fonts, so the window's "MS Sans Serif" and
# "Arial" are drawn in Liberation Sans; fontconfig shows Wine every font
# under /usr/share/fonts, Droid Sans Fallback (fonts-droid-fallback) among
# them, which has the CJK glyphs. Three ways in, because Wine looks for
# fallbacks three ways:
#  - text drawn by labels and buttons follows the font links of the face
#    that is drawn: Liberation Sans;
#  - where the named family itself is there (scripts/start.sh copies Wine's
#    own fonts into its demo prefix) it follows that name's links. Liberation
#    Sans comes first in them: where the family is missing, Wine draws with
#    a link's first face instead, and the fallback font has no Latin letters;
#  - edit controls lay text out through Uniscribe, which follows no links
#    but falls back by name, to SimSun for Chinese and Japanese: a substitute
#    sends that name to the fallback font.
_lnf_wine_cjk_fonts() {
  local build="$1"
  local links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  local cjk='DroidSansFallbackFull.ttf,Droid Sans Fallback'
  local latin='LiberationSans-Regular.ttf,Liberation Sans'
  _lnf_wine_reg "$build" "$links" "Liberation Sans" REG_MULTI_SZ "$cjk" || return 1
  local name
  for name in "MS Sans Serif" "Microsoft Sans Serif" Tahoma Arial; do
    # reg.exe's separator between the strings of a REG_MULTI_SZ.
    _lnf_wine_reg "$build" "$links" "$name" REG_MULTI_SZ "$latin\\0$cjk" || return 1
  done
  _lnf_wine_reg "$build" 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' SimSun \
    REG_SZ "Droid Sans Fallback"
}

# Boots the base prefix when it is missing, was left half made or was made
# to another recipe.
lnf_wine_base() {
  local build="${1:?lnf_wine_base BUILD_DIR}"
  mkdir -p "$build/wine" || return 1
  local root
  root="$(cd "$build" && pwd)"
  local base="$root/wine/base"
  local arch
  arch="$(lnf_wine_arch "$root")"
  (
    # Parallel test runs share the base: one boots it, the others wait.
    flock 9
    if [ -f "$base/.lnf-complete" ] &&
      [ "$(cat "$base/.lnf-complete")" = "$_lnf_wine_base_recipe $arch" ]; then
      exit 0
    fi
    [ -d "$base" ] && WINEPREFIX="$base" wineserver -k 2>/dev/null
    rm -rf "$base"
    # mscoree and mshtml disabled: no dialogs offering Mono and Gecko.
    if ! WINEPREFIX="$base" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      _lnf_wine_run "$root" wineboot -i >"$root/wine/base.log" 2>&1; then
      echo "wine.sh: booting $base failed; see $root/wine/base.log" >&2
      exit 1
    fi
    WINEPREFIX="$base" _lnf_wine_cjk_fonts "$root" || exit 1
    # The title bar's buttons are glyphs of Marlett, which the prefix lacks;
    # without it they show as letters. Only Marlett: Wine's bitmap "MS Sans
    # Serif" would cut the CJK fallback above.
    mkdir -p "$base/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$base/drive_c/windows/Fonts/" || exit 1
    # The registry reaches the files only when the server ends.
    WINEPREFIX="$base" wineserver -w
    printf '%s' "$_lnf_wine_base_recipe $arch" >"$base/.lnf-complete"
  ) 9>"$root/wine/.lock"
}

# Sets one registry value in the prefix $WINEPREFIX, of BUILD_DIR's kind:
#   _lnf_wine_reg BUILD_DIR KEY NAME TYPE DATA
_lnf_wine_reg() {
  local build="$1"
  shift
  WINEDEBUG=-all _lnf_wine_run "$build" reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 || {
    echo "wine.sh: could not set $1\\$2 in $WINEPREFIX" >&2
    return 1
  }
}

lnf_wine_prefix() {
  local build="${1:?lnf_wine_prefix BUILD_DIR NAME [options]}"
  local name="${2:?lnf_wine_prefix BUILD_DIR NAME [options]}"
  shift 2
  local graphics="" desktop="" version="" dpi=""
  while [ "$#" -gt 0 ]; do
    case "$1" in
      --null-graphics) graphics=null ;;
      --desktop)
        [[ "${2:-}" =~ ^[0-9]+x[0-9]+$ ]] || { echo "wine.sh: --desktop WxH" >&2; return 2; }
        desktop="$2"
        shift
        ;;
      --version)
        case "${2:-}" in win98 | win2k | winxp | win10) version="$2" ;; *)
          echo "wine.sh: --version win98|win2k|winxp|win10" >&2
          return 2
          ;;
        esac
        shift
        ;;
      --dpi)
        case "${2:-}" in 96 | 120 | 144) dpi="$2" ;; *)
          echo "wine.sh: --dpi 96|120|144" >&2
          return 2
          ;;
        esac
        shift
        ;;
      *)
        echo "wine.sh: unknown option '$1'" >&2
        return 2
        ;;
    esac
    shift
  done

  lnf_wine_base "$build" || return 1
  local root
  root="$(cd "$build" && pwd)"
  local prefix="$root/wine/$name"
  local settings="graphics=$graphics desktop=$desktop version=$version dpi=$dpi"
  settings+=" base=$_lnf_wine_base_recipe $(lnf_wine_arch "$root")"
  (
    flock 9
    if [ -f "$prefix/.lnf-complete" ] && [ "$(cat "$prefix/.lnf-complete")" = "$settings" ]; then
      exit 0
    fi
    [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    rm -rf "$prefix" "$prefix.new"
    # The system folders' 500 MB of DLLs (system32, and syswow64 in a win64
    # prefix) are only ever read, so the copies share them with the base;
    # everything Wine writes is copied for real.
    mkdir -p "$prefix.new/drive_c/windows"
    find "$root/wine/base" -mindepth 1 -maxdepth 1 ! -name drive_c \
      -exec cp -a -t "$prefix.new/" {} +
    find "$root/wine/base/drive_c" -mindepth 1 -maxdepth 1 ! -name windows \
      -exec cp -a -t "$prefix.new/drive_c/" {} +
    find "$root/wine/base/drive_c/windows" -mindepth 1 -maxdepth 1 ! -name system32 \
      ! -name syswow64 -exec cp -a -t "$prefix.new/drive_c/windows/" {} +
    local shared
    for shared in system32 syswow64; do
      [ -d "$root/wine/base/drive_c/windows/$shared" ] || continue
      cp -al "$root/wine/base/drive_c/windows/$shared" "$prefix.new/drive_c/windows/"
    done
    rm -f "$prefix.new/.lnf-complete"
    (
      export WINEPREFIX="$prefix.new"
      if [ -n "$graphics" ]; then
        _lnf_wine_reg "$root" 'HKCU\Software\Wine\Drivers' Graphics REG_SZ null || exit 1
      fi
      if [ -n "$desktop" ]; then
        _lnf_wine_reg "$root" 'HKCU\Software\Wine\Explorer' Desktop REG_SZ Default || exit 1
        _lnf_wine_reg "$root" 'HKCU\Software\Wine\Explorer\Desktops' Default REG_SZ "$desktop" || exit 1
      fi
      if [ -n "$version" ]; then
        _lnf_wine_reg "$root" 'HKCU\Software\Wine' Version REG_SZ "$version" || exit 1
      fi
      if [ -n "$dpi" ]; then
        _lnf_wine_reg "$root" 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$dpi" || exit 1
      fi
      # The registry reaches the files only when the server ends.
      wineserver -w
    ) || exit 1
    mv "$prefix.new" "$prefix"
    printf '%s' "$settings" >"$prefix/.lnf-complete"
  ) 9>"$root/wine/.lock" || return 1
  printf '%s\n' "$prefix"
}
