"""polytree-xsaver against XScreenSaver's own gears, both at their defaults,
as the real daemon runs them on a 1024x768 Xvfb: the CPU each uses in cores,
alternating, several rounds (gears draws a random number of gears each run:
compare medians); the hack at the heaviest settings its sliders allow; the
time from the daemon launching it to its first frame, and from SIGTERM to
its end. Usage, from the repository's root (as root, the daemon runs as
nobody):

  /usr/bin/python3 -B -m scripts.xsaver_cpu --build build/release --work DIR [--seconds 20] [--rounds 3]
"""

import argparse
import os
import shutil
import signal
import statistics
import time

from Xlib import X, display as xdisplay

from tests.e2e.saver import cpu_seconds
from tests.e2e.x11 import XServer, log, wait_for
from tests.e2e.xsaver import HACK, Daemon, program_pids

GEARS = "/usr/libexec/xscreensaver/gears"
HEAVIEST = ["--branches", "12", "--levels", "12", "--speed", "360", "--delay", "0"]


def started_at(pid):
    """When the process started, in seconds of CLOCK_BOOTTIME (10 ms steps)."""
    with open("/proc/%d/stat" % pid) as f:
        ticks = int(f.read().rsplit(")", 1)[1].split()[19])
    return ticks / os.sysconf("SC_CLK_TCK")


def lit(connection, root):
    """Whether the middle column of the screen, where the trunk stands,
    shows anything yet."""
    geometry = root.get_geometry()
    image = root.get_image(geometry.width // 2 - 2, 0, 5, geometry.height, X.ZPixmap, 0xFFFFFFFF)
    return any(image.data)


def run_once(screen, work, command, name, seconds, timings):
    """Cores the hack used over seconds under the daemon; for our hack also
    its first frame after launch and its end after SIGTERM."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    connection = xdisplay.Display(screen.name)
    root = connection.screen().root
    with Daemon(screen, work, command) as daemon:
        daemon.command("-activate")
        pid = wait_for(lambda: program_pids(name, daemon.client.proc.pid), 15, "the daemon to launch " + name,
                       interval=0.005)[0]
        if name == HACK:
            wait_for(lambda: lit(connection, root), 15, "the first frame", interval=0.005)
            timings["first frame"].append(time.clock_gettime(time.CLOCK_BOOTTIME) - started_at(pid))
        time.sleep(2.0)  # past the start-up's own work
        before, start = cpu_seconds(pid), time.monotonic()
        time.sleep(seconds)  # the span measured, not a wait for something
        cores = (cpu_seconds(pid) - before) / (time.monotonic() - start)
        if name == HACK:
            stopping = time.monotonic()
            os.kill(pid, signal.SIGTERM)
            wait_for(lambda: not program_pids(name, daemon.client.proc.pid), 5, "the hack to end", interval=0.001)
            timings["SIGTERM to exit"].append(time.monotonic() - stopping)
        daemon.command("-deactivate")
    connection.close()
    return cores


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--rounds", type=int, default=3)
    options = parser.parse_args()
    work = os.path.abspath(options.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    hack = os.path.join(work, HACK)
    shutil.copy(os.path.join(options.build, HACK), hack)
    os.chmod(work, 0o755)
    runs = {
        "polytree-xsaver, defaults": ("%s --root" % hack, HACK),
        "gears, defaults": ("%s --root" % GEARS, "gears"),
        "polytree-xsaver, heaviest (B12 L12, speed 360, delay 0)": (" ".join([hack, "--root"] + HEAVIEST), HACK),
    }
    cores = {label: [] for label in runs}
    timings = {"first frame": [], "SIGTERM to exit": []}
    with XServer(1024, 768, os.path.join(work, "xvfb.log")) as screen:
        for round_number in range(options.rounds):
            for label, (command, name) in runs.items():
                used = run_once(screen, os.path.join(work, "run"), command, name, options.seconds, timings)
                log("round %d, %s: %.3f cores" % (round_number + 1, label, used))
                cores[label].append(used)
    print()
    print("CPU in cores over %.0f s, %d rounds, 1024x768 Xvfb (llvmpipe), under the xscreensaver daemon:"
          % (options.seconds, options.rounds))
    for label, values in cores.items():
        print("  %-58s median %.3f  (%s)" % (label, statistics.median(values),
                                             ", ".join("%.3f" % v for v in values)))
    for label, values in timings.items():
        print("  polytree-xsaver, %-41s median %.3f s  (%s)" % (label, statistics.median(values),
                                                            ", ".join("%.3f" % v for v in values)))


if __name__ == "__main__":
    main()
