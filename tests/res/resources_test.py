#!/usr/bin/env python3
"""The shipped program's application manifest and version resource, read
out of the built file: the manifest parsed as XML in the encoding it
declares, with every element Windows reads, and the version fields, which
carry the project's one version number.

Usage: resources_test.py PROGRAM VERSION WINDRES (the Win32Program fixture
builds PROGRAM first; a missing file fails)"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools"))
dump = __import__("dump-dialog")

program, version, windres = sys.argv[1:4]
if not os.path.exists(program):
    print(f"FAIL: {program} is not built (cmake --preset win32)")
    sys.exit(1)
with tempfile.TemporaryDirectory() as folder:
    res = os.path.join(folder, "unins.res")
    subprocess.run([windres, "-i", program, "-O", "res", "-o", res], check=True)
    with open(res, "rb") as f:
        resources = {(t, n): p for t, n, p in dump.read_resources(f.read())}

failures = []


def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}: {got!r}, wanted {wanted!r}")


# ---- the manifest: RT_MANIFEST 1, the one the loader reads for a program
manifest = resources.get((24, 1), b"")
# no XML declaration (32 bytes of the file): a manifest is then UTF-8
expect("XML declaration", manifest.startswith(b"<?xml"), False)
manifest.decode("utf-8")  # strictly UTF-8
expect("comments or whitespace between elements",
       re.findall(rb"<!--|>\s+<|^\s|\s$", manifest), [])
V1, V3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
root = ET.fromstring(manifest)
expect("root", (root.tag, root.get("manifestVersion")), (V1 + "assembly", "1.0"))
level = root.find(f"{V3}trustInfo/{V3}security/{V3}requestedPrivileges/{V3}requestedExecutionLevel")
expect("execution level", level is not None and dict(level.attrib),
       {"level": "highestAvailable"})  # uiAccess is false unless it says true
systems = {"Vista": "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
           "7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
           "8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
           "8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
           "10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
declared_os = [e.get("Id") for e in root.findall(f"{COMPAT}compatibility/{COMPAT}application/"
                                                 f"{COMPAT}supportedOS")]
expect("supported systems", sorted(declared_os), sorted(systems.values()))
dpi = root.find(f"{V3}application/{V3}windowsSettings/{SETTINGS}dpiAware")
expect("system DPI awareness", dpi is not None and dpi.text, "true")
controls = root.findall(f"{V1}dependency/{V1}dependentAssembly/{V1}assemblyIdentity")
expect("common controls 6", [dict(e.attrib) for e in controls],
       [{"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
         "processorArchitecture": "*", "publicKeyToken": "6595b64144ccf1df", "language": "*"}])


# ---- the version resource: RT_VERSION 1, blocks of length, value length,
# text flag, UTF-16 key, value and child blocks, each on a 4-byte boundary
def read_block(data, pos):
    length, size, text = struct.unpack_from("<HHH", data, pos)
    key = data[pos + 6:pos + length].decode("utf-16-le", "replace").split("\0")[0]
    at = (pos + 6 + 2 * len(key) + 2 + 3) & ~3
    size *= 2 if text else 1
    value = data[at:at + size]
    at = (at + size + 3) & ~3
    children = {}
    while at < pos + length:
        (child, child_value, grandchildren), at = read_block(data, at)
        children[child] = (child_value, grandchildren)
    if text:
        value = value.decode("utf-16-le").rstrip("\0")
    return (key, value, children), (pos + length + 3) & ~3


(key, fixed, blocks), _ = read_block(resources.get((16, 1), bytes(6)), 0)
info = struct.unpack("<13I", fixed) if len(fixed) == 52 else (0,) * 13
n = [int(part) for part in version.split(".")]
expect("fixed file information", (key, info[0], info[2:6], info[8:10]),
       ("VS_VERSION_INFO", 0xFEEF04BD, (n[0] << 16 | n[1], n[2] << 16) * 2,
        (0x40004, 1)))  # VOS_NT_WINDOWS32, VFT_APP
tables = blocks.get("StringFileInfo", (0, {}))[1]
translation = blocks.get("VarFileInfo", (0, {}))[1].get("Translation", (b"",))[0]
expect("translation", ["%04X%04X" % t for t in struct.iter_unpack("<HH", translation)], list(tables))
strings = {k: v for _, table in tables.values() for k, (v, _) in table.items()}
expect("strings", strings, {"CompanyName": "", "FileDescription": "Uninstaller",
                            "FileVersion": version, "LegalCopyright": "",
                            "OriginalFilename": "unins.exe", "ProductName": "unins",
                            "ProductVersion": version})

for f in failures:
    print("FAIL", f)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
