#!/usr/bin/env python3
"""Fails unless the exe embeds the application manifest that it must carry.

Read from the PE file's resource section (type 24, RT_MANIFEST, ID 1, as the
loader of Windows XP and later looks for it): DPI-aware at system DPI,
running as the invoking user, naming Vista, 7, 8, 8.1 and 10/11, and with no
dependency on the version 6 common controls, which would change the window's
look.

usage: check_manifest.py EXE
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


def resource(data, type_id, name_id):
    """The bytes of resource type_id/name_id (any language), or None."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    # PE32: the data directories start 96 bytes into the optional header;
    # the resource table is the third.
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, optional + 96 + 2 * 8)
    if not rsrc_rva:
        return None
    table = optional + optional_size
    for i in range(sections):
        _, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if va <= rsrc_rva < va + max(vsize, raw_size):
            base = raw + (rsrc_rva - va)
            break
    else:
        raise ValueError("resource table outside every section")

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", data, base + offset + 12)
        for k in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * k)
            yield name, target

    def find(offset, wanted):
        for name, target in entries(offset):
            if not name & 0x80000000 and name == wanted:
                return target
        return None

    by_type = find(0, type_id)
    if by_type is None or not by_type & 0x80000000:
        return None
    by_name = find(by_type & 0x7FFFFFFF, name_id)
    if by_name is None or not by_name & 0x80000000:
        return None
    for _, leaf in entries(by_name & 0x7FFFFFFF):
        data_rva, size = struct.unpack_from("<II", data, base + (leaf & 0x7FFFFFFF))
        start = base + (data_rva - rsrc_rva)
        return data[start:start + size]
    return None


def local(tag):
    return tag.rsplit("}", 1)[-1]


def main():
    exe = sys.argv[1]
    with open(exe, "rb") as f:
        data = f.read()
    manifest = resource(data, RT_MANIFEST, 1)
    if manifest is None:
        print(f"{exe}: no RT_MANIFEST resource with ID 1")
        return 1
    root = ET.fromstring(manifest)
    failures = []
    elements = list(root.iter())

    def texts(name):
        return [(e.text or "").strip() for e in elements if local(e.tag) == name]

    if [t.lower() for t in texts("dpiAware")] != ["true"]:
        failures.append(f"dpiAware is {texts('dpiAware')}, want one 'true' (system DPI)")
    if [t.lower() for t in texts("dpiAwareness")] not in ([], ["system"]):
        failures.append(f"dpiAwareness is {texts('dpiAwareness')}, want 'system' or none")
    levels = [e.get("level") for e in elements if local(e.tag) == "requestedExecutionLevel"]
    if levels != ["asInvoker"]:
        failures.append(f"requestedExecutionLevel is {levels}, want asInvoker")
    listed = {e.get("Id", "").lower() for e in elements if local(e.tag) == "supportedOS"}
    for guid, system in SUPPORTED_OS.items():
        if guid not in listed:
            failures.append(f"supportedOS lacks {system} {guid}")
    for e in elements:
        if local(e.tag) == "dependentAssembly":
            names = [i.get("name") for i in e if local(i.tag) == "assemblyIdentity"]
            failures.append(f"depends on {names}: the window would lose its classic look")
    # Windows XP SP2 fails on an element that declares two namespaces; the
    # parser here reports duplicates only by their effect, so look at the text.
    for line in manifest.decode("utf-8").splitlines():
        if line.count("xmlns") > 1:
            failures.append(f"more than one namespace declared in: {line.strip()}")

    print(f"manifest of {len(manifest)} bytes read from {exe}")
    for failure in failures:
        print("WRONG: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
