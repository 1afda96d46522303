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

The native viewer (polytree on SDL2) against its own floors, on a plain
Xvfb, no Wine: polytree-gl-floor-native replaying the immediate-mode call
stream, and the same floor with --arrays replaying the figure's arrays (how
the native viewer draws). The CPU each uses while sampled, in cores, is
reported beside its frame rate:

  /usr/bin/python3 -B -m scripts.fps_ratio --native build/release [--seconds 8] [--rounds 2] \\
      [--levels 7,10,12] [--compare OTHER/polytree]
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


def cpu_seconds(proc):
    """User and system time of a process so far, from /proc (Linux), or None."""
    try:
        with open("/proc/%d/stat" % proc.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except (OSError, AttributeError):
        return None
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(runs, exe, name, args, caption, answer, seconds, work):
    """Median frames per second of one run, once its figure is up, and the
    cores it used meanwhile (None under Wine)."""
    hud, env = hud_env(work, name)
    with runs.start(exe, name, args, env, answer) as v:
        wid = v.wait_window(caption)
        samples_file = os.path.join(hud, "fps")
        wait_for(lambda: len(hud_samples(samples_file)) >= 1, 30, "the first HUD sample")
        skip = len(hud_samples(samples_file)) + 2  # settle: two more samples
        proc = getattr(v, "proc", None)
        cpu_before, wall_before = cpu_seconds(proc), time.monotonic()
        time.sleep(seconds)  # sampling for a fixed time is the measurement itself
        cpu_after, wall_after = cpu_seconds(proc), time.monotonic()
        samples = hud_samples(samples_file)[skip:]
        v.key(wid, "Escape")
        v.wait_exit(30)
    if len(samples) < 3:
        raise SystemExit("%s: only %d HUD samples in %.0f s" % (name, len(samples), seconds))
    cores = None if cpu_before is None or cpu_after is None else (cpu_after - cpu_before) / (wall_after - wall_before)
    return statistics.median(samples), cores


def run_rounds(runs, options, caption, work):
    """{level: {program: [(fps, cores), ...]}}, the programs alternating
    within each round."""
    programs = [("floor", options.floor, [], FLOOR_CAPTION, False)]
    if options.native:
        programs.append(("arrays", options.floor, ["--arrays"], FLOOR_CAPTION, False))
    # The native viewer keeps the display's pace unless told not to: a frame
    # rate capped at the refresh says nothing of its cost. An older build
    # passes the flag over as a word it does not know.
    viewer_flags = ["--no-vsync"] if options.native else []
    programs.append(("viewer", options.exe, viewer_flags, caption, True))
    if options.compare:
        programs.append(("compare", options.compare, viewer_flags, caption, True))
    results = {level: {program[0]: [] for program in programs} for level in options.levels}
    for round_number in range(options.rounds):
        for level in options.levels:
            for key, exe, flags, program_caption, answer in programs:
                fps, cores = measure(runs, exe, "%s-L%d" % (key, level), flags + ["B3", "L%d" % level],
                                     program_caption, answer, options.seconds, work)
                log("round %d, B3 L%d: %s %.1f fps%s" % (round_number + 1, level, key, fps,
                                                         "" if cores is None else ", %.2f cores" % cores))
                results[level][key].append((fps, cores))
    return results


def median_of(runs):
    fps = statistics.median(run[0] for run in runs)
    cores = [run[1] for run in runs if run[1] is not None]
    return fps, (statistics.median(cores) if cores else None)


def cell(runs):
    fps, cores = median_of(runs)
    return "%.1f" % fps if cores is None else "%.1f (%.2f cores)" % (fps, cores)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", metavar="BUILD", help="the native viewer and floor of this build folder")
    parser.add_argument("--exe")
    parser.add_argument("--floor")
    parser.add_argument("--prefix-root")
    parser.add_argument("--seconds", type=float, default=8.0)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--compare", help="another build of the viewer to measure alongside")
    parser.add_argument("--levels", default=",".join(str(level) for level in LEVELS),
                        help="the levels of B3 to measure, comma-separated")
    options = parser.parse_args()
    options.levels = [int(level) for level in options.levels.split(",")]
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
        what = "B3, 640x480, SDL2 + llvmpipe"
        viewer_name = "polytree"
    else:
        root = os.path.abspath(options.prefix_root)  # Wine wants an absolute prefix
        prefix = os.path.join(root, "prefix-1024x768")
        make_prefix(prefix, 1024, 768, os.path.join(root, "logs"))
        work = os.path.join(root, "fps")
        with Session(options.exe, prefix, 1024, 768, work) as s:
            results = run_rounds(Runs(s), options, CAPTION, work)
        what = "B3, 640x480, Wine + llvmpipe"
        viewer_name = "polytree.exe"
    # Ratios against the floor the viewer draws like: the arrays natively.
    own_floor = "arrays" if options.native else "floor"
    columns = [("floor", "GL floor fps" if not options.native else "immediate floor fps")]
    if options.native:
        columns.append(("arrays", "array floor fps"))
    columns.append(("viewer", viewer_name + " fps"))
    if options.compare:
        columns.append(("compare", "the other build fps"))
    header = [what] + [title for _, title in columns] + ["viewer / " + ("array floor" if options.native else "floor")]
    if options.native:
        header.append("viewer / immediate floor")
    if options.compare:
        header.append("other build / immediate floor")
    print()
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for level in options.levels:
        row = ["L%d" % level] + [cell(results[level][key]) for key, _ in columns]
        viewer = median_of(results[level]["viewer"])[0]
        floor = median_of(results[level]["floor"])[0]
        row.append("%.2fx" % (viewer / median_of(results[level][own_floor])[0]))
        if options.native:
            row.append("%.2fx" % (viewer / floor))
        if options.compare:
            row.append("%.2fx" % (median_of(results[level]["compare"])[0] / floor))
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
