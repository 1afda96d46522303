"""The CPU the screen saver spends at its defaults, full screen under Wine
on a 1024x768 Xvfb, for one or more builds of polytree.scr, alternating.
Usage, from the repository's root:

  /usr/bin/python3 -B -m scripts.saver_cpu --prefix-root DIR [--seconds 10] [--rounds 3] \\
      build/windows/polytree.scr [OTHER/polytree.scr ...]
"""

import argparse
import os
import statistics
import time

from tests.e2e.saver import SAVER_TITLE, cpu_seconds
from tests.e2e.wine import Session, make_prefix
from tests.e2e.x11 import log


def measure(session, scr, name, seconds):
    """Cores the saver's process used over seconds, once its window is up."""
    with session.viewer(name, ["/s"], exe=scr) as saver:
        saver.wait_window(SAVER_TITLE)
        time.sleep(2.0)  # past the start-up's own work
        pid = saver.program_pid()
        before, start = cpu_seconds(pid), time.monotonic()
        time.sleep(seconds)  # the span measured, not a wait for something
        cores = (cpu_seconds(pid) - before) / (time.monotonic() - start)
        saver.kill()
    return cores


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix-root", required=True)
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("scr", nargs="+")
    options = parser.parse_args()
    root = os.path.abspath(options.prefix_root)
    prefix = os.path.join(root, "prefix-1024x768")
    make_prefix(prefix, 1024, 768, os.path.join(root, "logs"))
    savers = [os.path.abspath(scr) for scr in options.scr]
    results = {scr: [] for scr in savers}
    for round_number in range(options.rounds):
        for i, scr in enumerate(savers):
            with Session(scr, prefix, 1024, 768, os.path.join(root, "saver-cpu")) as session:
                cores = measure(session, scr, "saver-%d" % i, options.seconds)
            log("round %d, %s: %.2f cores" % (round_number + 1, scr, cores))
            results[scr].append(cores)
    print()
    print("| polytree.scr /s, B3 L7 at 60 degrees a second, 1024x768, Wine + llvmpipe | cores (median) |")
    print("|---|---|")
    for scr in savers:
        print("| %s | %.2f |" % (scr, statistics.median(results[scr])))


if __name__ == "__main__":
    main()
