"""The Wine layer of the end-to-end harness, on top of the X layer: Wine
prefixes and their wineserver, the viewer polytree.exe run under Wine, and
readers of Wine's traces (+opengl frames, +msgbox texts, +actctx manifest
activation, +win window creations).

Measured on Wine 8.0 with Xvfb: whether ChangeDisplaySettingsA accepts the
viewer's 640x480x32 full-screen mode depends on the Xvfb screen the program
runs on, not on the screen the prefix was booted on. Wine's X11 driver offers
the X screen's current size only, so on a 640x480x24 screen the mode is
accepted, and on a 1024x768x24 screen it is refused with the "Quor GL"
fallback question, whichever prefix is used. The suite still keeps one prefix
per screen size so that a prefix is never shared by two scenarios running at
the same time (they would share one wineserver).

Boots the suite's prefixes, from the repository's root:
  python3 -B -m tests.e2e.wine --root DIR 640x480 1024x768 1280x1024
"""

import contextlib
import os
import re
import shutil
import subprocess
import sys

from .x11 import Client, Failure, XServer, check, end_on_terminate, log, run_scenario, session_process, wait_for


# No add-on prompts (mscoree, mshtml), and no desktop files that Wine's
# winemenubuilder would write into the home folder for a program's shortcuts.
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"


def wine_env(prefix, screen_env, debug="-all"):
    env = dict(screen_env)
    env.update({
        "WINEPREFIX": prefix,
        "WINEDLLOVERRIDES": DLL_OVERRIDES,
        "WINEDEBUG": debug,
    })
    return env


def stop_wineserver(prefix):
    env = dict(os.environ, WINEPREFIX=prefix)
    with contextlib.suppress(subprocess.TimeoutExpired):
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=15)
    with contextlib.suppress(subprocess.TimeoutExpired):
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=15)


READY_MARK = "e2e-ready"


def boot_prefix(prefix, screen_env, log_path):
    """One wineboot of prefix; raises Failure when it fails."""
    env = wine_env(prefix, screen_env)
    with open(log_path, "ab") as out:
        # Output goes to a file: wineserver inherits it and would keep a pipe
        # open long after wineboot itself returned.
        code = subprocess.run(["wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                              timeout=180).returncode
    check(code == 0, "wineboot -i exited %d (see %s)" % (code, log_path))
    subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    check(os.path.exists(os.path.join(prefix, "system.reg")), "wineboot left no registry in %s" % prefix)


def make_prefix(prefix, width, height, log_dir, attempts=2):
    """Boots a fresh prefix on a screen of the given size (about 10-15 s).

    A machine's very first Wine start can fail for no reason of ours (one
    of four prefixes booted side by side right after Wine was installed
    said "could not load kernel32.dll"); every later boot succeeded, so a
    failed boot is retried once on a clean prefix."""
    prefix = os.path.abspath(prefix)  # wineboot fails on a relative WINEPREFIX
    ready = os.path.join(prefix, READY_MARK)
    if os.path.exists(ready):
        log("prefix %s already there" % prefix)
        return
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    os.makedirs(log_dir, exist_ok=True)
    log_path = os.path.join(log_dir, "wineboot-%dx%d.log" % (width, height))
    with XServer(width, height, os.path.join(log_dir, "xvfb-boot-%dx%d.log" % (width, height))) as server:
        for attempt in range(1, attempts + 1):
            if os.path.exists(prefix):
                stop_wineserver(prefix)
                shutil.rmtree(prefix, ignore_errors=True)
            try:
                boot_prefix(prefix, server.env, log_path)
                break
            except (Failure, subprocess.TimeoutExpired) as error:
                if attempt == attempts:
                    raise
                log("prefix %s: boot %d of %d failed (%s); removing it and booting again"
                    % (prefix, attempt, attempts, error))
            finally:
                stop_wineserver(prefix)
    # Written last: a boot cut short leaves no mark and is redone next time.
    with open(ready, "w") as f:
        f.write("booted on %dx%d\n" % (width, height))
    log("prefix %s booted on %dx%d" % (prefix, width, height))


def make_prefixes(root, sizes):
    """Boots the missing prefixes side by side, each on its own screen."""
    import threading
    errors = []

    def boot(size):
        try:
            make_prefix(os.path.join(root, "prefix-%dx%d" % size), size[0], size[1], os.path.join(root, "logs"))
        except Exception as error:  # reported below, after every boot ended
            errors.append("%dx%d: %s" % (size[0], size[1], error))

    threads = [threading.Thread(target=boot, args=(size,)) for size in sizes]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for error in errors:
        log("prefix boot failed: " + error)
    return 1 if errors else 0


# --------------------------------------------------------------------------
# The GL trace


_CALL = re.compile(rb"trace:opengl:(glLoadIdentity|glRotatef|glTranslatef|glBegin|glEnd|glColor3f|glVertex3d"
                   rb"|glDrawArrays)\b([^\n]*)")
_CAMERA_CALL = re.compile(rb"trace:opengl:(glLoadIdentity|glRotatef|glTranslatef|glBegin|glEnd|glDrawArrays)"
                          rb"\b([^\n]*)")
_NUMBER = re.compile(rb"-?\d+(?:\.\d+)?(?:e[-+]?\d+)?")


class Frame:
    """The calls of one drawn frame, from glLoadIdentity to glEnd, or to the
    glDrawArrays of a program that draws from arrays (colours are then not
    counted)."""

    def __init__(self):
        self.rotations = []     # (angle, x, y, z) of each glRotatef
        self.translations = []  # (x, y, z) of each glTranslatef
        self.colours = {}       # (r, g, b) -> glColor3f calls inside glBegin/glEnd
        self.vertices = 0

    def count(self, colour, tolerance=1e-3):
        return sum(n for c, n in self.colours.items()
                   if all(abs(a - b) <= tolerance for a, b in zip(c, colour)))

    @property
    def pitch(self):
        return self.rotations[0][0]

    @property
    def yaw(self):
        return self.rotations[1][0]

    @property
    def camera(self):
        return self.translations[0]


class TraceReader:
    """Reads Wine's +opengl trace as it grows and cuts it into frames.

    Wine writes the trace in bursts, so callers poll until the frames they
    need have arrived.
    """

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.rest = b""
        self.frames = []
        self.segments = True
        self._current = None
        self._in_batch = False

    def camera_only(self):
        """Stops counting colours and vertices: the frames of a tiny figure
        come faster than the full trace can be read."""
        self.segments = False

    def poll(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except FileNotFoundError:
            return 0
        self.offset += len(data)
        data = self.rest + data
        cut = data.rfind(b"\n") + 1
        self.rest = data[cut:]
        before = len(self.frames)
        pattern = _CALL if self.segments else _CAMERA_CALL
        for m in pattern.finditer(data, 0, cut):
            self._feed(m.group(1), m.group(2))
        return len(self.frames) - before

    def _feed(self, name, args):
        if name == b"glLoadIdentity" and not self._in_batch:
            # Also sent by the projection set-up; a frame is only taken once
            # its glEnd has arrived.
            self._current = Frame()
        elif self._current is None:
            return
        elif name == b"glVertex3d":
            if self._in_batch:
                self._current.vertices += 1
        elif name == b"glColor3f":
            if self._in_batch:
                colour = tuple(round(float(v), 4) for v in _NUMBER.findall(args)[:3])
                self._current.colours[colour] = self._current.colours.get(colour, 0) + 1
        elif name == b"glRotatef":
            self._current.rotations.append(tuple(float(v) for v in _NUMBER.findall(args)[:4]))
        elif name == b"glTranslatef":
            self._current.translations.append(tuple(float(v) for v in _NUMBER.findall(args)[:3]))
        elif name == b"glBegin":
            self._in_batch = True
        elif name == b"glEnd" and self._in_batch:
            self._in_batch = False
            self.frames.append(self._current)
            self._current = None
        elif name == b"glDrawArrays" and not self._in_batch:
            # "mode 1, first 0, count n": GL_LINES, n vertices.
            mode, _, count = (int(v) for v in _NUMBER.findall(args)[:3])
            if mode == 1:
                self._current.vertices += count
                self.frames.append(self._current)
                self._current = None

    def wait_frames(self, count, timeout, what="frames in the GL trace"):
        """Waits until at least count frames beyond those already read are there."""
        target = len(self.frames) + count
        def arrived():
            self.poll()
            return len(self.frames) >= target
        wait_for(arrived, timeout, "%d %s" % (count, what), interval=0.2)
        return self.frames[target - count:]

    def wait_until(self, predicate, timeout, what):
        """Waits for a new frame satisfying predicate; returns it."""
        seen = len(self.frames)

        def probe():
            nonlocal seen
            self.poll()
            for frame in self.frames[seen:]:
                if predicate(frame):
                    return frame
            seen = len(self.frames)
            return None
        return wait_for(probe, timeout, what, interval=0.2)

    def latest(self):
        self.poll()
        return self.frames[-1] if self.frames else None


# --------------------------------------------------------------------------
# Message boxes, the manifest, window creations


def msgbox_texts(path):
    """The texts of the message boxes shown so far (WINEDEBUG=+msgbox)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    texts = []
    for m in re.finditer(rb'trace:msgbox:MSGBOX_OnInit L"((?:[^"\\]|\\.)*)"', data):
        text = m.group(1).decode("utf-8", errors="replace")
        texts.append(text.replace("\\n", "\n").replace("\\r", "\r").replace("\\t", "\t").replace('\\"', '"'))
    return texts


class ManifestActivation:
    """What Wine's loader did with the program's own manifest (WINEDEBUG=+actctx):
    the process's activation context is built from resource #1 of the .exe."""

    def __init__(self, module, identity, description, dependencies, settings, resolved):
        self.module = module                # the module the manifest came from
        self.identity = identity            # (name, version) of the program's assembly
        self.description = description
        self.dependencies = dependencies    # [(name, version)] asked for
        self.settings = settings            # {name: value} of windowsSettings
        self.resolved = resolved            # [(name, version)] of the assemblies loaded for them

    def __repr__(self):
        return "ManifestActivation(%r)" % self.__dict__


_MANIFEST_IN_MODULE = re.compile(
    rb'^([0-9a-f]{4,}):trace:actctx:get_manifest_in_module looking for res #0001 in module \S+ L"([^"]*)"$', re.M)


def manifest_activation(path, exe_name):
    """The activation context that Wine built from exe_name's embedded
    manifest, as the +actctx trace logs it; None when it did not."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return None
    found = [m for m in _MANIFEST_IN_MODULE.finditer(data)
             if m.group(2).decode(errors="replace").lower().endswith("\\\\" + exe_name.lower())]
    if not found:
        return None
    thread = found[0].group(1)
    identity = description = None
    dependencies, settings, resolved = [], {}, []
    for line in data[found[0].end():].split(b"\n"):
        if not line.startswith(thread + b":trace:actctx:"):
            continue
        line = line.decode(errors="replace")
        if "RtlQueryInformationActivationContext" in line or "get_manifest_in_module" in line:
            break  # the context is built; the program runs in it
        m = re.search(r'parse_assembly_identity_elem name=L"([^"]*)" version=(\S+)', line)
        if m:
            if identity is None:  # the program's own; the later ones are its dependencies'
                identity = (m.group(1), m.group(2))
            continue
        m = re.search(r'parse_dependent_assembly_elem adding name=L"([^"]*)" version=(\S+)', line)
        if m:
            dependencies.append((m.group(1), m.group(2)))
            continue
        m = re.search(r'parse_description_elem Got description L"([^"]*)"', line)
        if m:
            description = m.group(1)
            continue
        m = re.search(r'parse_settings_elem got L"([^"]*)" L"([^"]*)"', line)
        if m:
            settings[m.group(1)] = m.group(2)
            continue
        m = re.search(r'get_manifest_in_manifest_file loading manifest file L"[^"]*\\\\([^"\\\\]*)\.manifest"', line)
        if m:
            resolved.append(m.group(1))
    return ManifestActivation(found[0].group(2).decode(errors="replace"), identity, description,
                              dependencies, settings, resolved)


_CREATE_VIEW_WINDOW = re.compile(
    rb'trace:win:WIN_CreateWindowEx L?"[^"\n]*" L"OpenGL" ex=([0-9a-fA-F]+) style=([0-9a-fA-F]+) '
    rb'(-?\d+),(-?\d+) (\d+)x(\d+)')


class Creation:
    """One CreateWindowEx of the viewer's window class (WINEDEBUG=+win)."""

    def __init__(self, ex_style, style, x, y, width, height):
        self.ex_style = ex_style
        self.style = style
        self.x = x
        self.y = y
        self.width = width
        self.height = height

    def __repr__(self):
        return "CreateWindowEx(ex=%08x, style=%08x, %d,%d %dx%d)" % (
            self.ex_style, self.style, self.x, self.y, self.width, self.height)


def view_window_creations(path):
    """The viewer's window creations so far, as the +win trace logs them."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    return [Creation(int(m.group(1), 16), int(m.group(2), 16), int(m.group(3)), int(m.group(4)),
                     int(m.group(5)), int(m.group(6))) for m in _CREATE_VIEW_WINDOW.finditer(data)]


# --------------------------------------------------------------------------
# One run of the viewer


class Viewer(Client):
    """One polytree.exe process under Wine on the session's screen."""

    def __init__(self, exe, prefix, screen, work_dir, name, args=(), debug="-all", extra_env=None):
        self.exe = exe
        self.prefix = prefix
        env = wine_env(prefix, screen.env, debug)
        env.update(extra_env or {})
        super().__init__(screen, work_dir, name, ["wine", exe] + list(args), env,
                         log_command="wine %s %s" % (os.path.basename(exe), " ".join(args)))
        self.trace = TraceReader(self.stderr_path)
        self._program_pid = None

    def kill(self):
        super().kill()
        stop_wineserver(self.prefix)

    def program_pid(self):
        """The process whose command line holds polytree.exe, among those of
        the session this viewer was started in (Wine's loader becomes it)."""
        if self._program_pid is None:
            name = os.path.basename(self.exe)
            self._program_pid = session_process(self.proc.pid, name)
            check(self._program_pid is not None, "%s: no process running %s" % (self.name, name))
        return self._program_pid

    def msgbox_texts(self):
        return msgbox_texts(self.stderr_path)

    def manifest_activation(self):
        """Wine's activation of the program's manifest (needs +actctx)."""
        return manifest_activation(self.stderr_path, os.path.basename(self.exe))

    def last_creation(self):
        """The latest CreateWindowEx of the viewer window (needs +win)."""
        creations = view_window_creations(self.stderr_path)
        check(creations, "no CreateWindowEx of the viewer window in the +win trace")
        return creations[-1]


class Session:
    """A screen, a booted prefix and the scenario's work directory; viewers
    run on it one at a time."""

    def __init__(self, exe, prefix, width, height, work_dir, more_screens=(), more_x_args=()):
        self.exe = exe
        self.prefix = os.path.abspath(prefix)
        self.work_dir = work_dir
        os.makedirs(work_dir, exist_ok=True)
        check(os.path.isfile(exe), "no program at %s" % exe)
        check(os.path.exists(os.path.join(self.prefix, READY_MARK)),
              "the Wine prefix %s is missing: the e2e_prefixes test creates it" % self.prefix)
        # A wineserver left over from an aborted run would hold the prefix.
        stop_wineserver(self.prefix)
        self.screen = XServer(width, height, os.path.join(work_dir, "xvfb.log"), more_screens, more_x_args)

    def viewer(self, name, args=(), debug="-all", extra_env=None, exe=None):
        return Viewer(exe or self.exe, self.prefix, self.screen, self.work_dir, name, args, debug, extra_env)

    def close(self):
        stop_wineserver(self.prefix)
        self.screen.stop()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


def main_for(scenarios):
    """Command line of a scenario file.

    scenarios maps a name to (function, (width, height)); the function gets
    the program, the prefix for its screen size and a work directory. The
    caller names the screen size it locked the prefix for, so that a size
    changed on one side only is caught instead of sharing a prefix between
    two scenarios that run at the same time.
    """
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--prefix-root", required=True, help="directory holding prefix-WxH, one per screen size")
    parser.add_argument("--work", required=True)
    parser.add_argument("--screen", help="WxH the caller expects the scenario to use")
    parser.add_argument("--deadline", type=int, default=0,
                        help="seconds; past it the scenario fails and cleans up (set below the CTest timeout)")
    parser.add_argument("name")
    options = parser.parse_args()
    end_on_terminate()
    check(options.name in scenarios, "unknown scenario %s (known: %s)"
          % (options.name, ", ".join(sorted(scenarios))))
    function, size = scenarios[options.name]
    screen = "%dx%d" % size
    check(options.screen in (None, screen), "scenario %s runs on %s, not %s" % (options.name, screen, options.screen))
    prefix = os.path.join(options.prefix_root, "prefix-" + screen)
    work = os.path.join(options.work, options.name)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    log("=== %s on %s, work in %s" % (options.name, screen, work))
    return run_scenario(options.name, lambda: function(options.exe, prefix, size, work), options.deadline)


if __name__ == "__main__":
    import argparse
    parser = argparse.ArgumentParser(description="creates the Wine prefixes of the suite, one per screen size")
    parser.add_argument("--root", required=True)
    parser.add_argument("sizes", nargs="+", help="WxH")
    options = parser.parse_args()
    end_on_terminate()
    sys.exit(make_prefixes(options.root, [tuple(int(v) for v in size.split("x")) for size in options.sizes]))
