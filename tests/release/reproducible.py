"""Two releases of the same sources, made in two different folders, hold the
same polytree.exe and polytree.scr byte for byte; each release's zip holds
exactly the two programs, README.md and LICENSE, and its checksum file is
right; the web zip holds exactly the page's folder.

  python3 reproducible.py --source . --version 1.0.0

The source tree (without build/ and .git) is copied to two folders of
different names and depths, and scripts/release.sh, the one release command,
runs in each: so any build path or link time left in the program shows up as
a difference. The Debian package is left out (--without-deb): it is checked
by debian_package.py, from the release build the suite already has.
"""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

PROGRAMS = ("polytree.exe", "polytree.scr")

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


def release(source, folder):
    shutil.copytree(source, folder, symlinks=True,
                    ignore=shutil.ignore_patterns("build", "out", ".git", "__pycache__"))
    started = time.monotonic()
    result = subprocess.run(["bash", "scripts/release.sh", "--without-deb"], cwd=folder,
                            stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = result.stdout.decode(errors="replace")
    check(result.returncode == 0, "scripts/release.sh in %s (%.0f s)" % (folder, time.monotonic() - started))
    if result.returncode != 0:
        print(output[-4000:])
    return os.path.join(folder, "build", "windows")


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
        builds = [release(source, folder) for folder in folders]
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
