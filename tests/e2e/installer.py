"""The Windows installer under Wine, in a prefix of its own booted afresh. An
uninstall must leave the prefix as a control leaves it: the same steps in
the same prefix with every program an empty NSIS installer, so that what
Wine rewrites on each start is measured, not guessed by a filter.

  python3 -B -m tests.e2e.installer --setup build/windows/polytree-1.0.0-win64-setup.exe \\
      --exe build/windows/polytree.exe --scr build/windows/polytree.scr --version 1.0.0 --work DIR
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
BEFORE_SAVER, LATER_SAVER = r"C:\windows\system32\before.scr", r"C:\windows\system32\later.scr"
DEFAULT_FOLDER = r"\AppData\Local\Programs\PolyTree"
SHORTCUT = r"\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\PolyTree.lnk"
INSTALLED = {"polytree.exe", "polytree.scr", "README.md", "LICENSE", "uninstall.exe"}
NOOP_SCRIPT = 'Unicode true\nTarget amd64-unicode\nRequestExecutionLevel user\nOutFile "%s"\nSection\nSectionEnd\n'
HIVES = {"system.reg": "HKLM", "user.reg": "HKCU", "userdef.reg": r"HKU\.Default"}
MISSING = object()


def registry(prefix):
    """Every key (to None) and value (to its data as Wine writes it) of the
    prefix's hives, without the times Wine stamps on keys."""
    entries = {}
    for name, root in HIVES.items():
        with open(os.path.join(prefix, name), encoding="utf-8", errors="replace") as f:
            lines = f.read().replace("\\\n  ", "").split("\n")  # long values go on over lines
        for line in lines:
            if (m := re.match(r"^\[(.+)\] \d+$", line)):
                key = root + "\\" + m.group(1).replace("\\\\", "\\")
                entries[key] = None
            elif (m := re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)):
                entries[key + "\\" + m.group(1)] = m.group(2)
    return entries


def value(entries, key, name):
    """A string value unquoted, a dword as a number, None when absent."""
    data = entries.get('%s\\"%s"' % (key, name))
    if data is None or data.startswith("dword:"):
        return data and int(data[6:], 16)
    return re.sub(r'\\(.)', r"\1", data[1:-1])


def snapshot(prefix):
    found = {"reg " + key: data for key, data in registry(prefix).items()}
    for folder, dirs, names in os.walk(prefix):
        for path in (os.path.join(folder, name) for name in dirs + names):
            rel = os.path.relpath(path, prefix)
            if os.path.islink(path):
                found["file " + rel] = os.readlink(path)
            elif rel not in HIVES:
                stat = os.stat(path)
                found["file " + rel] = None if os.path.isdir(path) else (stat.st_size, stat.st_mtime_ns)
    return found


def changes(before, after):
    kinds = {}
    for entry in before.keys() | after.keys():
        old, new = before.get(entry, MISSING), after.get(entry, MISSING)
        if old != new:
            kinds[entry] = "added" if old is MISSING else "removed" if new is MISSING else "changed"
    return kinds


def wine(session, *command):
    """Runs a Wine command to its end and that of every process it started,
    with the registry then on disk."""
    env = wine_env(session.prefix, session.screen.env)
    with open(os.path.join(session.work_dir, "wine.log"), "ab") as out:
        code = subprocess.run(list(command), env=env, stdout=out, stderr=out, timeout=90).returncode
        subprocess.run(["wineserver", "-w"], env=env, timeout=90)
    check(code == 0, "%s exited with %d" % (" ".join(command), code))


def unix_path(prefix, windows):
    drive, rest = windows.split(":", 1)
    return os.path.join(prefix, "dosdevices", drive.lower() + ":", *rest.strip("\\").split("\\"))


def installed(session, version):
    """The uninstall entry, once its values, the files and the Start menu
    shortcut are checked; PolyTree's only entry in Installed apps."""
    entries = registry(session.prefix)
    keys = [key for key in entries if re.match(r"HK(CU|LM)\\.*\\Uninstall\\[^\\]+$", key)
            and value(entries, key, "DisplayName") == "PolyTree"]
    check(keys == [UNINSTALL_KEY + "\\PolyTree"], "PolyTree's entries in Installed apps: %r" % keys)
    entry = {name: value(entries, keys[0], name) for name in (
        "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation", "EstimatedSize", "UninstallString",
        "QuietUninstallString")}
    log("installer: the uninstall entry %r" % entry)
    folder = entry["InstallLocation"]
    check(folder.endswith(DEFAULT_FOLDER), "installed in %r, not in the user's %r" % (folder, DEFAULT_FOLDER))
    files = {name: os.path.getsize(unix_path(session.prefix, folder + "\\" + name))
             for name in os.listdir(unix_path(session.prefix, folder))}
    check(files.keys() == INSTALLED, "installed files %s, expected %s" % (sorted(files), sorted(INSTALLED)))
    uninstaller = '"%s\\uninstall.exe"' % folder
    check(entry == dict(entry, DisplayVersion=version, Publisher="the PolyTree authors",
                        DisplayIcon=folder + "\\polytree.exe,0", UninstallString=uninstaller,
                        QuietUninstallString=uninstaller + " /S")
          and abs(entry["EstimatedSize"] - sum(files.values()) / 1024) <= len(files), "the entry: %r" % entry)
    shortcut = subprocess.run(["lnkinfo", unix_path(session.prefix, folder[:-len(DEFAULT_FOLDER)] + SHORTCUT)],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout.decode(errors="replace")
    target = re.search(r"^\s*Local path\s*:\s*(.*)$", shortcut, re.M)
    check(target and target.group(1) == folder + "\\polytree.exe", "the Start menu shortcut: %s" % shortcut)
    return entry


def current_saver(session):
    return value(registry(session.prefix), DESKTOP_KEY, "SCRNSAVE.EXE")


def uninstall(session, entry, *args):
    """The uninstall entry's QuietUninstallString, as a package manager runs it."""
    program, switches = re.match(r'^"([^"]+)"\s*(.*)$', entry["QuietUninstallString"]).groups()
    wine(session, "wine", unix_path(session.prefix, program), *(switches.split() + list(args)))


def makensis(script, **defines):
    result = subprocess.run(["makensis", "-V2"] + ["-D%s=%s" % item for item in defines.items()] + [script],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(result.returncode == 0, "makensis %s: %s" % (script, result.stdout.decode(errors="replace")))


def install_and_remove(session, options, noop=None):
    """The steps diffed: an install with the saver option, a saver setting
    written, the uninstall asking for the settings to go, Windows' restart
    (wineboot -r), which deletes NSIS's copy of the uninstaller in %TEMP%.
    In the control (noop given) each of those programs is noop."""
    if noop:
        for _ in range(3):
            wine(session, "wine", noop, "/S")
    else:
        wine(session, "wine", options.setup, "/S", "/SetScreenSaver")
        entry = installed(session, options.version)
        check(current_saver(session) == entry["InstallLocation"] + "\\polytree.scr",
              "SCRNSAVE.EXE is %r after /SetScreenSaver" % current_saver(session))
        wine_reg(session, "add", SETTINGS_KEY, "/v", "Levels", "/t", "REG_DWORD", "/d", "5", "/f")
        uninstall(session, entry, "/RemoveSettings")
    wine(session, "wineboot", "-r")


def test(options, work):
    prefix = os.path.join(work, "prefix")
    if os.path.exists(prefix):
        stop_wineserver(prefix)
        shutil.rmtree(prefix)
    noop, older = os.path.join(work, "noop-setup.exe"), os.path.join(work, "old-setup.exe")
    with open(os.path.join(work, "noop.nsi"), "w") as f:
        f.write(NOOP_SCRIPT % noop)
    makensis(os.path.join(work, "noop.nsi"))
    # The same installer, as the build makes it, of an older version.
    makensis(os.path.join(os.path.dirname(options.setup), "polytree-installer.nsi"), VERSION="0.9.0",
             VIEWER=options.exe, SAVER=options.scr, OUTFILE=older)
    make_prefix(prefix, SIZE[0], SIZE[1], os.path.join(work, "logs"))

    with Session(options.setup, prefix, SIZE[0], SIZE[1], os.path.join(work, "steps")) as s:
        wine_reg(s, "add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", BEFORE_SAVER, "/f")
        wine(s, "wineserver", "-w")
        before = snapshot(prefix)
        install_and_remove(s, options, noop)
        control = snapshot(prefix)
        install_and_remove(s, options)
        check(current_saver(s) == BEFORE_SAVER, "SCRNSAVE.EXE is %r after the uninstall" % current_saver(s))
        expected = changes(before, control)
        log("installer: the control changed %d entries: %s" % (len(expected), sorted(expected)))
        left = {entry: kind for entry, kind in changes(control, snapshot(prefix)).items()
                if expected.get(entry) != kind}
        check(not left, "left by the install and uninstall: %s" % sorted(left.items()))

        # An upgrade keeps the settings, the entry and the saver chosen.
        wine(s, "wine", older, "/S", "/SetScreenSaver")
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Levels", "/t", "REG_DWORD", "/d", "5", "/f")
        wine(s, "wine", options.setup, "/S")
        entry = installed(s, options.version)
        saver_path = entry["InstallLocation"] + "\\polytree.scr"
        check(value(registry(prefix), SETTINGS_KEY, "Levels") == 5 and current_saver(s) == saver_path,
              "after the upgrade: Levels %r, SCRNSAVE.EXE %r" % (value(registry(prefix), SETTINGS_KEY, "Levels"),
                                                                   current_saver(s)))

    folder = unix_path(prefix, entry["InstallLocation"])
    scenarios.startup(os.path.join(folder, "polytree.exe"), prefix, SIZE, os.path.join(work, "startup"))
    saver.saver_full_screen(os.path.join(folder, "polytree.scr"), prefix, SIZE, os.path.join(work, "saver"))

    # Another saver picked later stays; the settings, not asked for, too.
    with Session(options.setup, prefix, SIZE[0], SIZE[1], os.path.join(work, "later")) as s:
        wine_reg(s, "add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", LATER_SAVER, "/f")
        uninstall(s, entry)
        levels = value(registry(prefix), SETTINGS_KEY, "Levels")
        check(not os.path.exists(folder) and current_saver(s) == LATER_SAVER and levels == 5,
              "after the uninstall: the folder %s, SCRNSAVE.EXE %r, Levels %r"
              % (os.path.exists(folder) and "left" or "gone", current_saver(s), levels))


def main():
    parser = argparse.ArgumentParser()
    for name in ("setup", "exe", "scr"):  # absolute: makensis reads them from the script's folder
        parser.add_argument("--" + name, required=True, type=os.path.abspath)
    parser.add_argument("--version", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--deadline", type=int, default=0)
    options = parser.parse_args()
    end_on_terminate()
    work = os.path.abspath(os.path.join(options.work, "installer"))
    os.makedirs(work, exist_ok=True)
    return run_scenario("installer", lambda: test(options, work), options.deadline)


if __name__ == "__main__":
    sys.exit(main())
