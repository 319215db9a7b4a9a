#!/usr/bin/env python3
"""Lays out the drives the benchmark backs up, under a folder of its own.

    make-drives.py FOLDER SMALL BIG OU_FILES OU_FOLDERS

FOLDER/d plays drive D: SMALL V2/V3.1 inventory files in its Windows Update
client folder and an Office Update tree of OU_FILES files in OU_FOLDERS
folders. FOLDER/e plays drive E: BIG V2/V3.1 files. Every file is a few KiB,
written here from nothing and dated 2005, so that the V2/V3.1 backup copies
all of them. What an earlier call made is replaced.
"""
import os
import shutil
import sys

OLD = 1104573600  # 2005-01-01 10:00 UTC: well before the backup's cut-off


def write(path, index):
    # 2 to 6 KiB of text that differs from file to file.
    line = ("inventory record %08d; " % index).encode() * 4 + b"\r\n"
    size = 1024 * (2 + index % 5)
    data = (line * (size // len(line) + 1))[:size]
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (OLD, OLD))


def v3_folder(drive, count):
    wu = os.path.join(drive, "Program Files", "WindowsUpdate")
    os.makedirs(wu)
    # One language file, so that the check decodes a name as it would on a
    # real machine; the rest are inventories the presence probe knows.
    write(os.path.join(wu, "en.gng"), 0)
    for i in range(1, count):
        write(os.path.join(wu, "inv%05d.inv" % i), i)


def ou_tree(drive, files, folders):
    # Two levels: a tenth of the folders at the top, the rest spread under
    # them; every folder holds the same number of files.
    ou = os.path.join(drive, "Program Files", "OfficeUpdate")
    top = max(1, folders // 10)
    paths = [os.path.join(ou, "Product%02d" % t) for t in range(top)]
    for n in range(folders - top):
        paths.append(os.path.join(paths[n % top], "Patch%03d" % n))
    per_folder, extra = divmod(files, folders)
    index = 0
    for k, folder in enumerate(paths):
        os.makedirs(folder, exist_ok=True)
        for j in range(per_folder + (1 if k < extra else 0)):
            write(os.path.join(folder, "cache%03d.dat" % j), index)
            index += 1


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    folder = sys.argv[1]
    small, big, ou_files, ou_folders = (int(a) for a in sys.argv[2:])
    for name in ("d", "e"):
        shutil.rmtree(os.path.join(folder, name), ignore_errors=True)
        os.makedirs(os.path.join(folder, name, "windows"))
    d = os.path.join(folder, "d")
    v3_folder(d, small)
    ou_tree(d, ou_files, ou_folders)
    v3_folder(os.path.join(folder, "e"), big)


if __name__ == "__main__":
    main()
