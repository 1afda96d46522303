"""Two releases of the same sources, made in two different folders, hold the
same polytree.exe and polytree.scr byte for byte; each release's zip holds
exactly the two programs, README.md and LICENSE, and its checksum file is
right; the web zip holds exactly the page's folder. The first is given a
download address: its winget and Scoop manifests must parse and hold the
fields and hashes of the files beside them; the second, without one, makes
none and says so.

  python3 reproducible.py --source . --version 1.0.0

The source tree (without build/ and .git) is copied to two folders of
different names and depths, and scripts/release.sh, the one release command,
runs in each: so any build path or link time left in the program shows up as
a difference. The Debian package is left out (--without-deb): it is checked
by debian_package.py, from the release build the suite already has.
"""

import argparse
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import yaml

PROGRAMS = ("polytree.exe", "polytree.scr")
DOWNLOAD = "https://example.org/polytree/1.0/"
WINGET = {"version": "PolyTree.PolyTree.yaml", "installer": "PolyTree.PolyTree.installer.yaml",
          "defaultLocale": "PolyTree.PolyTree.locale.en-US.yaml"}

failures = []
passes = 0


def check(condition, what):
    global passes
    if condition:
        passes += 1
        print("ok: " + what, flush=True)
    else:
        failures.append(what)
        print("FAILED: " + what, flush=True)


def release(source, folder, *options):
    shutil.copytree(source, folder, symlinks=True,
                    ignore=shutil.ignore_patterns("build", "out", ".git", "__pycache__"))
    started = time.monotonic()
    result = subprocess.run(["bash", "scripts/release.sh", "--without-deb"] + list(options), cwd=folder,
                            stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = result.stdout.decode(errors="replace")
    check(result.returncode == 0, "scripts/release.sh in %s (%.0f s)" % (folder, time.monotonic() - started))
    if result.returncode != 0:
        print(output[-4000:])
    return os.path.join(folder, "build", "windows"), output


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def check_manifests(build, version):
    setup, archive = "polytree-%s-win64-setup.exe" % version, "polytree-%s-win64.zip" % version
    with open(os.path.join(build, setup + ".sha256")) as f:
        check(f.read().split() == [digest(os.path.join(build, setup)), setup], "the installer's checksum file")
    winget = {}
    for kind, name in WINGET.items():
        with open(os.path.join(build, name)) as f:
            winget[kind] = yaml.safe_load(f)
        check(winget[kind] == dict(winget[kind], PackageIdentifier="PolyTree.PolyTree", PackageVersion=version,
                                   ManifestType=kind) and winget[kind].get("ManifestVersion"),
              "%s: the package, version and manifest type (%r)" % (name, winget[kind]))
    locale = winget["defaultLocale"]
    check(all(locale.get(field) for field in ("PackageLocale", "Publisher", "PackageName", "License",
                                              "ShortDescription")), "winget's locale fields: %r" % locale)
    installers = winget["installer"].get("Installers") or [{}]
    check(installers == [dict(installers[0], Architecture="x64", InstallerType="nullsoft", Scope="user",
                              InstallerUrl=DOWNLOAD + setup,
                              InstallerSha256=digest(os.path.join(build, setup)).upper())],
          "winget's installer: %r" % installers)
    with open(os.path.join(build, "polytree.json")) as f:
        scoop = json.load(f)
    check(scoop == dict(scoop, version=version, url=DOWNLOAD + archive, hash=digest(os.path.join(build, archive)),
                        extract_dir="polytree-%s-win64" % version, bin="polytree.exe")
          and all(scoop.get(field) for field in ("description", "homepage", "license", "shortcuts")),
          "Scoop's manifest: %r" % scoop)


def check_zip(build, version, kind="win64", files=PROGRAMS + ("README.md", "LICENSE"), built_dir=None):
    name = "polytree-%s-%s" % (version, kind)
    archive = os.path.join(build, name + ".zip")
    checksum_file = archive + ".sha256"
    check(os.path.isfile(archive) and os.path.isfile(checksum_file), "%s.zip and its .sha256 are made" % name)
    if not (os.path.isfile(archive) and os.path.isfile(checksum_file)):
        return
    with open(archive, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(checksum_file) as f:
        listed = f.read().split()
    check(listed == [digest, name + ".zip"], "the checksum file names the zip's SHA-256 (%r)" % listed)
    with zipfile.ZipFile(archive) as z:
        names = sorted(n for n in z.namelist() if not n.endswith("/"))
        check(names == sorted(name + "/" + f for f in files),
              "the zip holds %s/ %s (%r)" % (name, ", ".join(files), names))
        for program in files if kind == "web" else PROGRAMS:
            with open(os.path.join(built_dir or build, program), "rb") as f:
                built = f.read()
            packed = z.read(name + "/" + program) if name + "/" + program in names else b""
            check(packed == built, "the zip's %s is the one built" % program)
    print("   %s.zip: %d bytes" % (name, os.path.getsize(archive)))


def check_same(program, folders, builds):
    exes = []
    for folder, build in zip(folders, builds):
        path = os.path.join(build, program)
        exe = open(path, "rb").read() if os.path.isfile(path) else b""
        check(exe and os.fsencode(folder) not in exe, "no path of %s in its %s" % (folder, program))
        exes.append(exe)
    if exes[0] and exes[0] == exes[1]:
        check(True, "the two %s are byte-identical (%d bytes, SHA-256 %s)"
              % (program, len(exes[0]), hashlib.sha256(exes[0]).hexdigest()))
    else:
        differing = [i for i, (a, b) in enumerate(zip(exes[0], exes[1])) if a != b]
        check(False, "the two %s differ: %d and %d bytes, %d bytes differ, first at %s"
              % (program, len(exes[0]), len(exes[1]), len(differing), hex(differing[0]) if differing else "-"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--version", required=True, help="the project's version in CMake")
    parser.add_argument("--keep", action="store_true", help="keep the two folders")
    options = parser.parse_args()
    source = os.path.abspath(options.source)
    root = tempfile.mkdtemp(prefix="polytree-reproducible-")
    try:
        folders = [os.path.join(root, "one", "polytree"),
                   os.path.join(root, "a-second-folder", "deeper", "PolyTree-checkout")]
        first, _ = release(source, folders[0], "--download-url", DOWNLOAD)
        second, said = release(source, folders[1])
        builds = [first, second]
        check_manifests(first, options.version)
        manifests = list(WINGET.values()) + ["polytree.json"]
        check(not any(os.path.exists(os.path.join(second, name)) for name in manifests) and "--download-url" in said,
              "without a download address no manifest is made, and the release says so")
        for program in PROGRAMS:
            check_same(program, folders, builds)
        check_zip(builds[0], options.version)
        web = os.path.join(builds[0], "..", "web")
        check_zip(web, options.version, "web",
                  ("favicon.ico", "icon-192.png", "icon-512.png", "index.html", "manifest.webmanifest",
                   "mediabunny-LICENSE.txt", "mediabunny.js", "polytree.css", "polytree.js", "polytree.wasm",
                   "record.js", "service-worker.js"),
                  os.path.join(web, "page"))
    finally:
        if options.keep:
            print("kept " + root)
        else:
            shutil.rmtree(root, ignore_errors=True)
    print("%d passed, %d failed" % (passes, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
