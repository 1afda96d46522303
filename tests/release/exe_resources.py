"""Reads a built program as Windows would: its version resource, its
application manifest, its file icon, its PE header's link time and, for the
screen saver,
the name Windows lists it by (string resource 1).

  python3 exe_resources.py --exe build/windows/polytree.exe --version 1.0.0
  python3 exe_resources.py --exe build/windows/polytree.scr --version 1.0.0 \
      --dpi-awareness "PerMonitorV2, system" --listed-as PolyTree

The PE header, the resources and the version resource are read with pefile
(Debian's python3-pefile), the manifest as XML.
"""

import argparse
import os
import sys
import xml.etree.ElementTree as ET

import pefile

RT_ICON = 3
RT_STRING = 6
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24
CAPTION = "PolyTree - Polygon Tree Viewer"
COPYRIGHT = "Copyright (c) 2026 the PolyTree authors"

VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
VOS_NT_WINDOWS32 = 0x00040004
VOS__WINDOWS32 = 0x00000004
VFT_APP = 1

# What NSIS's stub sets in an installer and makensis does not change: its
# link time, its own icon group and assembly identity, and a version
# resource labelled with the ANSI code page although its strings are UTF-16.
PROGRAM = {"icon group": "1", "string table": "040904B0", "translation": (0x409, 1200), "os": VOS_NT_WINDOWS32}
INSTALLER = {"icon group": "103", "string table": "040904E4", "translation": (0x409, 1252), "os": VOS__WINDOWS32}

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
# Resources and the version resource, as pefile reads them


def load(exe):
    """The PE image with its resources and version information parsed; None
    (and a failed check) when it is no PE image."""
    try:
        image = pefile.PE(exe, fast_load=True)
    except pefile.PEFormatError as error:
        check(False, "a PE image (%s)" % error)
        return None
    image.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    return image


def resources(image, type_id):
    """(name, data) of every resource of one type, once per language."""
    found = []
    directory = getattr(image, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in directory.entries if directory else []:
        if kind.id != type_id:
            continue
        for entry in kind.directory.entries:
            name = str(entry.name) if entry.name is not None else str(entry.id)
            for language in entry.directory.entries:
                found.append((name, image.get_data(language.data.struct.OffsetToData,
                                                   language.data.struct.Size)))
    return found


def check_version(image, version, file_name, kind):
    names = [name for name, _ in resources(image, RT_VERSION)]
    check(names == ["1"], "one version resource, 1 (found %r)" % names)
    if not names:
        return
    readable = all(getattr(image, part, None) for part in ("VS_VERSIONINFO", "VS_FIXEDFILEINFO", "FileInfo"))
    check(readable, "the version resource has a fixed part and string and variable blocks")
    if not readable:
        return
    key = image.VS_VERSIONINFO[0].Key.decode()
    check(key == "VS_VERSION_INFO", "the version resource is a VS_VERSION_INFO (%r)" % key)
    fixed = image.VS_FIXEDFILEINFO[0]
    check(fixed.Signature == VS_FIXEDFILEINFO_SIGNATURE, "VS_FIXEDFILEINFO signature")
    major, minor, patch = (int(part) for part in version.split("."))
    want_ms, want_ls = major << 16 | minor, patch << 16
    file_ms, file_ls = fixed.FileVersionMS, fixed.FileVersionLS
    product_ms, product_ls = fixed.ProductVersionMS, fixed.ProductVersionLS
    check((file_ms, file_ls) == (want_ms, want_ls),
          "FILEVERSION %d.%d.%d.%d is CMake's %s" % (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16,
                                                     file_ls & 0xFFFF, version))
    check((product_ms, product_ls) == (want_ms, want_ls),
          "PRODUCTVERSION %d.%d.%d.%d is CMake's %s" % (product_ms >> 16, product_ms & 0xFFFF,
                                                        product_ls >> 16, product_ls & 0xFFFF, version))
    flags, file_os, file_type = fixed.FileFlags, fixed.FileOS, fixed.FileType
    check(flags == 0 and file_os == kind["os"] and file_type == VFT_APP,
          "a released Windows NT application (flags %#x, os %#x, type %#x)" % (flags, file_os, file_type))

    blocks = {block.Key.decode(): block for block in image.FileInfo[0]}
    tables = getattr(blocks.get("StringFileInfo"), "StringTable", [])
    check([table.LangID.decode().upper() for table in tables] == [kind["string table"]],
          "one string table, US English (%r)" % [table.LangID for table in tables])
    strings = {name.decode(): value.decode() for name, value in tables[0].entries.items()} if tables else {}
    for name, value in sorted(strings.items()):
        print("   %s = %r" % (name, value))
    expected = {
        "ProductName": "PolyTree",
        "FileVersion": version,
        "ProductVersion": version,
        "LegalCopyright": COPYRIGHT,
        "OriginalFilename": file_name,
    }
    for name, value in expected.items():
        check(strings.get(name) == value, "%s is %r (%r)" % (name, value, strings.get(name)))
    description = strings.get("FileDescription", "")
    check(description and CAPTION.lower() not in description.lower(),
          "FileDescription %r is given and is not the window caption" % description)
    # pefile gives each Translation as "0xLANG 0xCODEPAGE"
    values = [var.entry[b"Translation"] for var in getattr(blocks.get("VarFileInfo"), "Var", [])
              if b"Translation" in var.entry]
    pairs = [tuple(int(number, 16) for number in value.split()) for value in values]
    check(pairs == [kind["translation"]], "Translation is US English (%r)" % pairs)


# --------------------------------------------------------------------------
# The application manifest


def check_manifest(image, version, dpi_awareness, installer):
    manifests = resources(image, RT_MANIFEST)
    check([name for name, _ in manifests] == ["1"], "one manifest, RT_MANIFEST 1 (found %r)"
          % [name for name, _ in manifests])
    if not manifests:
        return
    text = manifests[0][1]
    try:
        root = ET.fromstring(text)
    except ET.ParseError as error:
        check(False, "the manifest is well-formed XML (%s)" % error)
        return
    check(root.tag == "{%s}assembly" % ASM_V1 and root.get("manifestVersion") == "1.0",
          "the manifest is an assembly, manifestVersion 1.0")

    identity = root.find("{%s}assemblyIdentity" % ASM_V1)
    check(installer or identity is not None and identity.get("version") == version + ".0"
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
    check(aware == ["true"] and awareness == [dpi_awareness.lower()],
          "DPI aware: dpiAware true, dpiAwareness %r (dpiAware %r, dpiAwareness %r)" % (dpi_awareness, aware, awareness))

    check(CAPTION.encode("ascii") not in text, "the manifest does not hold the window caption")


# --------------------------------------------------------------------------
# The file icon


def check_icon(image, group):
    """One icon group whose entries are 16, 32, 48 and 256 pixels, each an
    RT_ICON of the size the group names."""
    groups = resources(image, RT_GROUP_ICON)
    check([name for name, _ in groups] == [group], "one icon group, %s (found %r)"
          % (group, [name for name, _ in groups]))
    if not groups:
        return
    data = groups[0][1]
    count = int.from_bytes(data[4:6], "little")
    icons = dict(resources(image, RT_ICON))
    sizes = []
    for index in range(count):
        entry = data[6 + 14 * index:6 + 14 * (index + 1)]
        size = entry[0] or 256  # 0 stands for 256
        length = int.from_bytes(entry[8:12], "little")
        icon = icons.get(str(int.from_bytes(entry[12:14], "little")), b"")
        check(len(icon) == length, "icon entry %d (%d pixels) has its %d bytes" % (index, size, length))
        sizes.append(size)
    check(sorted(sizes) == [16, 32, 48, 256], "the icon has 16, 32, 48 and 256 pixels (%r)" % sizes)


# --------------------------------------------------------------------------
# The string table


def string_resource(image, number):
    """String number of the string table, as LoadString reads it: block
    number // 16 + 1 holds sixteen counted UTF-16 strings."""
    block = str(number // 16 + 1)
    for name, data in resources(image, RT_STRING):
        if name != block:
            continue
        offset = 0
        for index in range(16):
            length = int.from_bytes(data[offset:offset + 2], "little")
            text = data[offset + 2:offset + 2 + 2 * length].decode("utf-16-le")
            if index == number % 16:
                return text
            offset += 2 + 2 * length
    return None


def check_listed_as(image, name):
    listed = string_resource(image, 1)
    check(listed == name, "string resource 1, the name Windows lists, is %r (%r)" % (name, listed))


# --------------------------------------------------------------------------
# PE header


def check_pe_header(image, installer):
    check(image.DOS_HEADER.e_magic == pefile.IMAGE_DOS_SIGNATURE, "an MZ executable")
    check(image.NT_HEADERS.Signature == pefile.IMAGE_NT_SIGNATURE, "a PE image")
    machine = image.FILE_HEADER.Machine
    check(machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], "x86-64 code (machine %#x)" % machine)
    stamp = image.FILE_HEADER.TimeDateStamp
    # An installer's is the NSIS stub's, fixed when the stub was built.
    if not installer:
        check(stamp == 0, "TimeDateStamp is 0, no link time in the header" if stamp == 0 else
              "TimeDateStamp is %#x, not 0 (a build folder configured before the toolchain file had "
              "--no-insert-timestamp keeps its old linker flags: configure it with --fresh)" % stamp)
    magic = image.OPTIONAL_HEADER.Magic
    check(magic == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS, "a PE32+ optional header (magic %#x)" % magic)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True, help="the project's version in CMake, MAJOR.MINOR.PATCH")
    parser.add_argument("--dpi-awareness", default="system", help="the manifest's dpiAwareness")
    parser.add_argument("--listed-as", help="string resource 1, when the program has one")
    parser.add_argument("--installer", action="store_true", help="an NSIS installer")
    options = parser.parse_args()
    image = load(options.exe)
    kind = INSTALLER if options.installer else PROGRAM
    if image is not None:
        check_pe_header(image, options.installer)
        check_version(image, options.version, os.path.basename(options.exe), kind)
        check_manifest(image, options.version, options.dpi_awareness, options.installer)
        check_icon(image, kind["icon group"])
        if options.listed_as is not None:
            check_listed_as(image, options.listed_as)
    print("%d passed, %d failed" % (passes, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
