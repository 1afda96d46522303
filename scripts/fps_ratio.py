"""Frame rates of polytree.exe and of the GL floor under Wine, side by side.

The GL floor (polytree-gl-floor.exe) opens the same window and replays the
viewer's call stream of one frame from arrays, so it pays only the driver.
Both run on the same Xvfb screen, one after the other, alternating, with
Mesa's HUD writing the frame rate twice a second; the first samples after
the figure is up are dropped. Usage, from the repository's root:

  python3 -B -m scripts.fps_ratio --exe build/windows/polytree.exe \\
      --floor build/windows/bench/polytree-gl-floor.exe --prefix-root DIR [--seconds 8] [--rounds 2] \\
      [--compare OTHER/polytree.exe]

--compare measures another build of the viewer in the same run, for a
before-and-after table.
"""

import argparse
import os
import statistics
import time

from tests.e2e.polytree import CAPTION, START_CAPTION
from tests.e2e.wine import Session, make_prefix
from tests.e2e.x11 import log, wait_for

FLOOR_CAPTION = "PolyTree GL floor"
LEVELS = [1, 7, 10, 12]


def hud_samples(path):
    try:
        with open(path) as f:
            return [float(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []


def measure(session, exe, name, args, caption, answer, seconds, work):
    """Median frames per second of one run, once its figure is up."""
    hud = os.path.join(work, name)
    os.makedirs(hud, exist_ok=True)
    for old in os.listdir(hud):
        os.remove(os.path.join(hud, old))
    env = {"GALLIUM_HUD": "simple,fps", "GALLIUM_HUD_DUMP_DIR": hud, "GALLIUM_HUD_PERIOD": "0.5"}
    with session.viewer(name, args, extra_env=env, exe=exe) as v:
        if answer:
            question = v.wait_window(START_CAPTION)
            v.key(question, "n")
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--prefix-root", required=True)
    parser.add_argument("--seconds", type=float, default=8.0)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--compare", help="another polytree.exe to measure alongside")
    options = parser.parse_args()
    # Each program runs in a work folder of its own.
    options.exe = os.path.abspath(options.exe)
    options.floor = os.path.abspath(options.floor)
    options.compare = options.compare and os.path.abspath(options.compare)
    root = os.path.abspath(options.prefix_root)  # Wine wants an absolute prefix
    prefix = os.path.join(root, "prefix-1024x768")
    make_prefix(prefix, 1024, 768, os.path.join(root, "logs"))
    work = os.path.join(root, "fps")
    results = {level: {"floor": [], "viewer": [], "compare": []} for level in LEVELS}
    with Session(options.exe, prefix, 1024, 768, work) as s:
        for round_number in range(options.rounds):
            for level in LEVELS:
                args = ["B3", "L%d" % level]
                floor = measure(s, options.floor, "floor-L%d" % level, args, FLOOR_CAPTION, False,
                                options.seconds, work)
                viewer = measure(s, options.exe, "viewer-L%d" % level, args, CAPTION, True, options.seconds, work)
                log("round %d, B3 L%d: floor %.1f fps, viewer %.1f fps" % (round_number + 1, level, floor, viewer))
                results[level]["floor"].append(floor)
                results[level]["viewer"].append(viewer)
                if options.compare:
                    other = measure(s, options.compare, "compare-L%d" % level, args, CAPTION, True,
                                    options.seconds, work)
                    log("round %d, B3 L%d: the other build %.1f fps" % (round_number + 1, level, other))
                    results[level]["compare"].append(other)
    print()
    compare = " | the other build fps | its ratio" if options.compare else ""
    print("| B3, 640x480, Wine + llvmpipe | GL floor fps | polytree.exe fps | ratio%s |" % compare)
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
