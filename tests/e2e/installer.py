"""The Windows installer under Wine, in a prefix of its own booted afresh:
installed silently, its programs run from where it put them, PolyTree made
the current screen saver and the earlier one put back, an upgrade over an
older version, and an uninstall that leaves the prefix as it found it.

  python3 -B -m tests.e2e.installer --setup build/windows/polytree-1.0.0-win64-setup.exe \\
      --exe build/windows/polytree.exe --scr build/windows/polytree.scr --version 1.0.0 --work DIR

"No trace" is judged against a control: the same steps in the same prefix,
each program replaced by an NSIS installer with nothing in it, so that what
Wine itself rewrites on every run is known, not guessed by a filter.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

from . import saver, scenarios
from .saver import wine_reg
from .wine import Session, make_prefix, stop_wineserver, wine_env
from .x11 import check, end_on_terminate, log, run_scenario

SIZE = (1024, 768)
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SETTINGS_KEY = r"HKCU\Software\PolyTree\Screen Saver"
BEFORE_SAVER = r"C:\windows\system32\before.scr"
LATER_SAVER = r"C:\windows\system32\later.scr"
DEFAULT_FOLDER = r"\AppData\Local\Programs\PolyTree"
SHORTCUT = r"\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\PolyTree.lnk"
INSTALLED = {"polytree.exe", "polytree.scr", "README.md", "LICENSE", "uninstall.exe"}
NOOP_SCRIPT = ('Unicode true\nTarget amd64-unicode\nRequestExecutionLevel user\nSilentInstall silent\n'
               'OutFile "%s"\nSection\nSectionEnd\n')
HIVES = {"system.reg": "HKLM", "user.reg": "HKCU", "userdef.reg": r"HKU\.Default"}
_KEY = re.compile(r"^\[(.+)\] \d+$")
_VALUE = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$')
MISSING = object()


# --------------------------------------------------------------------------
# The prefix as files and registry


def registry(prefix):
    """Every key (to None) and value (to its data as Wine writes it) of the
    prefix's hives; the times Wine stamps on keys are left out."""
    entries = {}
    for name, root in HIVES.items():
        with open(os.path.join(prefix, name), encoding="utf-8", errors="replace") as f:
            text = f.read().replace("\\\n  ", "")  # long values go on over lines
        key = None
        for line in text.split("\n"):
            m = _KEY.match(line)
            if m:
                key = root + "\\" + m.group(1).replace("\\\\", "\\")
                entries[key] = None
            elif key and (m := _VALUE.match(line)):
                entries[key + "\\" + m.group(1)] = m.group(2)
    return entries


def value(entries, key, name):
    """A value's data: a string unquoted, a dword as a number, None if absent."""
    data = entries.get('%s\\"%s"' % (key, name))
    if data is None:
        return None
    if data.startswith("dword:"):
        return int(data[6:], 16)
    return re.sub(r'\\(.)', r"\1", data[1:-1])


def snapshot(prefix):
    found = {"reg " + key: data for key, data in registry(prefix).items()}
    for folder, dirs, names in os.walk(prefix):
        for name in dirs + names:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, prefix)
            if rel in HIVES:
                continue
            if os.path.islink(path):
                found["file " + rel] = ("link", os.readlink(path))
            elif os.path.isdir(path):
                found["file " + rel] = ("folder",)
            else:
                stat = os.stat(path)
                found["file " + rel] = (stat.st_size, stat.st_mtime_ns)
    return found


def changes(before, after):
    kinds = {}
    for entry in before.keys() | after.keys():
        old, new = before.get(entry, MISSING), after.get(entry, MISSING)
        if old != new:
            kinds[entry] = "added" if old is MISSING else "removed" if new is MISSING else "changed"
    return kinds


# --------------------------------------------------------------------------
# Steps


def wait_wine(session):
    """Until every process of the prefix has ended and its registry is on disk."""
    env = wine_env(session.prefix, session.screen.env)
    subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=90)


def run(session, name, program, *args):
    with session.viewer(name, list(args), exe=program) as client:
        code = client.wait_exit(90)
        # Before the with's end stops the wineserver: an uninstaller goes on
        # in a copy of itself.
        wait_wine(session)
    check(code == 0, "%s %s exited with %d" % (os.path.basename(program), " ".join(args), code))


def restart(session):
    """Windows' restart: Wine's wineboot -r carries out the deletions put off
    until then (NSIS's copy of the uninstaller in %TEMP%)."""
    env = wine_env(session.prefix, session.screen.env)
    with open(os.path.join(session.work_dir, "wineboot.log"), "ab") as out:
        subprocess.run(["wineboot", "-r"], env=env, stdout=out, stderr=out, timeout=90)
    wait_wine(session)


def unix_path(prefix, windows):
    drive, rest = windows.split(":", 1)
    return os.path.join(prefix, "dosdevices", drive.lower() + ":", *rest.strip("\\").split("\\"))


def installed(session, version):
    """The install as Installed apps lists it; checks its files, shortcut and
    uninstall entry. Returns the uninstall entry's values."""
    entries = registry(session.prefix)
    keys = [key for key in entries if entries[key] is None and re.match(r"HK(CU|LM)\\.*\\Uninstall\\[^\\]+$", key)
            and value(entries, key, "DisplayName") == "PolyTree"]
    check(keys == [UNINSTALL_KEY + "\\PolyTree"], "PolyTree's entries in Installed apps: %r" % keys)
    entry = {name: value(entries, keys[0], name) for name in (
        "DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation", "EstimatedSize",
        "UninstallString", "QuietUninstallString")}
    log("installer: the uninstall entry %r" % entry)
    folder = entry["InstallLocation"] or ""
    found = set(os.listdir(unix_path(session.prefix, folder))) if folder else set()
    check(found == INSTALLED, "installed files %s, expected %s" % (sorted(found), sorted(INSTALLED)))
    total = sum(os.path.getsize(os.path.join(unix_path(session.prefix, folder), name)) for name in found)
    uninstaller = '"%s\\uninstall.exe"' % folder
    check(entry == dict(entry, DisplayVersion=version, Publisher="the PolyTree authors",
                        DisplayIcon=folder + "\\polytree.exe,0", UninstallString=uninstaller,
                        QuietUninstallString=uninstaller + " /S")
          and abs(entry["EstimatedSize"] - total / 1024) <= len(found), "the uninstall entry: %r" % entry)
    check(folder.endswith(DEFAULT_FOLDER), "installed in %r, not in the user's %r" % (folder, DEFAULT_FOLDER))
    shortcut = unix_path(session.prefix, folder[:-len(DEFAULT_FOLDER)] + SHORTCUT)
    shortcut = subprocess.run(["lnkinfo", shortcut],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout.decode(errors="replace")
    target = re.search(r"^\s*Local path\s*:\s*(.*)$", shortcut, re.M)
    check(target and target.group(1) == folder + "\\polytree.exe",
          "the Start menu shortcut's target: %s" % (target.group(1) if target else shortcut))
    return entry, entries


def current_saver(session):
    return value(registry(session.prefix), DESKTOP_KEY, "SCRNSAVE.EXE")


def names_installed_saver(session, entry):
    saver_path = current_saver(session)
    return saver_path and os.path.samefile(unix_path(session.prefix, saver_path),
                                           unix_path(session.prefix, entry["InstallLocation"] + "\\polytree.scr"))


def uninstall(session, entry, *args):
    """Runs the uninstall entry's QuietUninstallString, as a package manager does."""
    program, switches = re.match(r'^"([^"]+)"\s*(.*)$', entry["QuietUninstallString"]).groups()
    run(session, "uninstall", unix_path(session.prefix, program), *(switches.split() + list(args)))


# --------------------------------------------------------------------------
# The test


def makensis(script, **defines):
    command = ["makensis", "-V2"] + ["-D%s=%s" % item for item in defines.items()] + [script]
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(result.returncode == 0, "makensis %s: %s" % (script, result.stdout.decode(errors="replace")))


def install_and_remove(session, options, noop=None):
    """The steps diffed: an install with the saver option, a saver setting
    written, the uninstall asking for the settings to go, a restart. In the
    control (noop given) each of those programs is noop."""
    if noop:
        for name in ("setup", "reg", "uninstall"):
            run(session, name, noop, "/S")
    else:
        run(session, "setup", options.setup, "/S", "/SetScreenSaver")
        entry, _ = installed(session, options.version)
        check(names_installed_saver(session, entry), "SCRNSAVE.EXE is %r after /SetScreenSaver"
              % current_saver(session))
        wine_reg(session, "add", SETTINGS_KEY, "/v", "Levels", "/t", "REG_DWORD", "/d", "5", "/f")
        uninstall(session, entry, "/RemoveSettings")
    restart(session)


def test(options, work):
    prefix = os.path.abspath(os.path.join(work, "prefix"))
    if os.path.exists(prefix):
        stop_wineserver(prefix)
        shutil.rmtree(prefix)
    noop = os.path.join(work, "noop-setup.exe")
    with open(os.path.join(work, "noop.nsi"), "w") as f:
        f.write(NOOP_SCRIPT % noop)
    makensis(os.path.join(work, "noop.nsi"))
    # The same installer, as the build makes it, of an older version.
    older = os.path.join(work, "old-setup.exe")
    makensis(os.path.join(os.path.dirname(options.setup), "polytree-installer.nsi"), VERSION="0.9.0",
             VIEWER=options.exe, SAVER=options.scr, OUTFILE=older)
    make_prefix(prefix, SIZE[0], SIZE[1], os.path.join(work, "logs"))

    with Session(options.setup, prefix, SIZE[0], SIZE[1], os.path.join(work, "steps")) as s:
        wine_reg(s, "add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", BEFORE_SAVER, "/f")
        wait_wine(s)
        before = snapshot(prefix)
        install_and_remove(s, options, noop)
        control = snapshot(prefix)
        install_and_remove(s, options)
        after = snapshot(prefix)
        check(current_saver(s) == BEFORE_SAVER, "SCRNSAVE.EXE is %r after the uninstall" % current_saver(s))
        wait_wine(s)
        expected = changes(before, control)
        log("installer: the control changed %d entries: %s" % (len(expected), sorted(expected)))
        leftovers = {entry: kind for entry, kind in changes(control, after).items() if expected.get(entry) != kind}
        check(not leftovers, "left by the install and uninstall: %s" % sorted(leftovers.items()))

        # An upgrade over an older version; the saver chosen then stays chosen.
        run(s, "old-setup", older, "/S", "/SetScreenSaver")
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Levels", "/t", "REG_DWORD", "/d", "5", "/f")
        run(s, "setup", options.setup, "/S")
        entry, entries = installed(s, options.version)
        check(value(entries, SETTINGS_KEY, "Levels") == 5, "the saver's setting after the upgrade: %r"
              % value(entries, SETTINGS_KEY, "Levels"))
        check(names_installed_saver(s, entry), "SCRNSAVE.EXE is %r after the upgrade" % current_saver(s))

    folder = unix_path(prefix, entry["InstallLocation"])
    scenarios.startup(os.path.join(folder, "polytree.exe"), prefix, SIZE, os.path.join(work, "startup"))
    saver.saver_full_screen(os.path.join(folder, "polytree.scr"), prefix, SIZE, os.path.join(work, "saver"))

    with Session(options.setup, prefix, SIZE[0], SIZE[1], os.path.join(work, "later")) as s:
        # The user picks another saver later: the uninstall leaves it, and
        # the settings, not asked for, stay.
        wine_reg(s, "add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", LATER_SAVER, "/f")
        uninstall(s, entry)
        entries = registry(prefix)
        check(not os.path.exists(folder), "the install folder is still there")
        check(value(entries, DESKTOP_KEY, "SCRNSAVE.EXE") == LATER_SAVER and
              value(entries, SETTINGS_KEY, "Levels") == 5,
              "after the uninstall: SCRNSAVE.EXE %r, Levels %r" % (value(entries, DESKTOP_KEY, "SCRNSAVE.EXE"),
                                                                   value(entries, SETTINGS_KEY, "Levels")))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True, help="the installer the windows build made")
    parser.add_argument("--exe", required=True, help="the polytree.exe it holds")
    parser.add_argument("--scr", required=True, help="the polytree.scr it holds")
    parser.add_argument("--version", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--deadline", type=int, default=0)
    options = parser.parse_args()
    for name in ("setup", "exe", "scr"):  # makensis reads them from the script's folder
        setattr(options, name, os.path.abspath(getattr(options, name)))
    end_on_terminate()
    work = os.path.abspath(os.path.join(options.work, "installer"))
    os.makedirs(work, exist_ok=True)
    return run_scenario("installer", lambda: test(options, work), options.deadline)


if __name__ == "__main__":
    sys.exit(main())
