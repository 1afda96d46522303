"""The X layer alone, with a native X program (xlogo) under test: what a
native viewer's scenarios will stand on, without Wine anywhere.

  python3 -B -m tests.e2e.x_layer --work DIR
"""

import argparse
import os
import shutil
import sys
import threading

from .x11 import Client, XServer, check, end_on_terminate, log, run_scenario

# Short-lived clients one after another, from two threads: each one that
# finds the screen without clients makes a resetting server refuse the other.
CONNECTIONS = 150


def connections_refused(screen):
    refused = []

    def connect():
        for _ in range(CONNECTIONS):
            if screen.tool("xdotool", "getmouselocation", check_rc=False).returncode != 0:
                refused.append(1)
    threads = [threading.Thread(target=connect) for _ in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return len(refused)


def x_layer(work):
    check("tests.e2e.wine" not in sys.modules, "the X layer imports the Wine layer")
    with XServer(640, 480, os.path.join(work, "xvfb.log")) as screen:
        refused = connections_refused(screen)
        check(refused == 0, "%d of %d connections refused: the X server resets between clients"
              % (refused, 2 * CONNECTIONS))
        with Client(screen, work, "xlogo", ["xlogo", "-bw", "0", "-geometry", "200x150+30+40"]) as program:
            wid = program.wait_window("xlogo", timeout=10)
            info = program.geometry(wid)
            check((info.x, info.y, info.size) == (30, 40, (200, 150)) and info.mapped,
                  "xlogo's window is %r, expected 200x150 at (30, 40)" % info)
            picture = program.screenshot(wid)
            check((picture.width, picture.height) == (200, 150) and len(picture.histogram()) >= 2,
                  "a screenshot of %dx%d in %d colours" % (picture.width, picture.height,
                                                            len(picture.histogram())))
            check(program.x_window_count() >= 1, "no X window on the screen")
            program.key(wid, "space")
            program.assert_alive("after a key")
            program.kill()
            program.wait_window_gone(wid)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--deadline", type=int, default=0)
    options = parser.parse_args()
    end_on_terminate()
    work = os.path.join(options.work, "x_layer")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    log("=== x_layer, work in %s" % work)
    return run_scenario("x_layer", lambda: x_layer(work), options.deadline)


if __name__ == "__main__":
    sys.exit(main())
