"""The X layer of the end-to-end harness: a private Xvfb screen, the windows on
it, a person's input, screenshots and the processes of the programs under
test. It knows nothing of Wine, so that a native X program is driven with it
alone.

Besides the Python standard library it takes the command-line tools of the X
server (Xvfb, xdotool, xwd, xwininfo, xlogo), python-xlib for the window
manager's client messages and XFixes' cursor, ImageMagick's convert and
Pillow for screenshots. python-xlib and Pillow are Debian's (python3-xlib,
python3-pil), which only Debian's own python3 imports. Every wait is bounded;
every process that a scenario starts is ended by the scenario.
"""

import argparse
import contextlib
import io
import os
import re
import select
import shutil
import signal
import subprocess
import time

from PIL import Image, ImageChops
from Xlib import X, display as xdisplay
from Xlib.ext import xfixes  # noqa: F401 (registers the extension's requests)
from Xlib.protocol import event as xevent

# Displays from here upwards are taken for the suite's own X servers; the
# first free one is used.
DISPLAY_BASE = int(os.environ.get("POLYTREE_E2E_DISPLAY_BASE", "100"))

# Without a window manager a focus change reaches the program as an X event
# that it handles on its next pass; Wine needs about this long before keys
# sent after it arrive in the newly focused window.
FOCUS_SETTLE = 0.3


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


def run_tool(args, env=None, timeout=20, input_bytes=None, check_rc=True):
    result = subprocess.run(args, env=env, input=input_bytes, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=timeout)
    if check_rc and result.returncode != 0:
        raise Failure("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                             result.stderr.decode(errors="replace").strip()))
    return result


def stop_process(proc, grace=5):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=grace)


# --------------------------------------------------------------------------
# Scenario plumbing


class Timeout(BaseException):
    """The scenario's own deadline passed (raised by SIGALRM)."""


def _on_deadline(signum, frame):
    raise Timeout("the scenario ran past its deadline")


def _on_terminate(signum, frame):
    # Unwind, so that the programs, their helpers and the Xvfb are ended by
    # the code that started them.
    raise SystemExit("terminated by signal %d" % signum)


def end_on_terminate():
    """SIGTERM (CTest's timeout, a Ctrl-C of the caller) unwinds the scenario
    instead of leaving its processes behind."""
    signal.signal(signal.SIGTERM, _on_terminate)


def run_scenario(name, function, deadline=0):
    """Runs function() as the scenario name; 0 when it passed, 1 when an
    expectation failed or the deadline (seconds, 0 for none) passed first."""
    if deadline:
        signal.signal(signal.SIGALRM, _on_deadline)
        signal.alarm(deadline)
    started = time.monotonic()
    try:
        function()
    except (Failure, Timeout) as error:
        log("FAILED %s: %s" % (name, error))
        return 1
    finally:
        signal.alarm(0)
    log("passed %s in %.1f s" % (name, time.monotonic() - started))
    return 0


SKIPPED = 77  # CTest's SKIP_RETURN_CODE


def scenarios_main(kind, scenarios, screen_for):
    """The command line of a module of X scenarios run on a native build:
    --build, --work, --deadline and the scenario's name. screen_for(name,
    work) gives the scenario's X server, or a reason to skip it."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the folder with the programs under test")
    parser.add_argument("--work", required=True)
    parser.add_argument("--deadline", type=int, default=0)
    parser.add_argument("scenario", choices=sorted(scenarios))
    options = parser.parse_args()
    end_on_terminate()
    build = os.path.abspath(options.build)
    name = "%s_%s" % (kind, options.scenario)
    work = os.path.join(os.path.abspath(options.work), name)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    log("=== %s %s, work in %s" % (kind, options.scenario, work))
    screen = screen_for(options.scenario, work)
    if isinstance(screen, str):
        print("skipped: " + screen)
        return SKIPPED

    def scenario():
        with screen:
            scenarios[options.scenario](screen, work, build)
    return run_scenario(name, scenario, options.deadline)


# --------------------------------------------------------------------------
# Pictures


class Picture:
    """An RGB screenshot of one X window."""

    def __init__(self, image):
        self.image = image.convert("RGB")
        self.width, self.height = self.image.size
        self._rgb = None
        self._histogram = None

    @classmethod
    def read(cls, data):
        """A picture from the bytes of any file format Pillow reads."""
        return cls(Image.open(io.BytesIO(data)))

    @property
    def rgb(self):
        """The pixels' bytes, row by row: equal for equal pictures."""
        if self._rgb is None:
            self._rgb = self.image.tobytes()
        return self._rgb

    def histogram(self):
        """Pixel count of every colour on the picture."""
        if self._histogram is None:
            colours = self.image.getcolors(maxcolors=self.width * self.height)
            self._histogram = {colour: n for n, colour in colours}
        return self._histogram

    def count_near(self, colour, tolerance):
        total = 0
        for key, n in self.histogram().items():
            if all(abs(a - b) <= tolerance for a, b in zip(key, colour)):
                total += n
        return total

    def differing_pixels(self, other):
        """How many pixels differ from other's in any channel."""
        check(self.image.size == other.image.size, "pictures of different sizes")
        channels = ImageChops.difference(self.image, other.image).split()
        differs = [c.point(lambda v: 255 if v else 0) for c in channels]
        return ImageChops.lighter(ImageChops.lighter(differs[0], differs[1]), differs[2]).histogram()[255]

    def save_png(self, path):
        self.image.save(path, "PNG")


# --------------------------------------------------------------------------
# The X protocol: the window manager's client messages, the cursor


@contextlib.contextmanager
def _connection(display_name):
    try:
        connection = xdisplay.Display(display_name)
    except Exception as error:  # python-xlib raises its own kinds for a refused display
        raise Failure("cannot open X display %s: %s" % (display_name, error))
    try:
        yield connection
    finally:
        connection.close()


def cursor_shows(display_name):
    """Whether the cursor the X server shows at the pointer has a pixel that
    is not wholly transparent (XFixes: the picture itself, which a screenshot
    leaves out)."""
    with _connection(display_name) as connection:
        check(connection.has_extension("XFIXES"), "no XFixes")
        # The server answers XFixes requests only after the version is agreed.
        connection.xfixes_query_version()
        image = connection.xfixes_get_cursor_image(connection.screen().root)
        return any(pixel >> 24 for pixel in image.cursor_image)


def send_delete_window(display_name, wid):
    """What a window manager's close box does: a WM_DELETE_WINDOW message.
    xdotool has no command for it (windowclose destroys the X window behind
    the program's back)."""
    send_wm_protocol(display_name, wid, "WM_DELETE_WINDOW")


def send_wm_protocol(display_name, wid, protocol):
    """Sends a window manager's WM_PROTOCOLS client message."""
    with _connection(display_name) as connection:
        window = connection.create_resource_object("window", int(wid, 0) if isinstance(wid, str) else int(wid))
        message = xevent.ClientMessage(window=window, client_type=connection.intern_atom("WM_PROTOCOLS"),
                                       data=(32, [connection.intern_atom(protocol), X.CurrentTime, 0, 0, 0]))
        window.send_event(message, event_mask=X.NoEventMask)
        # A round trip, not a flush: a connection closed at once can be
        # dropped by the server before it has read the event.
        connection.sync()


# --------------------------------------------------------------------------
# The X server and its windows


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


class XServer:
    """One Xvfb of its own, on the first free display number, with the
    windows on it and a person's input to them.

    The server never resets (-noreset). By default Xvfb resets whenever its
    last client disconnects, and a client that connects during the reset is
    refused: every short-lived xdotool of a poll for the first window leaves
    such a moment while the program under test is still connecting. Wine,
    refused, carries on without its X driver, on a 1024x768 desktop of its
    own, and the program fails to open any window.
    """

    def __init__(self, width, height, log_path, more_screens=(), more_args=()):
        """more_screens: sizes of further X screens, joined to the first by
        Xinerama (a program sees them as more monitors). more_args: further
        Xvfb arguments (such as "-extension GLX", a server without GL)."""
        self.width = width
        self.height = height
        self.more_screens = list(more_screens)
        self.more_args = list(more_args)
        self.proc = None
        self.number = None
        self.log_path = log_path
        self._start()
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("WAYLAND_DISPLAY", None)

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
                    self.server_command(number) + self.more_args +
                    ["-nolisten", "tcp", "-noreset", "-displayfd", str(write_end)],
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
                log("%s :%d %dx%d (pid %d)" % (self.server_command(number)[0], number, self.width, self.height,
                                               proc.pid))
                return
            stop_process(proc)
        raise Failure("no free X display from :%d on" % DISPLAY_BASE)

    def server_command(self, number):
        """The server and its screens, before the arguments every server takes."""
        screens = ["-screen", "0", "%dx%dx24" % (self.width, self.height)]
        for index, (width, height) in enumerate(self.more_screens, 1):
            screens += ["-screen", str(index), "%dx%dx24" % (width, height)]
        if self.more_screens:
            screens.insert(0, "+xinerama")
        return ["Xvfb", ":%d" % number] + screens

    @property
    def name(self):
        return ":%d" % self.number

    def stop(self):
        if self.proc is not None:
            stop_process(self.proc)
            self.proc = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def tool(self, *args, check_rc=True):
        """Runs an X command-line tool on this screen."""
        return run_tool(list(args), self.env, check_rc=check_rc)

    # -- windows -------------------------------------------------------------

    def find_windows(self, title, only_visible=True):
        """Windows whose whole title is title, oldest first."""
        args = ["xdotool", "search"]
        if only_visible:
            args.append("--onlyvisible")
        args += ["--name", "^" + re.escape(title) + "$"]
        return [line for line in self.tool(*args, check_rc=False).stdout.decode().split() if line]

    def find_windows_in_tree(self, title):
        """Windows whose whole title is title, from the window tree: xdotool's
        search misses titles stored as UTF8_STRING, as SDL's message boxes
        store theirs."""
        # A window that goes while xwininfo walks the tree fails the whole
        # walk (BadDrawable): walk it again.
        def walk():
            result = self.tool("xwininfo", "-root", "-tree", check_rc=False)
            return result if result.returncode == 0 else None
        result = poll(walk, 2, interval=0.05) or self.tool("xwininfo", "-root", "-tree")
        out = result.stdout.decode(errors="replace")
        return re.findall(r'^\s+(0x[0-9a-f]+) "%s":' % re.escape(title), out, re.M)

    def wait_window(self, title, timeout=30, alive=None):
        """The newest visible window titled title. alive(), when given, is
        called on every poll: it fails the wait at once when the program that
        should show the window has gone."""
        def probe():
            if alive:
                alive()
            found = self.find_windows(title)
            return found[-1] if found else None
        return wait_for(probe, timeout, "window %r" % title, interval=0.2)

    def wait_window_gone(self, wid, timeout=8):
        """A closed window's X window can linger for a while: waits until it
        is destroyed or no longer viewable."""
        def gone():
            result = self.tool("xwininfo", "-id", wid, check_rc=False)
            return result.returncode != 0 or b"IsViewable" not in result.stdout
        wait_for(gone, timeout, "window %s to go" % wid, interval=0.1)

    def geometry(self, wid):
        out = self.tool("xwininfo", "-id", wid).stdout.decode()

        def field(label):
            m = re.search(r"%s:\s*(-?\d+)" % re.escape(label), out)
            check(m, "xwininfo gave no %r for %s" % (label, wid))
            return int(m.group(1))
        return WindowInfo(wid, field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                          field("Height"), "IsViewable" in out)

    def window_count(self):
        """Every X window on the screen, root excluded."""
        out = self.tool("xwininfo", "-root", "-tree").stdout.decode()
        return len(re.findall(r"^\s+0x[0-9a-f]+\s", out, re.M))

    def screenshot(self, wid):
        xwd = self.tool("xwd", "-id", wid, "-silent").stdout
        return Picture.read(run_tool(["convert", "xwd:-", "ppm:-"], input_bytes=xwd).stdout)

    # -- input ---------------------------------------------------------------

    def focus(self, wid):
        self.tool("xdotool", "windowfocus", "--sync", wid)
        time.sleep(FOCUS_SETTLE)

    def key(self, wid, *keys):
        """Taps keys in the window as a person does: focused first (there is
        no window manager to do it), then each key pressed and released
        through XTEST about 12 ms apart, far shorter than a heavy frame."""
        self.focus(wid)
        for key in keys:
            self.tool("xdotool", "key", key)

    def drag(self, wid, start, end):
        """A left-button drag between two client points."""
        info = self.geometry(wid)
        x0, y0 = info.x + start[0], info.y + start[1]
        x1, y1 = info.x + end[0], info.y + end[1]
        self.focus(wid)
        self.move_pointer(x0, y0)
        self.tool("xdotool", "mousedown", "1")
        time.sleep(0.2)
        self.move_pointer(x1, y1)
        self.tool("xdotool", "mouseup", "1")

    def cursor_shows(self):
        return cursor_shows(self.name)

    def move_pointer(self, x, y):
        # Not "mousemove --sync": it waits 15 s when the pointer is already there.
        self.tool("xdotool", "mousemove", str(x), str(y))

        def arrived():
            out = self.tool("xdotool", "getmouselocation").stdout.decode()
            return re.search(r"x:(-?\d+) y:(-?\d+)", out).groups() == (str(x), str(y))
        wait_for(arrived, 5, "the pointer to reach (%d, %d)" % (x, y), interval=0.05)
        time.sleep(0.2)  # let the program turn the motion into its own event before the button changes

    @contextlib.contextmanager
    def holding(self, wid, key):
        """Keeps a key down, pressed in the window wid, for a with block; it
        comes up wherever the focus is by then."""
        self.focus(wid)
        self.tool("xdotool", "keydown", key)
        try:
            yield
        finally:
            self.tool("xdotool", "keyup", key)

    def hold(self, wid, key, until, timeout, what):
        """Holds a key down until until() is true, then releases it."""
        with self.holding(wid, key):
            return wait_for(until, timeout, what, interval=0.1)

    def focus_elsewhere(self, wid):
        """Gives the X focus to another client's window wid and waits until
        the X server reports it there."""
        self.tool("xdotool", "windowfocus", "--sync", wid)
        wait_for(lambda: self.tool("xdotool", "getwindowfocus").stdout.decode().strip() == wid,
                 5, "the X focus to move to %s" % wid, interval=0.05)

    def focus_back(self, wid):
        """What a window manager does when the user clicks the window again:
        WM_TAKE_FOCUS, then the X focus. Wine leaves activation to the window
        manager: once its window has lost the foreground, X focus alone does
        not give it back its keys."""
        send_wm_protocol(self.name, wid, "WM_TAKE_FOCUS")
        self.focus(wid)


class OtherClient:
    """A second X client's window on the screen (xlogo), somewhere for the
    focus to go; ended by pid."""

    def __init__(self, screen, log_path):
        self.screen = screen
        with open(log_path, "ab") as log_file:
            self.proc = subprocess.Popen(["xlogo", "-geometry", "100x100+900+700"], env=screen.env,
                                         stdin=subprocess.DEVNULL, stdout=log_file, stderr=log_file,
                                         start_new_session=True)

        def probe():
            check(self.proc.poll() is None, "xlogo exited with %s" % self.proc.returncode)
            out = screen.tool("xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                              check_rc=False).stdout.decode().split()
            if not out:  # xlogo does not always set _NET_WM_PID
                out = screen.tool("xdotool", "search", "--onlyvisible", "--class", "^xlogo$",
                                  check_rc=False).stdout.decode().split()
            return out[-1] if out else None
        self.wid = wait_for(probe, 10, "the xlogo window", interval=0.1)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        stop_process(self.proc)
        return False


# --------------------------------------------------------------------------
# A program under test


def session_process(session_id, name):
    """The live process whose command line holds name, among those of the
    session session_id (a child, or a program under Wine started by another
    one, stays in its starter's session); None when there is none."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                command = f.read()
            with open("/proc/%s/stat" % entry, "rb") as f:
                fields = f.read().rsplit(b")", 1)[1].split()
        except (OSError, IndexError):
            continue
        if fields[0] != b"Z" and int(fields[3]) == session_id and name.encode() in command:
            return int(entry)
    return None


class Client:
    """One run of a program under test on a screen: its process, its output
    in files, and the screen's windows and input, whose waits fail at once
    when the program has gone."""

    def __init__(self, screen, work_dir, name, command, env=None, log_command=None):
        self.screen = screen
        self.work_dir = work_dir
        self.name = name
        self.env = dict(env if env is not None else screen.env)
        os.makedirs(work_dir, exist_ok=True)
        self.stdout_path = os.path.join(work_dir, name + ".out.log")
        self.stderr_path = os.path.join(work_dir, name + ".err.log")
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.proc = subprocess.Popen(command, env=self.env, cwd=work_dir, stdin=subprocess.DEVNULL,
                                         stdout=out, stderr=err, start_new_session=True)
        log("%s: started %s (pid %d) on %s" % (name, log_command or " ".join(command), self.proc.pid,
                                              screen.name))

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
        """The process that runs the program's own code."""
        return self.proc.pid

    def resident_kb(self):
        """The program's resident memory (VmRSS), in KiB."""
        self.assert_alive("while reading its memory")
        with open("/proc/%d/status" % self.program_pid()) as f:
            m = re.search(r"^VmRSS:\s+(\d+) kB", f.read(), re.M)
        check(m, "%s: no VmRSS in /proc/%d/status" % (self.name, self.program_pid()))
        return int(m.group(1))

    def x_window_count(self):
        """Every X window on the screen, root excluded. The screen is the
        scenario's own: its windows are the program's and those of its
        helpers."""
        return self.screen.window_count()

    # -- windows and input ---------------------------------------------------

    def find_windows(self, title, only_visible=True):
        return self.screen.find_windows(title, only_visible)

    def wait_window(self, title, timeout=30):
        wid = self.screen.wait_window(
            title, timeout, alive=lambda: self.assert_alive("while waiting for the window %r" % title))
        log("%s: window %r is %s" % (self.name, title, wid))
        return wid

    def wait_window_gone(self, wid, timeout=8):
        self.screen.wait_window_gone(wid, timeout)

    def geometry(self, wid):
        return self.screen.geometry(wid)

    def screenshot(self, wid):
        return self.screen.screenshot(wid)

    def key(self, wid, *keys):
        self.screen.key(wid, *keys)

    def drag(self, wid, start, end):
        self.screen.drag(wid, start, end)

    def holding(self, wid, key):
        return self.screen.holding(wid, key)

    def hold(self, wid, key, until, timeout, what):
        return self.screen.hold(wid, key, until, timeout, what)

    def focus_elsewhere(self, wid):
        self.screen.focus_elsewhere(wid)

    def focus_back(self, wid):
        self.screen.focus_back(wid)

    def answer(self, title, key, timeout=30):
        """Answers a message box by key; waits for its window to go."""
        wid = self.wait_window(title, timeout)
        self.key(wid, key)
        self.wait_window_gone(wid)
        return wid
