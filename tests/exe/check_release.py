#!/usr/bin/env python3
"""Fails unless the release zip comes out the same every time and holds what
users need: packed twice, seconds apart and under different names, the
bytes must match; README.txt must have CR LF line ends only; SHA256SUMS must
hold the checksums of the exe and README.txt.

usage: check_release.py PACK_RELEASE_PY EXE README_TEMPLATE
"""
import hashlib
import io
import os
import subprocess
import sys
import tempfile
import time
import zipfile


def main():
    packer, exe, template = sys.argv[1:4]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        zips = []
        for name in ("first.zip", "a-second-one-elsewhere.zip"):
            out = os.path.join(work, name)
            subprocess.run([sys.executable, packer, out, exe, template, "9.8.7", "1700000000"],
                           check=True)
            with open(out, "rb") as f:
                zips.append(f.read())
            time.sleep(2.1)  # a zip dates its entries to two seconds
    if zips[0] != zips[1]:
        failures.append("two packs of the same files differ")

    z = zipfile.ZipFile(io.BytesIO(zips[0]))
    names = [i.filename for i in z.infolist()]
    if names != ["LNF_INVTOOL.exe", "README.txt", "SHA256SUMS"]:
        failures.append(f"entries are {names}")
    for info in z.infolist():
        if info.extra:
            failures.append(f"{info.filename} has extra fields")
    files = {n: z.read(n) for n in names}
    with open(exe, "rb") as f:
        if files.get("LNF_INVTOOL.exe") != f.read():
            failures.append("the exe in the zip is not the one given")
    readme = files.get("README.txt", b"")
    if b"\r\n" not in readme or readme.replace(b"\r\n", b"").count(b"\n") or \
            readme.replace(b"\r\n", b"").count(b"\r"):
        failures.append("README.txt has line ends other than CR LF")
    if b"9.8.7" not in readme or b"@VERSION@" in readme:
        failures.append("README.txt does not name the version")
    sums = {}
    for line in files.get("SHA256SUMS", b"").decode("ascii").splitlines():
        digest, name = line.split("  ", 1)
        sums[name] = digest
    for name in ("LNF_INVTOOL.exe", "README.txt"):
        if sums.get(name) != hashlib.sha256(files.get(name, b"")).hexdigest():
            failures.append(f"SHA256SUMS is wrong for {name}")

    for failure in failures:
        print("WRONG: " + failure)
    if not failures:
        print(f"release zip of {len(zips[0])} bytes packed twice the same")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
