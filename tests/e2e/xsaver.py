"""polytree-xsaver as XScreenSaver runs it: Debian's xscreensaver daemon on
an Xvfb of its own, with a home of the test's whose ~/.xscreensaver names the
hack, launches it on -activate; the root's picture is polytree-render's frame
of the hack's view; -deactivate ends it at once. And the settings dialog's
way: -window-id into a small window of the test's, ended when that window
goes. Run from the source root:

  python3 -B -m tests.e2e.xsaver --build build/release --work DIR SCENARIO

As root, the daemon runs as nobody (as root it launches no hack).
"""

import argparse
import math
import os
import shutil
import subprocess
import sys
import time
from xml.etree import ElementTree

from Xlib import X, display as xdisplay

from .native import STRAY_PIXELS
from .x11 import Client, Picture, XServer, check, end_on_terminate, log, run_scenario, run_tool, wait_for

NOBODY = 65534
HACK = "polytree-xsaver"
TWIST_DEGREES = 30
HACK_OPTIONS = ["--twist", str(TWIST_DEGREES)]


def hack_view(branches=3, levels=7):
    """The view the hack draws, frozen: its figure, the start camera."""
    return "B%d L%d v1 twist:%r" % (branches, levels, TWIST_DEGREES * (math.pi * (1.0 / 180.0)))


def rendered(build, work, view, width, height):
    path = os.path.join(work, "frame-%dx%d.png" % (width, height))
    run_tool([os.path.join(build, "polytree-render"), "--view", view, "--size", "%dx%d" % (width, height),
              "-o", path])
    with open(path, "rb") as f:
        return Picture.read(f.read())


def shows(screen, wid, expected, work, name):
    """Polls the window's picture until it is the expected frame."""
    last = [None]

    def probe():
        last[0] = screen.screenshot(wid)
        return last[0].differing_pixels(expected) <= STRAY_PIXELS
    if not wait_for_or_none(probe, 20):
        last[0].save_png(os.path.join(work, name + ".png"))
        check(False, "%s shows a frame %d pixels away from polytree-render's (%s.png)"
              % (wid, last[0].differing_pixels(expected), name))
    log("%s: %d pixels differ from polytree-render's frame" % (name, last[0].differing_pixels(expected)))


def wait_for_or_none(probe, timeout):
    try:
        return wait_for(probe, timeout, "")
    except AssertionError:
        return None


def hack_pids():
    pids = []
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                command = f.read().split(b"\0")
            with open("/proc/%s/stat" % entry, "rb") as f:
                state = f.read().rsplit(b")", 1)[1].split()[0]
        except (OSError, IndexError):
            continue
        if state != b"Z" and os.path.basename(command[0]) == HACK.encode():
            pids.append(int(entry))
    return pids


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
    expected = rendered(build, work, hack_view(), screen.width, screen.height)
    with Daemon(screen, work, " ".join(['"PolyTree"', hack, "--root"] + HACK_OPTIONS)) as daemon:
        check(daemon.command("-activate").returncode == 0, "xscreensaver-command -activate failed")
        started = time.monotonic()
        wait_for(hack_pids, 15, "the daemon to launch the hack")
        root = "0x%x" % xdisplay.Display(screen.name).screen().root.id
        shows(screen, root, expected, work, "root")
        log("the root shows the hack's frame %.1f s after -activate" % (time.monotonic() - started))
        check(daemon.command("-deactivate").returncode == 0, "xscreensaver-command -deactivate failed")
        stopped = time.monotonic()
        wait_for(lambda: not hack_pids(), 1.0, "the hack to end after -deactivate", interval=0.02)
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
    shows(screen, wid, rendered(build, work, hack_view(), width, height), work, "preview")
    window.destroy()
    connection.sync()
    check(hack.wait_exit(2) == 0, "the hack did not end with 0 when its window went")


SCENARIOS = {"under_daemon": under_daemon, "window_id": window_id}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the folder with polytree-xsaver and polytree-render")
    parser.add_argument("--work", required=True)
    parser.add_argument("--deadline", type=int, default=0)
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    options = parser.parse_args()
    end_on_terminate()
    build = os.path.abspath(options.build)
    work = os.path.join(os.path.abspath(options.work), "xsaver_" + options.scenario)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    log("=== xsaver %s, work in %s" % (options.scenario, work))

    def scenario():
        with XServer(1024, 768, os.path.join(work, "xvfb.log")) as screen:
            SCENARIOS[options.scenario](screen, work, build)
    return run_scenario("xsaver_" + options.scenario, scenario, options.deadline)


if __name__ == "__main__":
    sys.exit(main())
