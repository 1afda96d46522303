"""Frame rates of polytree.exe and of the GL floor under Wine, side by side.

The GL floor (polytree-gl-floor.exe) opens the same window and replays the
viewer's call stream of one frame from arrays, so it pays only the driver.
Both run on the same Xvfb screen, one after the other, alternating, with
Mesa's HUD writing the frame rate twice a second; the first samples after
the figure is up are dropped. Usage, from the repository's root:

  /usr/bin/python3 -B -m scripts.fps_ratio --exe build/windows/polytree.exe \\
      --floor build/windows/bench/polytree-gl-floor.exe --prefix-root DIR [--seconds 8] [--rounds 2] \\
      [--compare OTHER/polytree.exe]

--compare measures another build of the viewer in the same run, for a
before-and-after table.

The native viewer (polytree on SDL2) against its own floor
(polytree-gl-floor-native), on a plain Xvfb, no Wine:

  /usr/bin/python3 -B -m scripts.fps_ratio --native build/release [--seconds 8] [--rounds 2] \\
      [--compare OTHER/polytree]
"""

import argparse
import os
import statistics
import time

from tests.e2e import native
from tests.e2e.polytree import CAPTION, START_CAPTION
from tests.e2e.wine import Session, make_prefix
from tests.e2e.x11 import Client, XServer, log, wait_for

FLOOR_CAPTION = "PolyTree GL floor"
LEVELS = [1, 7, 10, 12]


def hud_samples(path):
    try:
        with open(path) as f:
            return [float(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []


def hud_env(work, name):
    """Mesa's HUD writing the frame rate into a folder of its own."""
    hud = os.path.join(work, name)
    os.makedirs(hud, exist_ok=True)
    for old in os.listdir(hud):
        os.remove(os.path.join(hud, old))
    return hud, {"GALLIUM_HUD": "simple,fps", "GALLIUM_HUD_DUMP_DIR": hud, "GALLIUM_HUD_PERIOD": "0.5"}


class Runs:
    """Starts the programs under Wine, in a session on a booted prefix."""

    def __init__(self, session):
        self.session = session

    def start(self, exe, name, args, env, answer):
        v = self.session.viewer(name, args, extra_env=env, exe=exe)
        if answer:
            v.key(v.wait_window(START_CAPTION), "n")
        return v


class NativeRuns:
    """Starts the native programs on a plain X server."""

    def __init__(self, screen, work):
        self.screen = screen
        self.work = work

    def start(self, exe, name, args, env, answer):
        if answer:
            v = native.Native(self.screen, self.work, os.path.dirname(exe), args, env, name)
            v.answer_box(native.START_CAPTION, "Escape")
            return v
        return Client(self.screen, self.work, name, [exe] + args, dict(self.screen.env, **env))


def measure(runs, exe, name, args, caption, answer, seconds, work):
    """Median frames per second of one run, once its figure is up."""
    hud, env = hud_env(work, name)
    with runs.start(exe, name, args, env, answer) as v:
        wid = v.wait_window(caption)
        samples_file = os.path.join(hud, "fps")
        wait_for(lambda: len(hud_samples(samples_file)) >= 1, 30, "the first HUD sample")
        skip = len(hud_samples(samples_file)) + 2  # settle: two more samples
        time.sleep(seconds)  # sampling for a fixed time is the measurement itself
        samples = hud_samples(samples_file)[skip:]
        v.key(wid, "Escape")
        v.wait_exit(30)
    if len(samples) < 3:
        raise SystemExit("%s: only %d HUD samples in %.0f s" % (name, len(samples), seconds))
    return statistics.median(samples)


def run_rounds(runs, options, caption, work):
    """{level: {"floor": [...], "viewer": [...], "compare": [...]}}, the
    programs alternating within each round."""
    results = {level: {"floor": [], "viewer": [], "compare": []} for level in LEVELS}
    for round_number in range(options.rounds):
        for level in LEVELS:
            args = ["B3", "L%d" % level]
            floor = measure(runs, options.floor, "floor-L%d" % level, args, FLOOR_CAPTION, False,
                            options.seconds, work)
            viewer = measure(runs, options.exe, "viewer-L%d" % level, args, caption, True, options.seconds, work)
            log("round %d, B3 L%d: floor %.1f fps, viewer %.1f fps" % (round_number + 1, level, floor, viewer))
            results[level]["floor"].append(floor)
            results[level]["viewer"].append(viewer)
            if options.compare:
                other = measure(runs, options.compare, "compare-L%d" % level, args, caption, True,
                                options.seconds, work)
                log("round %d, B3 L%d: the other build %.1f fps" % (round_number + 1, level, other))
                results[level]["compare"].append(other)
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", metavar="BUILD", help="the native viewer and floor of this build folder")
    parser.add_argument("--exe")
    parser.add_argument("--floor")
    parser.add_argument("--prefix-root")
    parser.add_argument("--seconds", type=float, default=8.0)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--compare", help="another build of the viewer to measure alongside")
    options = parser.parse_args()
    if options.native:
        options.exe = os.path.join(options.native, "polytree")
        options.floor = os.path.join(options.native, "bench", "polytree-gl-floor-native")
    elif not (options.exe and options.floor and options.prefix_root):
        parser.error("--exe, --floor and --prefix-root, or --native")
    # Each program runs in a work folder of its own.
    options.exe = os.path.abspath(options.exe)
    options.floor = os.path.abspath(options.floor)
    options.compare = options.compare and os.path.abspath(options.compare)
    if options.native:
        work = os.path.abspath(os.path.join(options.native, "fps"))
        os.makedirs(work, exist_ok=True)
        screen = XServer(1024, 768, os.path.join(work, "xvfb.log"))
        try:
            results = run_rounds(NativeRuns(screen, work), options, native.CAPTION, work)
        finally:
            screen.stop()
        what = "B3, 640x480, SDL2 + llvmpipe | native GL floor fps | polytree fps"
    else:
        root = os.path.abspath(options.prefix_root)  # Wine wants an absolute prefix
        prefix = os.path.join(root, "prefix-1024x768")
        make_prefix(prefix, 1024, 768, os.path.join(root, "logs"))
        work = os.path.join(root, "fps")
        with Session(options.exe, prefix, 1024, 768, work) as s:
            results = run_rounds(Runs(s), options, CAPTION, work)
        what = "B3, 640x480, Wine + llvmpipe | GL floor fps | polytree.exe fps"
    print()
    compare = " | the other build fps | its ratio" if options.compare else ""
    print("| %s | ratio%s |" % (what, compare))
    print("|---|---|---|---|%s" % ("---|---|" if options.compare else ""))
    for level in LEVELS:
        floor = statistics.median(results[level]["floor"])
        viewer = statistics.median(results[level]["viewer"])
        row = "| L%d | %.1f | %.1f | %.2fx |" % (level, floor, viewer, viewer / floor)
        if options.compare:
            other = statistics.median(results[level]["compare"])
            row += " %.1f | %.2fx |" % (other, other / floor)
        print(row)


if __name__ == "__main__":
    main()
