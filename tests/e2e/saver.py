"""End-to-end scenarios of the screen saver polytree.scr, started as Windows
starts it, one CTest test per scenario.

By hand, from the repository's root, after the prefixes exist:
  python3 -B -m tests.e2e.saver --exe build/windows/polytree.scr \\
      --prefix-root DIR --work /tmp/e2e-work saver_full_screen
"""

import sys

from .figure import assert_animates, figure_picture
from .wine import Session, main_for
from .x11 import check, log, poll

MEDIUM = (1024, 768)
SAVER_TITLE = "PolyTree"
# Further than this on either axis from the first position counts as the
# user's move; a jitter within it does not.
MOUSE_SLACK = 8


def full_screen(saver, size):
    """The saver's window, once it covers the screen and shows the figure."""
    wid = saver.wait_window(SAVER_TITLE)
    info = saver.geometry(wid)
    check((info.x, info.y, info.width, info.height) == (0, 0) + size,
          "the saver's window is %dx%d at (%d, %d), not the whole %dx%d screen"
          % (info.width, info.height, info.x, info.y, size[0], size[1]))
    figure_picture(saver, wid)
    return wid


def check_stays(saver, seconds, what):
    """The saver is still running after seconds (it would have quit at once)."""
    ended = poll(lambda: not saver.running(), seconds)
    check(not ended, "the saver ended (code %s) after %s" % (saver.proc.returncode, what))


def saver_full_screen(exe, prefix, size, work):
    centre = (size[0] // 2, size[1] // 2)
    with Session(exe, prefix, size[0], size[1], work) as s:
        s.screen.move_pointer(*centre)
        with s.viewer("saver", ["/s"]) as saver:
            wid = full_screen(saver, size)

            # Windows starts the saver again while it runs: the second one
            # leaves at once and the first goes on. Not ended as a viewer is
            # (that stops the prefix's wineserver, the first saver with it);
            # the session's end takes it down if it hangs.
            second = s.viewer("second", ["/S"])
            check(second.wait_exit(15) == 0, "a second /s did not exit with 0")
            check(len(saver.find_windows(SAVER_TITLE)) == 1, "more than one saver window")
            saver.assert_alive("after a second /s")

            # A hand resting on the mouse: moves within the slack of the
            # first position.
            for dx, dy in ((4, -4), (-MOUSE_SLACK, MOUSE_SLACK), (MOUSE_SLACK, 0), (0, 0)):
                s.screen.move_pointer(centre[0] + dx, centre[1] + dy)
            check_stays(saver, 1.0, "a jitter of at most %d pixels" % MOUSE_SLACK)
            assert_animates(saver, wid)

            s.screen.move_pointer(centre[0] + 30, centre[1])
            check(saver.wait_exit(5) == 0, "the saver did not end with 0 after a 30-pixel move")
            saver.wait_window_gone(wid)


def saver_quit_input(exe, prefix, size, work):
    with Session(exe, prefix, size[0], size[1], work) as s:
        with s.viewer("key", ["/s"]) as saver:
            wid = full_screen(saver, size)
            saver.key(wid, "a")
            check(saver.wait_exit(5) == 0, "the saver did not end with 0 after a key tap")
            saver.wait_window_gone(wid)
        with s.viewer("click", ["/s"]) as saver:
            wid = full_screen(saver, size)
            s.screen.tool("xdotool", "click", "1")
            check(saver.wait_exit(5) == 0, "the saver did not end with 0 after a click")
            saver.wait_window_gone(wid)


def saver_arguments(exe, prefix, size, work):
    with Session(exe, prefix, size[0], size[1], work) as s:
        for args, code in ((["/a"], 0), (["/p"], 2), (["/p", "12ab"], 2), (["-P:0"], 2)):
            with s.viewer("quiet", args) as saver:
                check(saver.wait_exit(15) == code, "%s did not exit with %d" % (" ".join(args), code))
                check(not saver.find_windows(SAVER_TITLE), "%s left a window or a box" % " ".join(args))
        with s.viewer("unknown", ["/x"], debug="+msgbox") as saver:
            saver.answer(SAVER_TITLE, "Return")
            check(saver.wait_exit(15) == 2, "/x did not exit with 2")
            texts = saver.msgbox_texts()
            check(len(texts) == 1 and '"/x"' in texts[0] and "/p HWND" in texts[0] and "/c:HWND" in texts[0],
                  "the box does not name the argument and the forms: %r" % texts)
            log("saver-arguments: the box said %r" % texts[0])


SCENARIOS = {
    "saver_full_screen": (saver_full_screen, MEDIUM),
    "saver_quit_input": (saver_quit_input, MEDIUM),
    "saver_arguments": (saver_arguments, MEDIUM),
}

if __name__ == "__main__":
    sys.exit(main_for(SCENARIOS))
