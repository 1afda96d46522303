"""The Debian package as Debian's own tools judge it: CPack makes it from the
release build, and lintian (no error or warning), desktop-file-validate
(silent), appstreamcli (validate-tree, strict: no warning) and man (each
page, --warnings: silent) pass it; it holds exactly the files listed here.

  python3 debian_package.py --build build/release --work DIR
"""

import argparse
import glob
import os
import shutil
import subprocess
import sys

APP_ID = "io.github.polytree.PolyTree"
PROGRAMS = ("polytree", "polytree-render", "polytree-xsaver")
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
FILES = sorted([
    "usr/bin/polytree",
    "usr/bin/polytree-render",
    "usr/libexec/xscreensaver/polytree-xsaver",
    "usr/share/xscreensaver/config/polytree-xsaver.xml",
    "usr/share/applications/%s.desktop" % APP_ID,
    "usr/share/metainfo/%s.metainfo.xml" % APP_ID,
    "usr/share/doc/polytree/copyright",
    "usr/share/doc/polytree/changelog.gz",
    "usr/share/man/man1/polytree.1.gz",
    "usr/share/man/man1/polytree-render.1.gz",
    "usr/share/man/man6/polytree-xsaver.6.gz",
    "usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
] + ["usr/share/bash-completion/completions/%s" % p for p in PROGRAMS]
  + ["usr/share/zsh/vendor-completions/_%s" % p for p in PROGRAMS]
  + ["usr/share/fish/vendor_completions.d/%s.fish" % p for p in PROGRAMS]
  + ["usr/share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, APP_ID) for n in ICON_SIZES])

failures = []


def run(args, **kwargs):
    print("$ " + " ".join(args), flush=True)
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    output = result.stdout.decode(errors="replace")
    if output:
        print(output, end="" if output.endswith("\n") else "\n", flush=True)
    return result.returncode, output


def check(condition, what):
    print(("ok: " if condition else "FAILED: ") + what, flush=True)
    if not condition:
        failures.append(what)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    work = os.path.join(os.path.abspath(options.work), "debian_package")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    code, _ = run(["cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-G", "DEB", "-B", work])
    packages = glob.glob(os.path.join(work, "polytree_*.deb"))
    check(code == 0 and len(packages) == 1, "CPack made one package (%s)" % packages)
    if failures:
        return 1
    package = packages[0]
    print("package: %s, %d bytes" % (os.path.basename(package), os.path.getsize(package)))

    # Overrides, each with its reason, would live in the package itself;
    # there are none. The informational and pedantic tags are shown, not failed on.
    code, _ = run(["lintian", "--fail-on", "error,warning", "--display-info", "--pedantic", package])
    check(code == 0, "lintian finds no error or warning")

    root = os.path.join(work, "root")
    run(["dpkg-deb", "-x", package, root])
    files = sorted(os.path.relpath(os.path.join(folder, name), root)
                   for folder, _, names in os.walk(root) for name in names)
    check(files == FILES, "the package holds exactly its files (%s more, %s missing)"
          % (sorted(set(files) - set(FILES)), sorted(set(FILES) - set(files))))

    code, output = run(["desktop-file-validate", os.path.join(root, "usr/share/applications/%s.desktop" % APP_ID)])
    check(code == 0 and not output, "desktop-file-validate is silent")

    code, output = run(["appstreamcli", "validate-tree", "--no-net", "--strict", root])
    check(code == 0, "appstreamcli validate-tree --strict passes")

    for page in glob.glob(os.path.join(root, "usr/share/man/man*/*.gz")):
        result = subprocess.run(["man", "--warnings", "-l", page], stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, env=dict(os.environ, MANWIDTH="80"))
        warnings = result.stderr.decode(errors="replace")
        check(result.returncode == 0 and not warnings, "man --warnings is silent on %s %s"
              % (os.path.basename(page), warnings))

    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
