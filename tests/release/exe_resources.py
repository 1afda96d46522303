"""Reads the built polytree.exe as Windows would: its version resource, its
application manifest and its PE header's link time.

  python3 exe_resources.py --exe build/windows/polytree.exe --version 1.0.0

The resources come out with wrestool (Debian's icoutils); the version
resource and the PE header are read here, the manifest as XML.
"""

import argparse
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

RT_VERSION = 16
RT_MANIFEST = 24
CAPTION = "PolyTree - Polygon Tree Viewer"
COPYRIGHT = "Copyright (c) 2026 the PolyTree authors"

VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
VOS_NT_WINDOWS32 = 0x00040004
VFT_APP = 1

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
DPI_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
DPI_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"

WRESTOOL = "wrestool"
failures = []
passes = 0


def check(condition, what):
    global passes
    if condition:
        passes += 1
        print("ok: " + what)
    else:
        failures.append(what)
        print("FAILED: " + what)


# --------------------------------------------------------------------------
# Resources through wrestool


def resources(exe, type_id):
    """The names of the resources of one type, as wrestool lists them."""
    listing = subprocess.run([WRESTOOL, "-l", "--type=%d" % type_id, exe],
                             check=True, stdout=subprocess.PIPE).stdout.decode()
    names = []
    for line in listing.splitlines():
        for field in line.split():
            if field.startswith("--name="):
                names.append(field[len("--name="):])
    return names


def resource(exe, type_id, name):
    return subprocess.run([WRESTOOL, "-x", "--raw", "--type=%d" % type_id, "--name=%s" % name, exe],
                          check=True, stdout=subprocess.PIPE).stdout


# --------------------------------------------------------------------------
# VS_VERSIONINFO: nodes of (length, value length, type, key, value, children)


def _align(offset):
    return (offset + 3) & ~3


def _utf16z(data, offset, end):
    """A NUL-terminated UTF-16LE text at offset; returns it and the offset after the NUL."""
    chars = []
    while offset + 2 <= end:
        (c,) = struct.unpack_from("<H", data, offset)
        offset += 2
        if c == 0:
            break
        chars.append(c)
    return struct.pack("<%dH" % len(chars), *chars).decode("utf-16-le"), offset


def version_node(data, offset=0):
    """One node of the version tree as (key, value, children)."""
    length, value_length, text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key, at = _utf16z(data, offset + 6, end)
    at = _align(at)
    if text == 1 and value_length:
        # Compilers disagree whether the length counts characters or bytes:
        # the text runs to its NUL.
        value, at = _utf16z(data, at, end)
    else:
        value = data[at:at + value_length]
        at += value_length
    children = []
    at = _align(at)
    while at < end:
        child, child_end = version_node(data, at)
        children.append(child)
        at = _align(child_end)
    return (key, value, children), end


def check_version(exe, version):
    names = resources(exe, RT_VERSION)
    check(names == ["1"], "one version resource, 1 (found %r)" % names)
    if not names:
        return
    (key, fixed, children), _ = version_node(resource(exe, RT_VERSION, names[0]))
    check(key == "VS_VERSION_INFO", "the version resource is a VS_VERSION_INFO (%r)" % key)
    (signature, _struct_version, file_ms, file_ls, product_ms, product_ls, _mask, flags, file_os,
     file_type, _subtype, _date_ms, _date_ls) = struct.unpack_from("<13I", fixed)
    check(signature == VS_FIXEDFILEINFO_SIGNATURE, "VS_FIXEDFILEINFO signature")
    major, minor, patch = (int(part) for part in version.split("."))
    want_ms, want_ls = major << 16 | minor, patch << 16
    check((file_ms, file_ls) == (want_ms, want_ls),
          "FILEVERSION %d.%d.%d.%d is CMake's %s" % (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16,
                                                     file_ls & 0xFFFF, version))
    check((product_ms, product_ls) == (want_ms, want_ls),
          "PRODUCTVERSION %d.%d.%d.%d is CMake's %s" % (product_ms >> 16, product_ms & 0xFFFF,
                                                        product_ls >> 16, product_ls & 0xFFFF, version))
    check(flags == 0 and file_os == VOS_NT_WINDOWS32 and file_type == VFT_APP,
          "a released Windows NT application (flags %#x, os %#x, type %#x)" % (flags, file_os, file_type))

    blocks = {child[0]: child for child in children}
    tables = blocks.get("StringFileInfo", ("", b"", []))[2]
    check([table[0].upper() for table in tables] == ["040904B0"],
          "one string table, US English in Unicode (%r)" % [table[0] for table in tables])
    strings = {name: value for name, value, _ in tables[0][2]} if tables else {}
    for name, value in sorted(strings.items()):
        print("   %s = %r" % (name, value))
    expected = {
        "ProductName": "PolyTree",
        "FileVersion": version,
        "ProductVersion": version,
        "LegalCopyright": COPYRIGHT,
        "OriginalFilename": "polytree.exe",
    }
    for name, value in expected.items():
        check(strings.get(name) == value, "%s is %r (%r)" % (name, value, strings.get(name)))
    description = strings.get("FileDescription", "")
    check(description and CAPTION.lower() not in description.lower(),
          "FileDescription %r is given and is not the window caption" % description)
    translations = blocks.get("VarFileInfo", ("", b"", []))[2]
    pairs = [struct.unpack("<HH", value) for name, value, _ in translations if name == "Translation"]
    check(pairs == [(0x409, 1200)], "Translation is US English, Unicode (%r)" % pairs)


# --------------------------------------------------------------------------
# The application manifest


def check_manifest(exe, version):
    names = resources(exe, RT_MANIFEST)
    check(names == ["1"], "one manifest, RT_MANIFEST 1 (found %r)" % names)
    if not names:
        return
    text = resource(exe, RT_MANIFEST, names[0])
    try:
        root = ET.fromstring(text)
    except ET.ParseError as error:
        check(False, "the manifest is well-formed XML (%s)" % error)
        return
    check(root.tag == "{%s}assembly" % ASM_V1 and root.get("manifestVersion") == "1.0",
          "the manifest is an assembly, manifestVersion 1.0")

    identity = root.find("{%s}assemblyIdentity" % ASM_V1)
    check(identity is not None and identity.get("version") == version + ".0"
          and identity.get("type") == "win32",
          "its assemblyIdentity has CMake's version %s.0 (%r)"
          % (version, identity.attrib if identity is not None else None))

    controls = [dependent.get("version") for dependent in root.iter("{%s}assemblyIdentity" % ASM_V1)
                if dependent.get("name") == "Microsoft.Windows.Common-Controls"
                and dependent.get("publicKeyToken") == "6595b64144ccf1df"]
    check(controls == ["6.0.0.0"], "a dependency on Common Controls 6.0.0.0 (%r)" % controls)

    systems = [os_.get("Id", "").lower() for os_ in
               root.iter("{%s}supportedOS" % COMPATIBILITY)]
    check(sorted(systems) == sorted(SUPPORTED_OS),
          "supportedOS: %s" % ", ".join(SUPPORTED_OS.get(s, s) for s in systems))

    levels = [(level.get("level"), level.get("uiAccess"))
              for level in root.iter("{%s}requestedExecutionLevel" % ASM_V3)]
    check(levels == [("asInvoker", "false")], "requestedExecutionLevel asInvoker (%r)" % levels)

    aware = [e.text.strip().lower() for e in root.iter("{%s}dpiAware" % DPI_2005)]
    awareness = [e.text.strip().lower() for e in root.iter("{%s}dpiAwareness" % DPI_2016)]
    check(aware == ["true"] and awareness and awareness[0].split(",")[0].strip() in ("system", "permonitorv2"),
          "DPI aware, at least system aware (dpiAware %r, dpiAwareness %r)" % (aware, awareness))

    check(CAPTION.encode("ascii") not in text, "the manifest does not hold the window caption")


# --------------------------------------------------------------------------
# PE header


def check_pe_header(exe):
    with open(exe, "rb") as f:
        image = f.read(4096)
    check(image[:2] == b"MZ", "an MZ executable")
    (pe,) = struct.unpack_from("<I", image, 0x3C)
    check(image[pe:pe + 4] == b"PE\0\0", "a PE image")
    machine, _sections, stamp = struct.unpack_from("<HHI", image, pe + 4)
    check(machine == 0x8664, "x86-64 code (machine %#x)" % machine)
    check(stamp == 0, "TimeDateStamp is 0, no link time in the header" if stamp == 0 else
          "TimeDateStamp is %#x, not 0 (a build folder configured before the toolchain file had "
          "--no-insert-timestamp keeps its old linker flags: configure it with --fresh)" % stamp)
    optional = pe + 24
    (magic,) = struct.unpack_from("<H", image, optional)
    check(magic == 0x20B, "a PE32+ optional header")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True, help="the project's version in CMake, MAJOR.MINOR.PATCH")
    parser.add_argument("--wrestool", default="wrestool")
    options = parser.parse_args()
    global WRESTOOL
    WRESTOOL = options.wrestool
    check_pe_header(options.exe)
    check_version(options.exe, options.version)
    check_manifest(options.exe, options.version)
    print("%d passed, %d failed" % (passes, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
