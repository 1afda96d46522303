"""Writes the package managers' manifests of a Windows release beside its
files, for the address the files will be downloaded from:

  winget (multi-file, as winget-pkgs takes them): PolyTree.PolyTree.yaml,
      PolyTree.PolyTree.installer.yaml, PolyTree.PolyTree.locale.en-US.yaml,
      for polytree-<version>-win64-setup.exe
  Scoop: polytree.json, for polytree-<version>-win64.zip

  python3 manifests.py --folder build/windows --url https://example.org/polytree/1.0.0 [--homepage URL]

The version and publisher are the installer's, read from the build's
wrapper of its script (polytree-installer.nsi); the hashes are those of the
files in the folder. Strings are written as JSON's, which YAML reads too.
"""

import argparse
import hashlib
import json
import os
import re
import sys

IDENTIFIER = "PolyTree.PolyTree"
WINGET_SCHEMA = "1.6.0"
DESCRIPTION = "An animated 3D line-drawing fractal: a viewer and a screen saver"
LICENSE = "MIT"


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def yaml(fields):
    """A YAML mapping, named to editors by winget's schema for its type; a
    list value is a sequence of mappings."""
    lines = ["# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json"
             % (fields["ManifestType"], WINGET_SCHEMA)]
    for name, value in fields.items():
        if isinstance(value, list):
            lines.append(name + ":")
            for item in value:
                lines += [("- " if i == 0 else "  ") + "%s: %s" % (key, json.dumps(entry))
                          for i, (key, entry) in enumerate(item.items())]
        else:
            lines.append("%s: %s" % (name, json.dumps(value)))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True, help="the windows build, with the zip and the installer")
    parser.add_argument("--url", required=True, help="where the release's files will be, one folder")
    parser.add_argument("--homepage", help="the project's page (default: --url)")
    options = parser.parse_args()
    for address in (options.url, options.homepage or options.url):
        if not re.match(r"^https?://[^\s/]+", address):
            sys.exit("manifests: %r is no http(s) address" % address)
    with open(os.path.join(options.folder, "polytree-installer.nsi")) as f:
        defines = dict(re.findall(r'^!define (?:/ifndef )?(\w+) "(.*)"$', f.read(), re.M))
    version, publisher = defines["VERSION"], defines["PUBLISHER"]
    setup = "polytree-%s-win64-setup.exe" % version
    archive = "polytree-%s-win64.zip" % version
    base = options.url.rstrip("/") + "/"
    homepage = options.homepage or options.url

    package = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}
    manifests = {
        IDENTIFIER + ".yaml": yaml(dict(package, DefaultLocale="en-US", ManifestType="version",
                                        ManifestVersion=WINGET_SCHEMA)),
        IDENTIFIER + ".installer.yaml": yaml(dict(package, Installers=[{
            "Architecture": "x64",
            "InstallerType": "nullsoft",
            "Scope": "user",
            "InstallerUrl": base + setup,
            "InstallerSha256": sha256(os.path.join(options.folder, setup)).upper(),
            # The Installed apps entry's key: how winget knows it installed.
            "ProductCode": "PolyTree",
        }], UpgradeBehavior="install", ManifestType="installer", ManifestVersion=WINGET_SCHEMA)),
        IDENTIFIER + ".locale.en-US.yaml": yaml(dict(
            package, PackageLocale="en-US", Publisher=publisher, PackageName="PolyTree", PackageUrl=homepage,
            License=LICENSE, ShortDescription=DESCRIPTION, ManifestType="defaultLocale",
            ManifestVersion=WINGET_SCHEMA)),
        "polytree.json": json.dumps({
            "version": version,
            "description": DESCRIPTION,
            "homepage": homepage,
            "license": LICENSE,
            "url": base + archive,
            "hash": sha256(os.path.join(options.folder, archive)),
            "extract_dir": "polytree-%s-win64" % version,
            "bin": "polytree.exe",
            "shortcuts": [["polytree.exe", "PolyTree"]],
        }, indent=4) + "\n",
    }
    for name, text in manifests.items():
        with open(os.path.join(options.folder, name), "w") as f:
            f.write(text)
        print("release: " + os.path.abspath(os.path.join(options.folder, name)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
