#!/usr/bin/env python3
"""Sums a GNU ld map's input sections by the part of the program they come
from. Used by exe-size.sh; see docs/PERFORMANCE.md."""
import collections
import os
import re
import sys

IN_FILE = (".text", ".data", ".rdata", ".eh_frame", ".idata", ".CRT", ".tls", ".rsrc")
RUNTIME = re.compile(r"^(eh_|.*type_info|tinfo|new_|del_|bad_|guard|pure|vterminate)")
IMPORT_LIBS = re.compile(r"lib(kernel32|user32|gdi32|advapi32|version|shell32|ole32|oleaut32|"
                         r"uuid|comdlg32|winspool|comctl32)\.a")


def part(origin, layers):
    name = os.path.basename(origin)
    m = re.match(r"(.*)\((.*)\)$", name)
    lib, member = (m.group(1), m.group(2)) if m else (name, "")
    if ".ltrans" in name:
        return "our code (one LTO object)"
    if lib.startswith("liblnf_"):
        return "layer " + lib[len("liblnf_"):-2].replace("_win32", "/win32") if layers else "our code"
    if lib == "objects.a":
        if member.endswith(".res"):
            return "resources (icon, manifest, version)"
        if not layers:
            return "our code"
        if member.startswith("LeanRuntime"):
            return "LeanRuntime.cpp (std::string's members, error throwers)"
        return "layer app/win32 (" + member.split(".")[0] + ")"
    if lib == "libz.a":
        return "zlib"
    if lib == "libstdc++.a":
        if member.startswith("string-inst"):
            return "libstdc++ string-inst.o"
        if member == "tree.o":
            return "libstdc++ red-black tree (std::map/set)"
        if RUNTIME.match(member):
            return "libstdc++ exceptions, type info, new"
        return "libstdc++ other"
    if lib == "libgcc_eh.a":
        return "libgcc_eh (DWARF unwinder, emutls)"
    if lib == "libgcc.a":
        return "libgcc (64-bit division, thread glue)"
    if IMPORT_LIBS.match(lib):
        return "imports (DLL names, thunks)"
    if re.match(r"libm(ingw|svcrt)", lib) or name.startswith("crt"):
        return "MinGW start-up (crt2, crtbegin/end, libmingw32, libmsvcrt)"
    return "other: " + name


def main():
    args = sys.argv[1:]
    layers = args[:1] == ["--layers"]
    if layers:
        args = args[1:]
    out = None
    pending = None
    sizes = collections.defaultdict(lambda: collections.Counter())
    for line in open(args[0]):
        head = re.match(r"^(\S+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+", line)
        if head:
            out = head.group(1)
            continue
        if not line.startswith(" "):
            if line.strip():
                out = None
            continue
        alone = re.match(r"^ (\S+)\s*$", line)
        if alone:
            pending = alone.group(1)
            continue
        entry = re.match(r"^ (\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        pending = None
        if entry and out in IN_FILE and not entry.group(3).startswith("0x"):
            size = int(entry.group(2), 16)
            origin = entry.group(3).strip()
            if not size:
                continue
            if origin.startswith("LONG"):
                name = "linker (ends of the constructor lists)"
            elif out == ".idata":
                name = "imports (DLL names, thunks)"
            else:
                name = part(origin, layers)
            sizes[name][out] += size
    if layers:
        sizes = {k: v for k, v in sizes.items() if k.startswith(("layer", "LeanRuntime"))}
    total = 0
    print("%8s  %-58s %s" % ("bytes", "part", "by section"))
    for name, secs in sorted(sizes.items(), key=lambda kv: -sum(kv[1].values())):
        n = sum(secs.values())
        total += n
        print("%8d  %-58s %s" % (n, name, " ".join("%s %d" % kv for kv in sorted(secs.items()))))
    print("%8d  %s" % (total, "sum of the parts"))
    if len(args) > 1:
        size = os.path.getsize(args[1])
        print("%8d  %s" % (size - total, "PE headers, section alignment (512 bytes in the file)"))
        print("%8d  %s" % (size, os.path.basename(args[1])))


main()
