#!/usr/bin/env python3
"""Fails when the exe imports a function that Windows 95 or NT 4.0 lacks.

Every import must be exported by both systems according to the reference
list, or be named in allowed-imports.tsv with the reason it is safe (a stub
that the program never depends on where it is one, or a function the
reference list does not cover, with the evidence that both systems have it).

usage: check_imports.py OBJDUMP EXE REFERENCE_TSV ALLOWED_TSV
"""
import subprocess
import sys


def imports_of(objdump, exe):
    """(dll, function) pairs from objdump's import tables, plus the PE versions."""
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    pairs, dll, versions = [], None, {}
    for line in text.splitlines():
        stripped = line.strip()
        for key in ("MajorOSystemVersion", "MinorOSystemVersion",
                    "MajorSubsystemVersion", "MinorSubsystemVersion"):
            if stripped.startswith(key):
                versions[key] = int(stripped.split()[-1])
        if stripped.startswith("DLL Name:"):
            dll = stripped.split(":", 1)[1].strip()
            continue
        if dll is None:
            continue
        if not stripped:
            dll = None
            continue
        parts = stripped.split()
        # Entries read "<vma> <hint> <name>"; the header line starts with "vma:".
        if len(parts) >= 3 and parts[0] != "vma:" and all(c in "0123456789abcdef" for c in parts[0]):
            pairs.append((dll, parts[2]))
    return pairs, versions


def read_tsv(path):
    with open(path, encoding="utf-8") as f:
        rows = [line.rstrip("\n").split("\t") for line in f if line.strip() and not line.startswith("#")]
    return rows[1:]


def main():
    objdump, exe, reference, allowed = sys.argv[1:5]
    known = {(r[0].lower(), r[1]): (r[2], r[3]) for r in read_tsv(reference)}
    excused = {(r[0].lower(), r[1]): r[2] for r in read_tsv(allowed)}
    pairs, versions = imports_of(objdump, exe)
    if not pairs:
        print(f"no imports read from {exe}")
        return 1

    failures = []
    for key, want in (("MajorOSystemVersion", 4), ("MinorOSystemVersion", 0),
                      ("MajorSubsystemVersion", 4), ("MinorSubsystemVersion", 0)):
        if versions.get(key) != want:
            failures.append(f"PE header {key} is {versions.get(key)}, want {want}")
    for dll, function in pairs:
        status = known.get((dll.lower(), function))
        if status == ("yes", "yes"):
            continue
        if (dll.lower(), function) in excused:
            continue
        what = f"win95={status[0]} nt4={status[1]}" if status else "not in the reference list"
        failures.append(f"{dll} {function}: {what}")
    unused = set(excused) - {(d.lower(), f) for d, f in pairs}
    for dll, function in sorted(unused):
        failures.append(f"{dll} {function}: excused in allowed-imports.tsv but not imported")

    print(f"{len(pairs)} imports from {len({d.lower() for d, _ in pairs})} DLLs checked")
    for failure in failures:
        print("NOT ALLOWED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
