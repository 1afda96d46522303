"""The native viewer, polytree (SDL2), driven on Xvfb with the X layer alone:
no Wine. Run from the source root:

  python3 -B -m tests.e2e.native --build build/release --work DIR SCENARIO

The release build: the sanitized one would report the leaks of libX11, Mesa
and SDL at exit.
"""

import contextlib
import math
import os
import re
import signal
import subprocess
import sys
import time

from .x11 import (Client, Failure, OtherClient, Picture, XServer, check, log, run_tool, scenarios_main,
                  send_delete_window, session_process, wait_for)

CAPTION = "PolyTree - Polygon Tree Viewer"
START_CAPTION = "Start FullScreen?"
HELP_CAPTION = "Help..."
FALLBACK_CAPTION = "Quor GL"


class Native(Client):
    """One run of build/polytree on a screen."""

    def __init__(self, screen, work, build, options, extra_env=None, name="polytree"):
        super().__init__(screen, work, name, [os.path.join(build, "polytree")] + options,
                         dict(screen.env, **(extra_env or {})))

    def wait_box(self, title, timeout=15):
        """An SDL message box (titled in UTF-8, so found in the window tree)."""
        def probe():
            self.assert_alive("while waiting for the box %r" % title)
            found = self.screen.find_windows_in_tree(title)
            return found[-1] if found else None
        return wait_for(probe, timeout, "the box %r" % title, interval=0.1)

    def answer_box(self, title, key):
        wid = self.wait_box(title)
        self.key(wid, key)
        wait_for(lambda: wid not in self.screen.find_windows_in_tree(title), 8, "the box %r to go" % title)

    def settled_picture(self, wid, timeout=20):
        """A screenshot that the next one, a moment later, equals: the frame
        of a paused viewer that nothing turns."""
        last = [self.screenshot(wid)]

        def probe():
            time.sleep(0.5)
            shot = self.screenshot(wid)
            same = shot.rgb == last[0].rgb
            last[0] = shot
            return shot if same else None
        return wait_for(probe, timeout, "the picture to stand still", interval=0)


def window_of_size(program, size):
    """The viewer's window of that size, or None. The window a key just
    closed may go between being found and being measured: it is passed
    over."""
    for wid in program.find_windows(CAPTION):
        with contextlib.suppress(Failure):
            if program.geometry(wid).size == size:
                return wid
    return None


def start_windowed(screen, work, build, options, program=None):
    """The viewer (or program, started) answered No: its window."""
    program = program or Native(screen, work, build, options)
    program.answer_box(START_CAPTION, "Escape")
    wid = program.wait_window(CAPTION, timeout=15)
    return program, wid


# Measured: a paused window once differed from the nearest rendered frame in 4
# of its 307,200 pixels (it matched exactly in other runs), where two frames a
# degree apart differ in about 12,000.
STRAY_PIXELS = 64


def rendered(build, work, options, frame):
    path = os.path.join(work, "frame.png")
    run_tool([os.path.join(build, "polytree-render")] + options + ["--frame", str(frame), "-o", path])
    with open(path, "rb") as f:
        return Picture.read(f.read())


def start_answered_no(screen, work, build):
    """The Esc that answers No is not the viewer's, even held until the
    viewer's window is there; the paused frame is polytree-render's frame of
    the same options at some frame number; a later Esc quits with 0."""
    options = ["B3", "L12"]
    program = Native(screen, work, build, options)
    # Held past the auto-repeat delay: the box goes on a repeat while the key
    # is still down when the viewer's window gets the focus.
    with program.holding(program.wait_box(START_CAPTION), "Escape"):
        wid = program.wait_window(CAPTION, timeout=15)
    info = program.geometry(wid)
    check(info.size == (640, 480), "the window is %r, expected 640x480" % (info.size,))
    program.key(wid, "space")
    shown = program.settled_picture(wid)
    program.assert_alive("after the start question was answered with Esc and Space was pressed")
    for frame in range(0, 360):
        differing = rendered(build, work, options, frame).differing_pixels(shown)
        if differing <= STRAY_PIXELS:
            log("the paused frame is polytree-render's --frame %d (%d pixels differ)" % (frame, differing))
            break
    else:
        shown.save_png(os.path.join(work, "shown.png"))
        check(False, "no frame of polytree-render B3 L12 in 0-359 equals the paused window (shown.png)")
    program.key(wid, "Escape")
    check(program.wait_exit(15) == 0, "Esc did not end the viewer with 0")


def quick_taps(screen, work, build):
    """F1, F12, + and - each act once for one quick tap."""
    program, wid = start_windowed(screen, work, build, ["B3", "L7"])
    program.key(wid, "F1")
    help_box = program.wait_box(HELP_CAPTION)
    program.key(help_box, "Return")
    wait_for(lambda: not program.screen.find_windows_in_tree(HELP_CAPTION), 8, "the help box to go")
    time.sleep(1)
    check(not program.screen.find_windows_in_tree(HELP_CAPTION), "one F1 tap showed the help box twice")

    # 640x480 on a 1024x768 screen is a mode the display refuses: the
    # fallback question, answered Yes, gives the window back.
    program.key(wid, "F12")
    program.answer_box(FALLBACK_CAPTION, "Return")
    wid = program.wait_window(CAPTION, timeout=15)
    time.sleep(1)
    check(not program.screen.find_windows_in_tree(FALLBACK_CAPTION), "one F12 tap asked twice")

    for key, size in (("plus", (800, 600)), ("minus", (640, 480)), ("KP_Subtract", (320, 240)),
                      ("KP_Add", (640, 480))):
        program.key(wid, key)
        wid = wait_for(lambda: window_of_size(program, size), 15, "a %dx%d window after %s" % (size + (key,)),
                       interval=0.2)
        time.sleep(1)
        sizes = [program.geometry(w).size for w in program.find_windows(CAPTION)]
        check(sizes == [size], "one %s tap left windows of %r, expected one of %r" % (key, sizes, size))
    program.key(wid, "Escape")
    check(program.wait_exit(15) == 0, "Esc did not end the viewer with 0")


def focus_releases(screen, work, build):
    """A key held while the focus goes to another X window is released
    there: the paused figure stops turning. The close box then ends it
    with 0."""
    with OtherClient(screen, os.path.join(work, "xlogo.log")) as other:
        program, wid = start_windowed(screen, work, build, ["B3", "L7"])
        program.key(wid, "space")
        before = program.settled_picture(wid)
        with program.holding(wid, "Left"):
            wait_for(lambda: program.screenshot(wid).rgb != before.rgb, 10, "Left to turn the figure")
            program.focus_elsewhere(other.wid)
        program.settled_picture(wid, timeout=10)
        program.assert_alive("after the focus went away")
        # The close box, as a window manager reports it.
        send_delete_window(screen.name, wid)
        check(program.wait_exit(15) == 0, "the close box did not end the viewer with 0")


def signals(screen, work, build):
    """A signal ends the viewer at once, a message box showing or not, and
    the box's own process with it (SDL shows its boxes from a forked child
    that the viewer waits for); the viewer dies by the signal, which a
    shell reports as 128 plus its number."""
    cases = [
        ("the start question", START_CAPTION, signal.SIGTERM),
        ("the help box", HELP_CAPTION, signal.SIGINT),
        ("the window", None, signal.SIGTERM),
    ]
    for index, (shown, box, number) in enumerate(cases):
        with Native(screen, work, build, ["B3", "L7"], name="polytree-%d" % index) as program:
            if box != START_CAPTION:
                wid = start_windowed(screen, work, build, [], program)[1]
                if box:
                    program.key(wid, "F1")
            if box:
                program.wait_box(box)
            os.kill(program.proc.pid, number)
            code = program.wait_exit(3)
            check(code == -number, "%s while %s showed ended the viewer with %s, not by the signal"
                  % (number.name, shown, code))
            check(session_process(program.proc.pid, "polytree") is None,
                  "a process of the viewer outlived %s while %s showed" % (number.name, shown))
            if box:
                check(not screen.find_windows_in_tree(box), "the box %r outlived %s" % (box, number.name))


def render_view(build, work, view, size=None):
    """polytree-render's frame of the view, at its display mode's size or at
    size (width, height)."""
    path = os.path.join(work, "view.png")
    extra = ["--size", "%dx%d" % size] if size else []
    run_tool([os.path.join(build, "polytree-render"), "--view", view] + extra + ["-o", path])
    with open(path, "rb") as f:
        return Picture.read(f.read())


def clipboard(program):
    """The clipboard's text, as xclip reads it from its owner, the viewer."""
    result = program.screen.tool("xclip", "-o", "-selection", "clipboard", check_rc=False)
    return result.stdout.decode(errors="replace") if result.returncode == 0 else ""


def view_copied(screen, work, build):
    """Ctrl+C copies the view of the frame on screen: the viewer started
    with it shows that frame again, pixel for pixel; polytree-render draws
    it as the window shows it; and the viewer prints the view it last
    showed when Esc ends it."""
    program, wid = start_windowed(screen, work, build, ["B3", "L7"])
    program.key(wid, "space", "Left", "Up", "Home")
    shown = program.settled_picture(wid)
    program.key(wid, "ctrl+c")
    view = wait_for(lambda: clipboard(program) or None, 10, "the view on the clipboard")
    log("copied: %s" % view)
    check(view.startswith("B3 L7 G3 v1 ") and view.endswith(" paused"), "copied %r" % view)
    program.key(wid, "Escape")
    check(program.wait_exit(15) == 0, "Esc did not end the viewer with 0")
    with open(program.stdout_path) as f:
        printed = f.read()
    check(printed == view + "\n", "the viewer printed %r, not the view it showed" % printed)

    again = Native(screen, work, build, view.split(), name="polytree-again")
    wid = start_windowed(screen, work, build, view.split(), again)[1]
    reopened = again.settled_picture(wid)
    again.key(wid, "Escape")
    check(again.wait_exit(15) == 0, "Esc did not end the second viewer with 0")
    differing = reopened.differing_pixels(shown)
    if differing:
        shown.save_png(os.path.join(work, "shown.png"))
        reopened.save_png(os.path.join(work, "reopened.png"))
    check(differing == 0, "the viewer opened on the view (reopened.png) differs from the window it was copied "
          "from (shown.png) in %d pixels" % differing)

    # An off-screen framebuffer puts some of a turned camera's line pixels
    # on their neighbours (measured: 56 to 966 of them), where a frame a
    # degree of twist apart differs in over 12,000: polytree-render's frame
    # of the view must be far nearer the window than the next frame is.
    words = view.split()
    twist = next(i for i, word in enumerate(words) if word.startswith("twist:"))
    next_frame = words[:twist] + ["twist:%r" % (float(words[twist][6:]) + math.pi * (1.0 / 180.0))] + words[twist + 1:]
    near, apart = (render_view(build, work, text).differing_pixels(shown) for text in (view, " ".join(next_frame)))
    log("polytree-render --view: %d pixels differ from the window; the frame after it, %d" % (near, apart))
    check(near * 10 <= apart, "polytree-render --view differs from the window in %d pixels, the next frame in %d"
          % (near, apart))


def project_version():
    """The version CMake gives the build, read from the top CMakeLists.txt."""
    with open("CMakeLists.txt") as f:
        return re.search(r"project\(PolyTree VERSION (\S+)", f.read()).group(1)


def command_lines(screen, work, build):
    """Both native programs answer --help and --version without a display,
    and refuse what they cannot read with 2 and one line before anything
    opens: with a display there, a viewer that went on would wait at its
    start question. Warnings for words passed over and levels bounded come
    before the missing display is found."""
    version = project_version()
    no_display = {k: v for k, v in screen.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    rows = [
        # program, arguments, display, exit code, stdout holds ("": nothing, None: anything),
        # stderr holds (None: nothing)
        ("polytree", ["--help"], False, 0, "Usage: polytree [FLAG]...", None),
        ("polytree", ["-h", "B5"], False, 0, "\nExit status:\n  0 ", None),
        ("polytree", ["--version"], False, 0, "polytree %s\n" % version, None),
        ("polytree-xsaver", ["-help"], False, 0, "Usage: polytree-xsaver", None),
        ("polytree-xsaver", ["--version"], False, 0, "polytree-xsaver %s\n" % version, None),
        ("polytree", ["--szie", "800x600", "--help"], True, 2, "", "polytree: unknown flag '--szie' (see --help)\n"),
        ("polytree", ["B5", "-5"], True, 2, "", "unknown flag '-5'"),
        ("polytree", ["--size", "800x0"], True, 2, "", "--size takes WIDTHxHEIGHT"),
        ("polytree", ["--windowed=yes"], True, 2, "", "--windowed takes no value"),
        ("polytree", ["B5", "v1", "zoom:2"], True, 2, "", "unknown view word 'zoom:2'"),
        ("polytree-xsaver", ["-frobnicate"], True, 2, "", "unknown option '-frobnicate' (see -help)\n"),
        ("polytree", ["x", "B99", "L99"], False, 1, None,
         "polytree: warning: ignoring 'x': not an option word (B, L or G and a whole number, such as B5, L4 or G3)\n"
         "polytree: warning: B99 L99 is drawn with 3 levels: more would be over 1048576 line segments a frame"),
    ]
    for program, arguments, display, code, out, err in rows:
        what = " ".join([program] + arguments) + ("" if display else " (no display)")
        result = subprocess.run([os.path.join(build, program)] + arguments, env=screen.env if display else no_display,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=20)
        stdout, stderr = result.stdout.decode(), result.stderr.decode()
        check(result.returncode == code, "%s exited %d, not %d: %s" % (what, result.returncode, code, stderr))
        check(out is None or (out in stdout if out else stdout == ""), "%s printed %r" % (what, stdout))
        check(stderr == "" if err is None else err in stderr, "%s said %r" % (what, stderr))
        if code == 2:
            check(stderr.count("\n") == 1, "%s said more than one line: %r" % (what, stderr))


def twist_degrees(view):
    return math.degrees(float(next(w for w in view.split() if w.startswith("twist:"))[6:]))


# Xvfb reports no refresh rate, so the viewer paces itself at 60 Hz: in T
# seconds it shows at most 60 T + 1 frames, a degree each (measured on Xvfb
# with llvmpipe: no swap interval taken, even 0 refused). The margin of two
# degrees covers the frame whose copy races the key.
REFRESH_HZ = 60
PACE_MARGIN_DEGREES = 2


def windowed_paced(screen, work, build):
    """--windowed opens without the start question, at --size's size; the
    figure turns no faster than the display refreshes, measured by two views
    copied with Ctrl+C about a second apart; + goes on from a window of its
    own size to the next display mode larger than it."""
    program = Native(screen, work, build, ["--windowed", "--size", "700x500", "B3", "L7"])
    wid = program.wait_window(CAPTION, timeout=15)
    check(not screen.find_windows_in_tree(START_CAPTION), "the start question showed beside --windowed")
    check(program.geometry(wid).size == (700, 500), "the window is %r, not 700x500" % (program.geometry(wid).size,))

    copies = []

    def new_copy():
        text = clipboard(program)
        return text if text and text not in copies else None
    first_sent = time.monotonic()
    program.key(wid, "ctrl+c")
    copies.append(wait_for(new_copy, 10, "the view on the clipboard"))
    time.sleep(1)  # the interval is the measurement
    program.key(wid, "ctrl+c")
    copies.append(wait_for(new_copy, 10, "the second view on the clipboard"))
    seconds = time.monotonic() - first_sent
    turned = twist_degrees(copies[1]) - twist_degrees(copies[0])
    log("turned %.1f degrees in at most %.2f s" % (turned, seconds))
    check(turned <= REFRESH_HZ * seconds + PACE_MARGIN_DEGREES,
          "the figure turned %.1f degrees in %.2f s: faster than %d Hz" % (turned, seconds, REFRESH_HZ))
    check(turned >= 20, "the figure turned only %.1f degrees in %.2f s" % (turned, seconds))

    program.key(wid, "plus")
    wid = wait_for(lambda: window_of_size(program, (800, 600)), 15, "an 800x600 window after + from 700x500")
    program.key(wid, "Escape")
    check(program.wait_exit(15) == 0, "Esc did not end the viewer with 0")


SCENARIOS = {
    "command_lines": command_lines,
    "windowed_paced": windowed_paced,
    "start_answered_no": start_answered_no,
    "view_copied": view_copied,
    "quick_taps": quick_taps,
    "focus_releases": focus_releases,
    "signals": signals,
}


def main():
    return scenarios_main("native", SCENARIOS,
                          lambda name, work: XServer(1024, 768, os.path.join(work, "xvfb.log")))


if __name__ == "__main__":
    sys.exit(main())
