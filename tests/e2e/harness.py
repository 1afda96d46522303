"""Drives the real polytree.exe under Wine on a private Xvfb screen.

Everything here is Python standard library plus the command-line tools of the
X server (Xvfb, xdotool, xwd, xwininfo) and ImageMagick's convert. Every wait
is bounded; every process that a scenario starts is ended by the scenario.

Measured on Wine 8.0 with Xvfb: whether ChangeDisplaySettingsA accepts the
viewer's 640x480x32 full-screen mode depends on the Xvfb screen the program
runs on, not on the screen the prefix was booted on. Wine's X11 driver offers
the X screen's current size only, so on a 640x480x24 screen the mode is
accepted, and on a 1024x768x24 screen it is refused with the "Quor GL"
fallback question, whichever prefix is used. The suite still keeps one prefix
per screen size so that a prefix is never shared by two scenarios running at
the same time (they would share one wineserver).
"""

import collections
import contextlib
import ctypes
import ctypes.util
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import time

CAPTION = "PolyTree - Polygon Tree Viewer"
START_QUESTION = "Would You Like To Run In Fullscreen Mode?"
START_CAPTION = "Start FullScreen?"
FALLBACK_QUESTION = ("The Requested Fullscreen Mode Is Not Supported By\n"
                     "Your Video Card. Use Windowed Mode Instead?")
FALLBACK_CAPTION = "Quor GL"
CLOSE_NOTICE = "Program Will Now Close."
ERROR_CAPTION = "ERROR"
HELP_CAPTION = "Help..."

DISPLAY_ROWS = [(128, 128), (320, 240), (640, 480), (800, 600), (1024, 768)]

BROWN = (178, 127, 76)  # the trunk colour (0.7, 0.5, 0.3)
GREEN = (0, 255, 0)
BLACK = (0, 0, 0)

# Displays from here upwards are taken for the suite's own X servers; the
# first free one is used.
DISPLAY_BASE = int(os.environ.get("POLYTREE_E2E_DISPLAY_BASE", "100"))


class Failure(AssertionError):
    """A scenario's expectation did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def log(message):
    print("[%7.2f] %s" % (time.monotonic() - _T0, message), flush=True)


_T0 = time.monotonic()


def poll(probe, timeout, interval=0.1):
    """Polls probe() until it returns something truthy; None after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


def wait_for(probe, timeout, what, interval=0.1):
    """Polls probe() until it returns something truthy; fails after timeout."""
    value = poll(probe, timeout, interval)
    if not value:
        raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
    return value


def run_tool(args, env, timeout=20, input_bytes=None, check_rc=True):
    result = subprocess.run(args, env=env, input=input_bytes, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=timeout)
    if check_rc and result.returncode != 0:
        raise Failure("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                             result.stderr.decode(errors="replace").strip()))
    return result


# --------------------------------------------------------------------------
# X server


class XServer:
    """One Xvfb of its own, on the first free display number."""

    def __init__(self, width, height, log_path):
        self.width = width
        self.height = height
        self.proc = None
        self.number = None
        self.log_path = log_path
        self._start()

    def _start(self):
        for number in range(DISPLAY_BASE, DISPLAY_BASE + 200):
            if os.path.exists("/tmp/.X11-unix/X%d" % number) or os.path.exists("/tmp/.X%d-lock" % number):
                continue
            # -displayfd makes the server write its number once it accepts
            # clients, so readiness needs no polling; a taken number (another
            # run racing for it) makes it exit instead, and the next is tried.
            read_end, write_end = os.pipe()
            with open(self.log_path, "ab") as log_file:
                proc = subprocess.Popen(
                    ["Xvfb", ":%d" % number, "-screen", "0", "%dx%dx24" % (self.width, self.height),
                     "-nolisten", "tcp", "-displayfd", str(write_end)],
                    stdin=subprocess.DEVNULL, stdout=log_file, stderr=log_file,
                    pass_fds=(write_end,), start_new_session=True)
            os.close(write_end)
            announced = b""
            deadline = time.monotonic() + 15
            try:
                while time.monotonic() < deadline:
                    ready, _, _ = select.select([read_end], [], [], 0.2)
                    if ready:
                        chunk = os.read(read_end, 64)
                        if not chunk:
                            break
                        announced += chunk
                        if announced.endswith(b"\n"):
                            break
            finally:
                os.close(read_end)
            if announced.strip() == str(number).encode():
                self.proc = proc
                self.number = number
                log("Xvfb :%d %dx%d (pid %d)" % (number, self.width, self.height, proc.pid))
                return
            _stop_process(proc)
        raise Failure("no free X display from :%d on" % DISPLAY_BASE)

    @property
    def name(self):
        return ":%d" % self.number

    def stop(self):
        if self.proc is not None:
            _stop_process(self.proc)
            self.proc = None


def _stop_process(proc, grace=5):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=grace)


# --------------------------------------------------------------------------
# Wine


def wine_env(prefix, display, debug="-all"):
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": prefix,
        "DISPLAY": display,
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "WINEDEBUG": debug,
    })
    env.pop("WAYLAND_DISPLAY", None)
    return env


def stop_wineserver(prefix, display):
    env = wine_env(prefix, display)
    with contextlib.suppress(subprocess.TimeoutExpired):
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=15)
    with contextlib.suppress(subprocess.TimeoutExpired):
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=15)


READY_MARK = "e2e-ready"


def make_prefix(prefix, width, height, log_dir):
    """Boots a fresh prefix on a screen of the given size (about 10-15 s)."""
    ready = os.path.join(prefix, READY_MARK)
    if os.path.exists(ready):
        log("prefix %s already there" % prefix)
        return
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    os.makedirs(log_dir, exist_ok=True)
    server = XServer(width, height, os.path.join(log_dir, "xvfb-boot-%dx%d.log" % (width, height)))
    try:
        env = wine_env(prefix, server.name)
        with open(os.path.join(log_dir, "wineboot-%dx%d.log" % (width, height)), "wb") as out:
            # Output goes to a file: wineserver inherits it and would keep a
            # pipe open long after wineboot itself returned.
            subprocess.run(["wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                           timeout=180, check=True)
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        check(os.path.exists(os.path.join(prefix, "system.reg")), "wineboot left no registry in %s" % prefix)
    finally:
        stop_wineserver(prefix, server.name)
        server.stop()
    # Written last: a boot cut short leaves no mark and is redone next time.
    with open(ready, "w") as f:
        f.write("booted on %dx%d\n" % (width, height))
    log("prefix %s booted on %dx%d" % (prefix, width, height))


# --------------------------------------------------------------------------
# Pictures


class Picture:
    """An RGB screenshot of one X window."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb
        self._histogram = None

    @classmethod
    def from_ppm(cls, data):
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            start = pos
            while not data[pos:pos + 1].isspace():
                pos += 1
            fields.append(data[start:pos])
        pos += 1
        check(fields[0] == b"P6" and fields[3] == b"255", "unexpected PPM header %r" % fields)
        width, height = int(fields[1]), int(fields[2])
        rgb = data[pos:pos + width * height * 3]
        check(len(rgb) == width * height * 3, "short PPM data")
        return cls(width, height, rgb)

    def histogram(self):
        """Pixel count of every colour on the picture."""
        if self._histogram is None:
            rgb = self.rgb
            counts = collections.Counter(rgb[i:i + 3] for i in range(0, len(rgb), 3))
            self._histogram = {tuple(k): n for k, n in counts.items()}
        return self._histogram

    def count_near(self, colour, tolerance):
        total = 0
        for key, n in self.histogram().items():
            if all(abs(a - b) <= tolerance for a, b in zip(key, colour)):
                total += n
        return total

    def save_png(self, path, env):
        header = b"P6\n%d %d\n255\n" % (self.width, self.height)
        run_tool(["convert", "ppm:-", "png:" + path], env, input_bytes=header + self.rgb)


# --------------------------------------------------------------------------
# X windows


class WindowInfo:
    def __init__(self, wid, x, y, width, height, mapped):
        self.id = wid
        self.x = x
        self.y = y
        self.width = width
        self.height = height
        self.mapped = mapped

    @property
    def size(self):
        return (self.width, self.height)

    def __repr__(self):
        return "window %s at (%d, %d) size %dx%d%s" % (self.id, self.x, self.y, self.width, self.height,
                                                        "" if self.mapped else " (unmapped)")


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def send_delete_window(display_name, wid):
    """What a window manager's close box does: a WM_DELETE_WINDOW message.
    xdotool has no command for it (windowclose destroys the X window behind
    Wine's back)."""
    send_wm_protocol(display_name, wid, "WM_DELETE_WINDOW")


def send_wm_protocol(display_name, wid, protocol):
    """Sends a window manager's WM_PROTOCOLS client message through libX11."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(_XEvent)]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(display_name.encode())
    check(display, "cannot open X display %s" % display_name)
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = int(wid)
        event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = xlib.XInternAtom(display, protocol.encode(), 0)
        event.xclient.data[1] = 0  # CurrentTime
        check(xlib.XSendEvent(display, int(wid), 0, 0, ctypes.byref(event)) != 0, "XSendEvent failed")
        xlib.XFlush(display)
    finally:
        xlib.XCloseDisplay(display)


# --------------------------------------------------------------------------
# The GL trace


_CALL = re.compile(rb"trace:opengl:(glLoadIdentity|glRotatef|glTranslatef|glBegin|glEnd|glColor3f|glVertex3d)"
                   rb"\b([^\n]*)")
_CAMERA_CALL = re.compile(rb"trace:opengl:(glLoadIdentity|glRotatef|glTranslatef|glBegin|glEnd)\b([^\n]*)")
_NUMBER = re.compile(rb"-?\d+(?:\.\d+)?(?:e[-+]?\d+)?")


class Frame:
    """The calls of one drawn frame, from glLoadIdentity to glEnd."""

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
        texts.append(text.replace("\\n", "\n").replace("\\r", "\r").replace("\\t", "\t"))
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


class Viewer:
    """One polytree.exe process on a screen of its own."""

    def __init__(self, exe, prefix, screen, work_dir, name, args=(), debug="-all", extra_env=None):
        self.exe = exe
        self.prefix = prefix
        self.screen = screen
        self.work_dir = work_dir
        self.name = name
        self.env = wine_env(prefix, screen.name, debug)
        self.env.update(extra_env or {})
        self.x_env = dict(os.environ, DISPLAY=screen.name)
        os.makedirs(work_dir, exist_ok=True)
        self.stdout_path = os.path.join(work_dir, name + ".out.log")
        self.stderr_path = os.path.join(work_dir, name + ".err.log")
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.proc = subprocess.Popen(["wine", exe] + list(args), env=self.env, cwd=work_dir,
                                         stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                         start_new_session=True)
        self.trace = TraceReader(self.stderr_path)
        self._program_pid = None
        log("%s: started wine %s %s (pid %d) on %s" % (name, os.path.basename(exe), " ".join(args),
                                                      self.proc.pid, screen.name))

    # -- lifecycle -----------------------------------------------------------

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout):
        try:
            code = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("%s did not exit within %.0f s" % (self.name, timeout))
        log("%s: exited with %d" % (self.name, code))
        return code

    def kill(self):
        if self.proc.poll() is None:
            with contextlib.suppress(ProcessLookupError):
                os.kill(self.proc.pid, signal.SIGKILL)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.proc.wait(timeout=10)
        stop_wineserver(self.prefix, self.screen.name)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()
        return False

    def assert_alive(self, when):
        if not self.running():
            raise Failure("%s exited (code %s) %s" % (self.name, self.proc.returncode, when))

    # -- resources -----------------------------------------------------------

    def program_pid(self):
        """The process whose command line holds polytree.exe, among those of
        the session this viewer was started in (Wine's loader becomes it)."""
        if self._program_pid is None:
            name = os.path.basename(self.exe).encode()
            for entry in os.listdir("/proc"):
                if not entry.isdigit():
                    continue
                try:
                    with open("/proc/%s/cmdline" % entry, "rb") as f:
                        command = f.read()
                    with open("/proc/%s/stat" % entry, "rb") as f:
                        session_id = int(f.read().rsplit(b")", 1)[1].split()[3])
                except (OSError, IndexError, ValueError):
                    continue
                if session_id == self.proc.pid and name in command:
                    self._program_pid = int(entry)
                    break
            check(self._program_pid is not None, "%s: no process running %s" % (self.name, name.decode()))
        return self._program_pid

    def resident_kb(self):
        """The program's resident memory (VmRSS), in KiB."""
        self.assert_alive("while reading its memory")
        with open("/proc/%d/status" % self.program_pid()) as f:
            m = re.search(r"^VmRSS:\s+(\d+) kB", f.read(), re.M)
        check(m, "%s: no VmRSS in /proc/%d/status" % (self.name, self.program_pid()))
        return int(m.group(1))

    def x_window_count(self):
        """Every X window on the screen, root excluded. The screen is the
        scenario's own: its windows are the program's and those of Wine's
        desktop process for the program's prefix."""
        out = run_tool(["xwininfo", "-root", "-tree"], self.x_env).stdout.decode()
        return len(re.findall(r"^\s+0x[0-9a-f]+\s", out, re.M))

    # -- windows -------------------------------------------------------------

    def find_windows(self, title, only_visible=True):
        args = ["xdotool", "search"]
        if only_visible:
            args.append("--onlyvisible")
        args += ["--name", "^" + re.escape(title) + "$"]
        result = run_tool(args, self.x_env, check_rc=False)
        return [line for line in result.stdout.decode().split() if line]

    def wait_window(self, title, timeout=30):
        def probe():
            self.assert_alive("while waiting for the window %r" % title)
            found = self.find_windows(title)
            return found[-1] if found else None
        wid = wait_for(probe, timeout, "window %r" % title, interval=0.2)
        log("%s: window %r is %s" % (self.name, title, wid))
        return wid

    def wait_window_gone(self, wid, timeout=8):
        def gone():
            result = run_tool(["xwininfo", "-id", wid], self.x_env, check_rc=False)
            return result.returncode != 0 or b"IsViewable" not in result.stdout
        wait_for(gone, timeout, "window %s to go" % wid, interval=0.1)

    def geometry(self, wid):
        out = run_tool(["xwininfo", "-id", wid], self.x_env).stdout.decode()

        def field(label):
            m = re.search(r"%s:\s*(-?\d+)" % re.escape(label), out)
            check(m, "xwininfo gave no %r for %s" % (label, wid))
            return int(m.group(1))
        return WindowInfo(wid, field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                          field("Height"), "IsViewable" in out)

    def screenshot(self, wid):
        xwd = run_tool(["xwd", "-id", wid, "-silent"], self.x_env).stdout
        ppm = run_tool(["convert", "xwd:-", "ppm:-"], self.x_env, input_bytes=xwd).stdout
        return Picture.from_ppm(ppm)

    # -- input ---------------------------------------------------------------

    def focus(self, wid):
        run_tool(["xdotool", "windowfocus", "--sync", wid], self.x_env)
        time.sleep(0.3)  # let Wine take the focus change before keys arrive

    def key(self, wid, *keys):
        """Taps keys in the window as a person does: focused first (there is
        no window manager to do it), then each key pressed and released
        through XTEST about 12 ms apart, far shorter than a heavy frame."""
        self.focus(wid)
        for key in keys:
            run_tool(["xdotool", "key", key], self.x_env)

    def drag(self, wid, start, end):
        """A left-button drag between two client points."""
        info = self.geometry(wid)
        x0, y0 = info.x + start[0], info.y + start[1]
        x1, y1 = info.x + end[0], info.y + end[1]
        self.focus(wid)
        self.move_pointer(x0, y0)
        run_tool(["xdotool", "mousedown", "1"], self.x_env)
        time.sleep(0.2)
        self.move_pointer(x1, y1)
        run_tool(["xdotool", "mouseup", "1"], self.x_env)

    def move_pointer(self, x, y):
        # Not "mousemove --sync": it waits 15 s when the pointer is already there.
        run_tool(["xdotool", "mousemove", str(x), str(y)], self.x_env)

        def arrived():
            out = run_tool(["xdotool", "getmouselocation"], self.x_env).stdout.decode()
            return re.search(r"x:(-?\d+) y:(-?\d+)", out).groups() == (str(x), str(y))
        wait_for(arrived, 5, "the pointer to reach (%d, %d)" % (x, y), interval=0.05)
        time.sleep(0.2)  # let Wine turn the motion into WM_MOUSEMOVE before the button changes

    @contextlib.contextmanager
    def holding(self, wid, key):
        """Keeps a key down, pressed in the window wid, for a with block; it
        comes up wherever the focus is by then."""
        self.focus(wid)
        run_tool(["xdotool", "keydown", key], self.x_env)
        try:
            yield
        finally:
            run_tool(["xdotool", "keyup", key], self.x_env)

    def hold(self, wid, key, until, timeout, what):
        """Holds a key down until until() is true, then releases it."""
        with self.holding(wid, key):
            return wait_for(until, timeout, what, interval=0.1)

    def focus_elsewhere(self, wid):
        """Gives the X focus to another client's window wid and waits until
        the X server reports it there."""
        run_tool(["xdotool", "windowfocus", "--sync", wid], self.x_env)
        wait_for(lambda: run_tool(["xdotool", "getwindowfocus"], self.x_env).stdout.decode().strip() == wid,
                 5, "the X focus to move to %s" % wid, interval=0.05)

    def focus_back(self, wid):
        """What a window manager does when the user clicks the window again.
        Wine leaves activation to the window manager: once its window has
        lost the foreground, X focus alone does not give it back its keys,
        WM_TAKE_FOCUS does."""
        send_wm_protocol(self.screen.name, wid, "WM_TAKE_FOCUS")
        self.focus(wid)

    def answer(self, title, key, timeout=30):
        """Answers a message box by key; waits for its window to go."""
        wid = self.wait_window(title, timeout)
        self.key(wid, key)
        self.wait_window_gone(wid)
        return wid

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


class OtherClient:
    """A second X client's window on the screen (xlogo), somewhere for the
    focus to go; ended by pid."""

    def __init__(self, screen, log_path):
        self.x_env = dict(os.environ, DISPLAY=screen.name)
        with open(log_path, "ab") as log_file:
            self.proc = subprocess.Popen(["xlogo", "-geometry", "100x100+900+700"], env=self.x_env,
                                         stdin=subprocess.DEVNULL, stdout=log_file, stderr=log_file,
                                         start_new_session=True)

        def probe():
            check(self.proc.poll() is None, "xlogo exited with %s" % self.proc.returncode)
            out = run_tool(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)], self.x_env,
                           check_rc=False).stdout.decode().split()
            if not out:  # xlogo does not always set _NET_WM_PID
                out = run_tool(["xdotool", "search", "--onlyvisible", "--class", "^xlogo$"], self.x_env,
                               check_rc=False).stdout.decode().split()
            return out[-1] if out else None
        self.wid = wait_for(probe, 10, "the xlogo window", interval=0.1)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        _stop_process(self.proc)
        return False


# --------------------------------------------------------------------------
# Scenario plumbing


class Session:
    """A screen and the scenario's work directory; viewers run on it one at a time."""

    def __init__(self, exe, prefix, width, height, work_dir):
        self.exe = exe
        self.prefix = prefix
        self.work_dir = work_dir
        os.makedirs(work_dir, exist_ok=True)
        check(os.path.isfile(exe), "no program at %s" % exe)
        check(os.path.exists(os.path.join(prefix, READY_MARK)),
              "the Wine prefix %s is missing: the e2e_prefixes test creates it" % prefix)
        # A wineserver left over from an aborted run would hold the prefix.
        stop_wineserver(prefix, ":0")
        self.screen = XServer(width, height, os.path.join(work_dir, "xvfb.log"))

    def viewer(self, name, args=(), debug="-all", extra_env=None, exe=None):
        return Viewer(exe or self.exe, self.prefix, self.screen, self.work_dir, name, args, debug, extra_env)

    def close(self):
        stop_wineserver(self.prefix, self.screen.name)
        self.screen.stop()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


class Timeout(BaseException):
    """The scenario's own deadline passed (raised by SIGALRM)."""


def _on_deadline(signum, frame):
    raise Timeout("the scenario ran past its deadline")


def _on_terminate(signum, frame):
    # Unwind, so that the viewer, its wineserver and the Xvfb are ended by
    # the code that started them.
    raise SystemExit("terminated by signal %d" % signum)


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
    signal.signal(signal.SIGTERM, _on_terminate)
    check(options.name in scenarios, "unknown scenario %s (known: %s)"
          % (options.name, ", ".join(sorted(scenarios))))
    function, size = scenarios[options.name]
    screen = "%dx%d" % size
    check(options.screen in (None, screen), "scenario %s runs on %s, not %s" % (options.name, screen, options.screen))
    prefix = os.path.join(options.prefix_root, "prefix-" + screen)
    work = os.path.join(options.work, options.name)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    if options.deadline:
        signal.signal(signal.SIGALRM, _on_deadline)
        signal.alarm(options.deadline)
    log("=== %s on %s, work in %s" % (options.name, screen, work))
    started = time.monotonic()
    try:
        function(options.exe, prefix, size, work)
    except (Failure, Timeout) as error:
        log("FAILED %s: %s" % (options.name, error))
        return 1
    finally:
        signal.alarm(0)
    log("passed %s in %.1f s" % (options.name, time.monotonic() - started))
    return 0


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


if __name__ == "__main__":
    import argparse
    parser = argparse.ArgumentParser(description="creates the Wine prefixes of the suite, one per screen size")
    parser.add_argument("--root", required=True)
    parser.add_argument("sizes", nargs="+", help="WxH")
    options = parser.parse_args()
    signal.signal(signal.SIGTERM, _on_terminate)
    sys.exit(make_prefixes(options.root, [tuple(int(v) for v in size.split("x")) for size in options.sizes]))
