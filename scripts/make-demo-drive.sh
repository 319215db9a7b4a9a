#!/usr/bin/env bash
# Fills a Wine prefix's drive C with a made-up set of inventory files of all
# three kinds, so that "Check now!" has something to find:
#   scripts/make-demo-drive.sh PREFIX
# Every file is written here from nothing; its contents only look the part.
# Re-running replaces what an earlier run made and touches nothing else.
set -euo pipefail

if [ "$#" -ne 1 ] || [ ! -d "$1/drive_c" ]; then
  echo "usage: $0 WINEPREFIX (an existing prefix, with a drive_c)" >&2
  exit 2
fi
c="$1/drive_c"
wu="$c/Program Files/WindowsUpdate"
ou="$c/Program Files/OfficeUpdate"
# The prefix's windir is C:\windows.
win="$c/windows"

rm -rf "$wu" "$ou"
mkdir -p "$wu/V4" "$ou/Cache/Products/Patches" "$ou/Temp" "$win"

# put FILE DATE LINE...: writes the lines (CR LF, as Windows tools would)
# and dates the file.
put() {
  local file="$1" date="$2"
  shift 2
  printf '%s\r\n' "$@" >"$file"
  touch -d "$date" "$file"
}

# V2/V3.1: the language file (name minus ".gng" is the language), the
# configuration file (its first five characters, 91026, mean IE 6.0 on
# Windows 98), and a few others of the kinds the probe knows.
put "$wu/en.gng" "2001-06-14 10:12:00" \
  "[Language]" "Code=en" "Name=English" "Charset=windows-1252"
put "$wu/91026inv.as" "2001-06-14 10:12:30" \
  "[Configuration]" "Platform=91026" "Items=3" \
  "1=Critical Update Package, installed" "2=Cumulative Patch, installed" "3=Media Player Update, offered"
put "$wu/ident.inv" "2002-03-02 18:40:00" \
  "[Identity]" "Machine=DEMO-PC" "Catalog=4711" "Checked=2002-03-02"
put "$wu/catalog.bm" "2002-03-02 18:40:05" \
  "BM1" "entries=12" "bitmap=0F3A00C1FF7E0012"
put "$wu/readme.txt" "2013-05-20 09:00:00" \
  "Demo drive for Lanternfall Tallyglass." \
  "This file is dated after 2011, so the V2/V3.1 backup leaves it out."

# V4: the history under V4\ and the log in the Windows folder.
cat >"$wu/V4/iuhist.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<history>
  <item id="demo-0001" installed="2005-08-10T21:03:11" status="succeeded">
    <title>Security Update for Demo Component</title>
  </item>
  <item id="demo-0002" installed="2005-09-14T20:47:02" status="failed">
    <title>Cumulative Update for Demo Browser</title>
  </item>
</history>
XML
touch -d "2005-09-14 20:47:30" "$wu/V4/iuhist.xml"
touch -d "2005-08-10 21:00:00" "$wu/V4"
put "$win/Windows Update.log" "2005-09-14 20:47:31" \
  "2005-08-10 21:02:58 Agent *** START *** Demo search" \
  "2005-08-10 21:03:11 Handler Installed demo-0001: succeeded" \
  "2005-09-14 20:47:02 Handler Installed demo-0002: failed (0x80070643)"

# Office Update: files at the top and a tree two levels deep, which only the
# backup copies.
put "$ou/oudetect.ini" "2003-11-04 12:00:00" "[Detect]" "Products=1" "Product1=Demo Office 2002"
put "$ou/ouhist.log" "2003-11-04 12:05:00" "2003-11-04 12:05 Demo Office 2002 SP2: installed"
put "$ou/Cache/products.lst" "2003-11-04 12:01:00" "Demo Office 2002" "Demo Project 2002"
put "$ou/Cache/Products/office10.dat" "2003-11-04 12:02:00" "product=Demo Office 2002" "level=SP1"
put "$ou/Cache/Products/Patches/sp2.dat" "2003-11-04 12:03:00" "patch=SP2" "size=1024"
put "$ou/Temp/session.tmp" "2003-11-04 12:04:00" "session=demo"
