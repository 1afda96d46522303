"""polytree-xsaver as XScreenSaver runs it: Debian's xscreensaver daemon on
an Xvfb of its own, with a home of the test's whose ~/.xscreensaver names the
hack, launches it on -activate; the root's picture is polytree-render's frame
of the hack's view; -deactivate ends it at once. And the settings dialog's
way: -window-id into a small window of the test's, ended when that window
goes. Run from the source root:

  python3 -B -m tests.e2e.xsaver --build build/release --work DIR SCENARIO

As root, the daemon runs as nobody (as root it launches no hack).
"""

import math
import os
import shutil
import subprocess
import sys
import time
from xml.etree import ElementTree

from Xlib import X, display as xdisplay

from .native import STRAY_PIXELS, render_view
from .x11 import Client, Picture, XServer, check, log, poll, run_tool, scenarios_main, wait_for

NOBODY = 65534
HACK = "polytree-xsaver"
TWIST_DEGREES = 30
HACK_OPTIONS = ["--twist", str(TWIST_DEGREES)]


def hack_view(branches=3, levels=7):
    """The view the hack draws, frozen: its figure, the start camera."""
    return "B%d L%d v1 twist:%r" % (branches, levels, TWIST_DEGREES * (math.pi * (1.0 / 180.0)))


def shows(screen, wid, expected, work, name):
    """Polls the window's picture until it is the expected frame."""
    last = [None]

    def probe():
        last[0] = screen.screenshot(wid)
        return last[0].differing_pixels(expected) <= STRAY_PIXELS
    if not poll(probe, 20):
        last[0].save_png(os.path.join(work, name + ".png"))
        check(False, "%s shows a frame %d pixels away from polytree-render's (%s.png)"
              % (wid, last[0].differing_pixels(expected), name))
    log("%s: %d pixels differ from polytree-render's frame" % (name, last[0].differing_pixels(expected)))


def program_pids(name, ancestor=None):
    """The live processes of the program; only those below ancestor if given
    (other scenarios may run theirs at the same time)."""
    parents = {}
    hacks = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                command = f.read().split(b"\0")
            with open("/proc/%s/stat" % entry, "rb") as f:
                fields = f.read().rsplit(b")", 1)[1].split()
        except (OSError, IndexError):
            continue
        parents[int(entry)] = int(fields[1])
        if fields[0] != b"Z" and os.path.basename(command[0]) == name.encode():
            hacks.append(int(entry))

    def below(pid):
        while pid > 1:
            pid = parents.get(pid, 0)
            if pid == ancestor:
                return True
        return False
    return [pid for pid in hacks if ancestor is None or below(pid)]


def hack_pids(ancestor=None):
    return program_pids(HACK, ancestor)


class Daemon:
    """xscreensaver with a home of its own, as nobody when run as root."""

    def __init__(self, screen, work, hack_command):
        self.screen = screen
        self.home = os.path.join(work, "home")
        os.makedirs(self.home)
        with open(os.path.join(self.home, ".xscreensaver"), "w") as f:
            f.write("mode: one\nselected: 0\nfade: False\nunfade: False\nlock: False\nsplash: False\n"
                    "timeout: 1:00:00\nprograms: GL: %s \\n\n" % hack_command)
        self.user = []
        if os.geteuid() == 0:
            for root, _, files in os.walk(work):
                for name in [root] + [os.path.join(root, f) for f in files]:
                    os.chown(name, NOBODY, NOBODY)
            os.chmod(work, 0o755)
            self.user = ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups"]
        self.env = dict(screen.env, HOME=self.home)
        self.client = Client(screen, work, "xscreensaver", self.user + ["xscreensaver", "--no-splash"], self.env)
        wait_for(lambda: self.command("-time").returncode == 0, 20, "the daemon to answer")

    def command(self, *args):
        return subprocess.run(self.user + ["xscreensaver-command"] + list(args), env=self.env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=20)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.command("-exit")
        if self.client.running():
            try:
                self.client.wait_exit(10)
            except AssertionError:
                self.client.kill()
        return False


def installed(build, work):
    """The hack as cmake --install puts it under a prefix (somewhere nobody
    may run it from), and its settings file, read as XML."""
    prefix = os.path.join(work, "prefix")
    run_tool(["cmake", "--install", build, "--prefix", prefix], timeout=60)
    settings = ElementTree.parse(os.path.join(prefix, "share", "xscreensaver", "config", HACK + ".xml")).getroot()
    check(settings.get("name") == HACK and settings.get("gl") == "yes", "the settings file names %r, gl=%r"
          % (settings.get("name"), settings.get("gl")))
    return os.path.join(prefix, "libexec", "xscreensaver", HACK)


def under_daemon(screen, work, build):
    """-activate runs the installed hack on the daemon's window, named as the
    README's programs: line names it: the root shows the hack's frame;
    -deactivate ends it within a second, leaving no process."""
    hack = installed(build, work)
    expected = render_view(build, work, hack_view(), (screen.width, screen.height))
    with Daemon(screen, work, " ".join(['"PolyTree"', hack, "--root"] + HACK_OPTIONS)) as daemon:
        check(daemon.command("-activate").returncode == 0, "xscreensaver-command -activate failed")
        started = time.monotonic()
        wait_for(lambda: hack_pids(daemon.client.proc.pid), 15, "the daemon to launch the hack")
        root = "0x%x" % xdisplay.Display(screen.name).screen().root.id
        shows(screen, root, expected, work, "root")
        log("the root shows the hack's frame %.1f s after -activate" % (time.monotonic() - started))
        check(daemon.command("-deactivate").returncode == 0, "xscreensaver-command -deactivate failed")
        stopped = time.monotonic()
        wait_for(lambda: not hack_pids(daemon.client.proc.pid), 1.0, "the hack to end after -deactivate",
                 interval=0.02)
        log("the hack ended %.2f s after -deactivate" % (time.monotonic() - stopped))


def window_id(screen, work, build):
    """-window-id into a small window of another client's: the frame at that
    size, and the hack's end when the window goes."""
    width, height = 320, 240
    connection = xdisplay.Display(screen.name)
    root = connection.screen().root
    window = root.create_window(40, 30, width, height, 0, X.CopyFromParent, X.InputOutput, X.CopyFromParent,
                                background_pixel=connection.screen().white_pixel)
    window.map()
    connection.sync()
    wid = "0x%x" % window.id
    hack = Client(screen, work, HACK, [os.path.join(build, HACK), "-window-id", wid] + HACK_OPTIONS)
    shows(screen, wid, render_view(build, work, hack_view(), (width, height)), work, "preview")
    window.destroy()
    connection.sync()
    gone = time.monotonic()
    check(hack.wait_exit(5) == 0, "the hack did not end with 0 when its window went")
    log("the hack ended %.2f s after its window went" % (time.monotonic() - gone))


# Two 800x600 monitors side by side, one X screen joined by Xinerama: Xorg's
# dummy driver (Xvfb's Xinerama puts the second screen over the first).
TWO_MONITORS = """
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "Xinerama" "on"
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
""" + "".join("""
Section "Device"
  Identifier "card%(n)d"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Screen"
  Identifier "screen%(n)d"
  Device "card%(n)d"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 800 600
  EndSubSection
EndSection
""" % {"n": n} for n in (0, 1)) + """
Section "ServerLayout"
  Identifier "side by side"
  Screen 0 "screen0"
  Screen 1 "screen1" RightOf "screen0"
EndSection
"""


class TwoMonitors(XServer):
    """Xorg with the dummy driver: it needs root."""

    def __init__(self, work):
        self.config = os.path.join(work, "two-monitors.conf")
        with open(self.config, "w") as f:
            f.write(TWO_MONITORS)
        super().__init__(1600, 600, os.path.join(work, "xorg.out.log"))

    def server_command(self, number):
        return ["Xorg", ":%d" % number, "-config", self.config, "-logfile", self.config + ".log"]


def two_monitors(screen, work, build):
    """On two monitors side by side the daemon runs the hack once per
    monitor: each shows one whole figure, polytree-render's frame at the
    monitor's size."""
    hack = os.path.join(work, HACK)
    shutil.copy(os.path.join(build, HACK), hack)
    expected = render_view(build, work, hack_view(), (800, 600))
    with Daemon(screen, work, " ".join([hack, "--root"] + HACK_OPTIONS)) as daemon:
        check(daemon.command("-activate").returncode == 0, "xscreensaver-command -activate failed")
        wait_for(lambda: len(hack_pids(daemon.client.proc.pid)) == 2, 15, "a hack on each monitor")
        root = "0x%x" % xdisplay.Display(screen.name).screen().root.id
        last = [None]

        def both():
            whole = screen.screenshot(root)
            last[0] = [Picture(whole.image.crop((left, 0, left + 800, 600))).differing_pixels(expected)
                       for left in (0, 800)]
            return all(n <= STRAY_PIXELS for n in last[0])
        if not poll(both, 20):
            screen.screenshot(root).save_png(os.path.join(work, "monitors.png"))
            check(False, "the monitors differ from polytree-render's frame in %r pixels (monitors.png)" % last[0])
        log("each monitor shows polytree-render's 800x600 frame (%r pixels differ)" % last[0])


SCENARIOS = {"under_daemon": under_daemon, "window_id": window_id, "two_monitors": two_monitors}


def screen_for(name, work):
    if name != "two_monitors":
        return XServer(1024, 768, os.path.join(work, "xvfb.log"))
    if os.geteuid() != 0 or not shutil.which("Xorg"):
        return "two monitors need Xorg's dummy driver, run as root"
    return TwoMonitors(work)


def main():
    return scenarios_main("xsaver", SCENARIOS, screen_for)


if __name__ == "__main__":
    sys.exit(main())
