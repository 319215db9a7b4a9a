#!/usr/bin/env python3
"""Packs the release zip: the exe, README.txt for users and SHA256SUMS.

The same inputs give the same bytes, whenever and wherever it runs: fixed
entry order, every entry dated with the given time, the same attributes,
no extra fields, README.txt with CR LF line ends.

usage: pack-release.py OUT_ZIP EXE README_TEMPLATE VERSION EPOCH_SECONDS
"""
import hashlib
import sys
import time
import zipfile


def readme_text(template, version):
    with open(template, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version)
    # Every line ends in CR LF, as Notepad of every Windows wants it.
    lines = text.replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def pack(out, exe, template, version, epoch):
    with open(exe, "rb") as f:
        program = f.read()
    readme = readme_text(template, version)
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n"
                   for name, data in (("LNF_INVTOOL.exe", program), ("README.txt", readme)))
    entries = [("LNF_INVTOOL.exe", program), ("README.txt", readme),
               ("SHA256SUMS", sums.encode("ascii"))]
    # A zip stores local time without a zone: the time is taken as UTC
    # everywhere, so that every machine writes the same; 1980 is the least.
    stamp = max(time.gmtime(epoch)[:6], (1980, 1, 1, 0, 0, 0))
    with zipfile.ZipFile(out, "w") as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: the same whichever system packs it
            info.external_attr = 0x20  # the archive bit, nothing else
            z.writestr(info, data, compresslevel=9)


def main():
    out, exe, template, version, epoch = sys.argv[1:6]
    pack(out, exe, template, version, int(epoch))
    return 0


if __name__ == "__main__":
    sys.exit(main())
