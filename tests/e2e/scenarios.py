"""End-to-end scenarios of polytree.exe, one CTest test per scenario.

By hand, from the repository's root, after the prefixes exist
(python3 -B -m tests.e2e.wine --root DIR 640x480 1024x768 1280x1024):
  python3 -B -m tests.e2e.scenarios --exe build/windows/polytree.exe \\
      --prefix-root DIR --work /tmp/e2e-work startup
"""

import os
import sys
import time

from .figure import assert_animates, figure_picture
from .polytree import (CAPTION, CLOSE_NOTICE, DISPLAY_ROWS, ERROR_CAPTION, FALLBACK_CAPTION, FALLBACK_QUESTION,
                       HELP_CAPTION, START_CAPTION, START_QUESTION)
from .wine import Session, main_for
from .x11 import Failure, OtherClient, check, log, poll, send_delete_window, wait_for

# Screen sizes, each with its own prefix. Full screen at 640x480 is accepted
# only on the 640x480 screen; the 1280x1024 screen has room for the framed
# 1024x768 window of the largest row.
SMALL = (640, 480)
MEDIUM = (1024, 768)
LARGE = (1280, 1024)

DEFAULT_TRUNKS, DEFAULT_LEAVES = 1093, 2187
BROWN_GL = (0.7, 0.5, 0.3)
GREEN_GL = (0.0, 1.0, 0.0)


def session(exe, prefix, size, work):
    return Session(exe, prefix, size[0], size[1], work)


# --------------------------------------------------------------------------
# Shared checks


def start_windowed(viewer):
    """Answers No to the start-up question; returns the viewer window."""
    question = viewer.wait_window(START_CAPTION)
    viewer.key(question, "n")
    viewer.wait_window_gone(question)
    return viewer.wait_window(CAPTION)


def assert_still(viewer, wid, settle_timeout=6):
    """The picture stops changing: three screenshots in a row, taken at
    irregular intervals, are identical. A still figure can come from a pause
    or from a blocked main loop; an animated one almost never matches itself
    three times in a row by chance."""
    def probe():
        shots = []
        for pause in (0.0, 0.35, 0.6):
            time.sleep(pause)
            shots.append(viewer.screenshot(wid).rgb)
        return shots[0] if shots[0] == shots[1] == shots[2] else None
    return wait_for(probe, settle_timeout, "the picture to stand still", interval=0.1)


WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_THICKFRAME = 0x00040000


def check_windowed(viewer, wid, size, trimmed=False):
    """A windowed opening of the row of the given size.

    Without a window manager Wine's X window is the client area, and the
    frame that the program created is only in the +win trace: it must start
    at the screen's top left, have a caption with a close box, and be the
    client size grown by the frame's insets, which are the client's offset
    from the screen's corner (left, right and bottom edges being equal).
    trimmed: the screen is too small for the frame, and Wine has cut the
    client's height; the program's request must still be the row's.
    """
    info = settled_geometry(viewer, wid, size)
    if trimmed:
        check(info.width == size[0] and size[1] - 40 <= info.height <= size[1],
              "client is %dx%d, expected %d wide and about %d high" % (info.width, info.height, size[0], size[1]))
    else:
        check(info.size == size,
              "client is %dx%d, expected %dx%d" % (info.width, info.height, size[0], size[1]))
    frame = viewer.last_creation()
    left, top = info.x, info.y
    check(0 < left <= 16 and left < top <= 48,
          "client at (%d, %d): not at the insets of a frame at the screen's top left" % (left, top))
    check((frame.x, frame.y) == (0, 0), "%r: the frame is not at the screen's top left" % frame)
    check(frame.style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME) == WS_CAPTION | WS_SYSMENU | WS_THICKFRAME
          and not frame.style & WS_POPUP, "%r: not a framed window with a close box" % frame)
    check((frame.width, frame.height) == (size[0] + 2 * left, size[1] + top + left),
          "%r: not a %dx%d client inside a frame with the insets (%d, %d)" % (frame, size[0], size[1], left, top))
    return info


def check_fullscreen(viewer, wid, size):
    """A full-screen opening: a popup without a frame covering the screen."""
    info = settled_geometry(viewer, wid, size)
    frame = viewer.last_creation()
    check((info.x, info.y, info.width, info.height) == (0, 0) + size,
          "full-screen client is %r, expected %dx%d at 0,0" % (info, size[0], size[1]))
    check(frame.style & WS_POPUP and not frame.style & (WS_CAPTION | WS_THICKFRAME),
          "%r: the full-screen window has a frame" % frame)
    check((frame.x, frame.y, frame.width, frame.height) == (0, 0) + size,
          "%r: expected 0,0 %dx%d" % (frame, size[0], size[1]))
    return info


def new_window(viewer, old_wid, timeout=20):
    """After a reopen: the viewer's new window (a new X window each time)."""
    def probe():
        viewer.assert_alive("while waiting for the reopened window")
        fresh = [w for w in viewer.find_windows(CAPTION) if w != old_wid]
        return fresh[-1] if fresh else None
    wid = wait_for(probe, timeout, "the reopened viewer window", interval=0.2)
    viewer.wait_window_gone(old_wid)
    return wid


def settled_window_count(viewer, timeout=15):
    """The number of X windows on the screen once it has held still for a
    second: a closed window's X window can linger for a while."""
    counts = []

    def probe():
        counts.append(viewer.x_window_count())
        return counts[-1] if len(counts) >= 5 and len(set(counts[-5:])) == 1 else None
    return wait_for(probe, timeout, "the number of X windows to settle", interval=0.25)


def wait_window_count(viewer, expected, timeout=15):
    """Waits for the screen's X windows to come back to expected."""
    counts = []

    def probe():
        counts.append(viewer.x_window_count())
        return counts[-1] == expected
    if not poll(probe, timeout, interval=0.25):
        raise Failure("%d X windows on the screen %.0f s after the last reopening, %d before the first"
                      % (counts[-1], timeout, expected))


def settled_geometry(viewer, wid, expected, timeout=3):
    """Geometry once it equals expected, or whatever it is after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        info = viewer.geometry(wid)
        if info.size == expected or time.monotonic() >= deadline:
            return info
        time.sleep(0.1)


def quit_with_escape(viewer, wid):
    viewer.key(wid, "Escape")
    code = viewer.wait_exit(20)
    check(code == 0, "Esc quit with exit code %d, expected 0" % code)


# --------------------------------------------------------------------------
# Scenarios


def caption_bytes_in(exe):
    """The caption is kept scrambled in the program's data: byte i XOR (i + 28).
    It stands in plain text nowhere, neither as ASCII nor as UTF-16, the form
    in which the version resource keeps its texts."""
    with open(exe, "rb") as f:
        image = f.read()
    plain = CAPTION.encode("ascii").ljust(35, b"\0")
    scrambled = bytes(c ^ (i + 28) for i, c in enumerate(plain))
    check(CAPTION.encode("ascii") not in image, "the caption stands in plain text in the program")
    check(CAPTION.encode("utf-16-le") not in image, "the caption stands in plain UTF-16 text in the program")
    check(image.count(scrambled) == 1, "the scrambled caption is not in the program's data")


def check_manifest_activation(viewer):
    """Wine built the process's activation context from the manifest embedded
    in the program (+actctx): its identity, Common Controls 6 found among
    Wine's side-by-side assemblies, and the DPI awareness read. Wine shows
    neither the controls' look nor DPI scaling; tests/release checks the
    manifest's full text."""
    activation = viewer.manifest_activation()
    check(activation is not None and activation.identity is not None,
          "Wine found no manifest in the program (+actctx trace)")
    log("manifest: %r" % activation)
    check(activation.identity[0] == "PolyTree.polytree",
          "the manifest's assembly is not PolyTree's: %r" % (activation.identity,))
    check(activation.dependencies == [("Microsoft.Windows.Common-Controls", "6.0.0.0")],
          "the manifest's dependencies: %r" % activation.dependencies)
    check(any(name.startswith("amd64_microsoft.windows.common-controls_6595b64144ccf1df_6.")
              for name in activation.resolved),
          "Common Controls 6 was not found for the manifest: %r" % activation.resolved)
    check(activation.settings.get("dpiAwareness") == "system" and activation.settings.get("dpiAware") == "true",
          "the manifest's DPI settings as Wine read them: %r" % activation.settings)


def startup(exe, prefix, screen, work):
    """Start-up question, the windowed opening, the picture, Esc and the close box."""
    caption_bytes_in(exe)
    with session(exe, prefix, screen, work) as s:
        with s.viewer("esc", debug="-all,+msgbox,+win,+actctx") as v:
            question = v.wait_window(START_CAPTION)
            check_manifest_activation(v)
            wait_for(lambda: v.msgbox_texts(), 10, "the start-up question in the message-box trace")
            check(v.msgbox_texts() == [START_QUESTION], "message boxes shown: %r" % v.msgbox_texts())
            check(not v.find_windows(CAPTION), "the viewer window is up before the question was answered")
            v.key(question, "n")
            v.wait_window_gone(question)
            wid = v.wait_window(CAPTION)
            check_windowed(v, wid, DISPLAY_ROWS[2])
            picture = figure_picture(v, wid)
            picture.save_png(os.path.join(work, "startup.png"))
            quit_with_escape(v, wid)
            check(v.msgbox_texts() == [START_QUESTION], "message boxes shown: %r" % v.msgbox_texts())

        with s.viewer("close-box") as v:
            wid = start_windowed(v)
            figure_picture(v, wid)
            # A window manager's close box: WM_DELETE_WINDOW, which Wine turns
            # into SC_CLOSE and so into WM_CLOSE.
            send_delete_window(s.screen.name, wid)
            code = v.wait_exit(20)
            check(code == 0, "the close box quit with exit code %d, expected 0" % code)


def fullscreen_refused(exe, prefix, screen, work):
    """Yes on a screen that refuses 640x480: the fallback question both ways,
    at start and on F12."""
    with session(exe, prefix, screen, work) as s:
        with s.viewer("fallback-yes", debug="-all,+msgbox,+win") as v:
            v.answer(START_CAPTION, "y")
            fallback = v.wait_window(FALLBACK_CAPTION)
            check(v.msgbox_texts() == [START_QUESTION, FALLBACK_QUESTION],
                  "message boxes shown: %r" % v.msgbox_texts())
            v.key(fallback, "y")
            v.wait_window_gone(fallback)
            wid = v.wait_window(CAPTION)
            check_windowed(v, wid, DISPLAY_ROWS[2])
            figure_picture(v, wid)

            # Taking the window instead leaves full screen off, so F12 asks
            # for it again: Yes keeps a window, No ends the program.
            v.key(wid, "F12")
            v.answer(FALLBACK_CAPTION, "y")
            wid = new_window(v, wid)
            check_windowed(v, wid, DISPLAY_ROWS[2])
            figure_picture(v, wid)
            check(v.msgbox_texts() == [START_QUESTION] + [FALLBACK_QUESTION] * 2,
                  "message boxes shown: %r" % v.msgbox_texts())
            v.key(wid, "F12")
            v.answer(FALLBACK_CAPTION, "n")
            notice = v.wait_window(ERROR_CAPTION)
            check(v.msgbox_texts() == [START_QUESTION] + [FALLBACK_QUESTION] * 3 + [CLOSE_NOTICE],
                  "message boxes shown: %r" % v.msgbox_texts())
            v.key(notice, "Return")
            code = v.wait_exit(20)
            check(code == 1, "refusing windowed mode on F12 exited with %d, expected 1" % code)

        with s.viewer("fallback-no", debug="-all,+msgbox") as v:
            v.answer(START_CAPTION, "y")
            v.answer(FALLBACK_CAPTION, "n")
            notice = v.wait_window(ERROR_CAPTION)
            check(v.msgbox_texts() == [START_QUESTION, FALLBACK_QUESTION, CLOSE_NOTICE],
                  "message boxes shown: %r" % v.msgbox_texts())
            check(not v.find_windows(CAPTION), "a viewer window is up although the program is closing")
            v.key(notice, "Return")
            code = v.wait_exit(20)
            check(code == 1, "refusing windowed mode exited with %d, expected 1" % code)


def fullscreen_accepted(exe, prefix, screen, work):
    """Yes where 640x480 is accepted; F12 to a window and back."""
    with session(exe, prefix, screen, work) as s:
        with s.viewer("fullscreen", debug="-all,+msgbox,+win") as v:
            v.answer(START_CAPTION, "y")
            wid = v.wait_window(CAPTION)
            check_fullscreen(v, wid, DISPLAY_ROWS[2])
            figure_picture(v, wid)

            v.key(wid, "F12")
            wid = new_window(v, wid)
            # The framed 640x480 window is taller than this 640x480 screen, so
            # Wine trims the client's height to what fits.
            check_windowed(v, wid, DISPLAY_ROWS[2], trimmed=True)
            figure_picture(v, wid)

            v.key(wid, "F12")
            wid = new_window(v, wid)
            check_fullscreen(v, wid, DISPLAY_ROWS[2])
            figure_picture(v, wid)
            check(v.msgbox_texts() == [START_QUESTION], "message boxes shown: %r" % v.msgbox_texts())
            quit_with_escape(v, wid)


OPTION_RUNS = [
    # words, client size, (trunks, leaves) per frame or None
    (["B5", "L4", "G4"], (800, 600), (156, 625)),
    (["G1"], (128, 128), None),
    (["X9"], (640, 480), (DEFAULT_TRUNKS, DEFAULT_LEAVES)),
]


def options(exe, prefix, screen, work):
    """Command-line words: branches, levels, display row, ignored words, huge levels."""
    with session(exe, prefix, screen, work) as s:
        for words, size, segments in OPTION_RUNS:
            name = "options-" + "-".join(words)
            debug = "-all,+win,+opengl" if segments else "-all,+win"
            with s.viewer(name, words, debug) as v:
                wid = start_windowed(v)
                check_windowed(v, wid, size)
                if segments:
                    frames = v.trace.wait_frames(3, 30)
                    for frame in frames:
                        counts = (frame.count(BROWN_GL), frame.count(GREEN_GL))
                        check(counts == segments and sum(frame.colours.values()) == sum(segments),
                              "%s: a frame has %r, expected %d brown and %d green segments"
                              % (" ".join(words), frame.colours, segments[0], segments[1]))
                        check(frame.vertices == 2 * sum(segments), "%s: %d vertices in a frame"
                              % (" ".join(words), frame.vertices))
                else:
                    figure_picture(v, wid)
                quit_with_escape(v, wid)
                if segments:
                    os.remove(v.stderr_path)  # a few hundred MB of trace; passed

        # Forty levels of three branches are far past what a frame can draw;
        # the program bounds them, so it still draws and still takes Esc,
        # though a tap is far shorter than one of its frames.
        with s.viewer("options-L40", ["L40"]) as v:
            wid = start_windowed(v)
            figure_picture(v, wid, timeout=60)
            started = time.monotonic()
            quit_with_escape(v, wid)
            log("L40: quit %.1f s after the Esc tap" % (time.monotonic() - started))


# The display rows visited by the plus and minus keys, from the start row 2.
MODE_WALK = [
    ("KP_Add", 3), ("KP_Add", 4), ("KP_Add", 0), ("KP_Add", 1), ("KP_Add", 2),
    ("minus", 1), ("minus", 0), ("minus", 4),
    ("plus", 0),
    ("KP_Subtract", 4),
]


HELP_CLOSERS = [
    ("Enter", lambda v, box: v.key(box, "Return")),
    ("Esc", lambda v, box: v.key(box, "Escape")),
    ("the close box", lambda v, box: send_delete_window(v.screen.name, box)),
]


def keys_display(exe, prefix, screen, work):
    """Space, the display-row keys and the help box."""
    with session(exe, prefix, screen, work) as s:
        with s.viewer("keys-display", debug="-all,+win") as v:
            wid = start_windowed(v)
            check_windowed(v, wid, DISPLAY_ROWS[2])
            figure_picture(v, wid)

            # Pause and resume.
            assert_animates(v, wid)
            v.key(wid, "space")
            frozen = assert_still(v, wid)
            v.key(wid, "space")
            wait_for(lambda: v.screenshot(wid).rgb != frozen, 8, "the picture to move again after Space",
                     interval=0.25)

            # The help box stops the drawing while it is open; each way of
            # closing it gives the drawing back, and none ends the viewer.
            for closing, close in HELP_CLOSERS:
                v.key(wid, "F1")
                help_box = v.wait_window(HELP_CAPTION)
                assert_still(v, wid)
                close(v, help_box)
                v.wait_window_gone(help_box)
                assert_animates(v, wid)
                v.assert_alive("after closing the help box with %s" % closing)
                check(v.find_windows(CAPTION) == [wid], "the viewer window changed behind the help box")

            # The display rows, both ways, with both sets of plus and minus keys.
            row = 2
            for key, expected_row in MODE_WALK:
                v.key(wid, key)
                wid = new_window(v, wid)
                size = DISPLAY_ROWS[expected_row]
                info = settled_geometry(v, wid, size)
                check(info.size == size, "%s from row %d: client %dx%d, expected row %d (%dx%d)"
                      % (key, row, info.width, info.height, expected_row, size[0], size[1]))
                check_windowed(v, wid, size)  # and the frame around it
                figure_picture(v, wid)
                row = expected_row
            quit_with_escape(v, wid)


STEP = 0.05

# Held keys that move the camera while pitch and yaw are 0: (key, index of
# the glTranslatef argument that changes, change per frame).
MOVES = [
    ("Home", 2, +STEP),
    ("End", 2, -STEP),
    ("Delete", 0, +STEP),
    ("Next", 0, -STEP),
    ("a", 1, -STEP),
    ("z", 1, +STEP),
]


# Left-button drags in client pixels and the (pitch, yaw) change each gives.
DRAGS = [
    ((300, 200), (300, 210), (5.0, 0.0)),
    ((300, 210), (290, 210), (0.0, -5.0)),
]

NAMES = ["pitch", "yaw", "x", "y", "z"]


def camera_values(frame):
    return (frame.pitch, frame.yaw) + tuple(frame.camera)


def check_steps(key, frames, index, step, wrap=None):
    """Between consecutive frames only value index may change, and only by
    step (or not at all: a pass without the key). wrap=(limit, turn): past
    limit the value is brought back by adding turn. Returns the wraps seen."""
    values = [camera_values(f) for f in frames]
    moved = 0
    wraps = []
    for before, after in zip(values, values[1:]):
        for i, (a, b) in enumerate(zip(before, after)):
            if i != index:
                check(abs(a - b) < 1e-4, "%s changed %s from %r to %r" % (key, NAMES[i], a, b))
        a, b = before[index], after[index]
        if abs(b - a) < 1e-4:
            continue
        moved += 1
        if wrap is not None and abs(b - (a + step + wrap[1])) < 1e-4:
            wraps.append((a, b))
            continue
        check(abs(b - (a + step)) < 1e-4, "%s took %s from %r to %r in one frame, expected a step of %r"
              % (key, NAMES[index], a, b, step))
    check(moved >= 5, "%s moved %s in only %d frames" % (key, NAMES[index], moved))
    if wrap is not None:
        limit, turn = wrap
        expected = (limit, limit + step + turn)
        check(all(w == expected for w in wraps), "%s wrapped %s as %r, expected %r -> %r"
              % (key, NAMES[index], wraps, expected[0], expected[1]))
    return wraps


def hold_and_trace(v, wid, key, until, timeout=30):
    """Holds key until until(frames so far) holds, releases it, waits until
    the camera stands still again and returns the frames of the whole move."""
    start = len(v.trace.frames)
    v.trace.poll()
    start = max(start, len(v.trace.frames) - 1)

    def reached():
        v.trace.poll()
        return until(v.trace.frames[start:])
    v.hold(wid, key, reached, timeout, "%s to act in the GL trace" % key)
    settled_camera(v)
    return v.trace.frames[start:]


def settled_camera(v):
    """The latest frame once four frames in a row show the same camera."""
    def settled():
        v.trace.poll()
        tail = v.trace.frames[-4:]
        return tail[-1] if len(tail) == 4 and len({camera_values(f) for f in tail}) == 1 else None
    return wait_for(settled, 15, "the camera to stand still", interval=0.2)


def keys_camera(exe, prefix, screen, work):
    """Held navigation keys and a mouse drag, read from the GL trace."""
    with session(exe, prefix, screen, work) as s:
        # One level keeps the trace small and the frames fast.
        with s.viewer("keys-camera", ["L1"], "-all,+opengl") as v:
            v.trace.camera_only()
            wid = start_windowed(v)
            first = v.trace.wait_frames(2, 30)[-1]
            check(camera_values(first) == (0.0, 0.0, 0.0, 0.0, -3.5),
                  "start camera is %r, expected pitch 0, yaw 0 at (0, 0, -3.5)" % (camera_values(first),))
            # Pitch turns about x first, yaw about y second: the order the
            # table of moves below relies on.
            check([r[1:] for r in first.rotations] == [(1.0, 0.0, 0.0), (0.0, 1.0, 0.0)]
                  and len(first.translations) == 1,
                  "a frame turns by %r and moves by %r" % (first.rotations, first.translations))

            for key, axis, step in MOVES:
                index = 2 + axis
                origin = camera_values(v.trace.latest())[index]
                frames = hold_and_trace(v, wid, key, lambda fs: bool(fs) and abs(
                    camera_values(fs[-1])[index] - origin) >= 8 * STEP - 1e-4)
                check_steps(key, frames, index, step)
                log("%s: %d frames" % (key, len(frames)))

            # Right and Left past a full turn: yaw is brought back by 360 once
            # it leaves -360..360.
            for key, step, limit in (("Right", 1.0, 360.0), ("Left", -1.0, -360.0)):
                frames = hold_and_trace(v, wid, key, lambda fs: any(
                    (b.yaw - a.yaw) * step < 0 for a, b in zip(fs, fs[1:])))
                wraps = check_steps(key, frames, 1, step, (limit, -limit))
                check(wraps, "%s never brought yaw back by a full turn" % key)
                log("%s: %d frames" % (key, len(frames)))

            # Up and Down stop at exactly +-90 degrees.
            for key, step, limit in (("Down", -1.0, -90.0), ("Up", 1.0, 90.0)):
                frames = hold_and_trace(v, wid, key, lambda fs: sum(f.pitch == limit for f in fs) >= 5)
                check_steps(key, frames, 0, step)
                log("%s: %d frames" % (key, len(frames)))
                check(frames[-1].pitch == limit, "%s left pitch at %r, expected %r" % (key, frames[-1].pitch,
                                                                                        limit))

            # The mouse is not clamped: 10 px down from pitch 90 gives 95;
            # 10 px to the left turns yaw back by 5.
            for start, end, turn in DRAGS:
                before = settled_camera(v)
                v.drag(wid, start, end)
                v.trace.wait_until(lambda f: (f.pitch, f.yaw) != (before.pitch, before.yaw), 15,
                                   "the drag from %r to %r in the GL trace" % (start, end))
                after = settled_camera(v)
                expected = (before.pitch + turn[0], before.yaw + turn[1])
                check((after.pitch, after.yaw) == expected and after.camera == before.camera,
                      "drag %r -> %r: pitch, yaw %r -> %r, expected %r" % (
                          start, end, (before.pitch, before.yaw), (after.pitch, after.yaw), expected))
            quit_with_escape(v, wid)
            os.remove(v.stderr_path)


# Slow frames: with llvmpipe B3 L12 draws about five a second, so the press
# and the release of a tap (about 12 ms apart) arrive within one frame.
SLOW = ["B3", "L12"]
# Taps per key; the figures of a fuller run come from raising it.
TAP_ROUNDS = int(os.environ.get("POLYTREE_E2E_TAP_ROUNDS", "2"))
STUCK_ROUNDS = int(os.environ.get("POLYTREE_E2E_STUCK_ROUNDS", "6"))
# How long a tap's effect may take to show; a lost tap never shows one.
ACT_TIMEOUT = 6


class Tally:
    """Taps acted on per key. A lost tap is counted rather than failed at
    once, so that one run gives the whole figure."""

    def __init__(self):
        self.counts = {}

    def note(self, key, acted):
        done, total = self.counts.get(key, (0, 0))
        self.counts[key] = (done + bool(acted), total + 1)
        if not acted:
            log("%s: tap lost" % key)

    def check(self):
        for key, (done, total) in sorted(self.counts.items()):
            log("%s: %d of %d taps acted on" % (key, done, total))
        lost = ["%s %d of %d" % (k, t - d, t) for k, (d, t) in sorted(self.counts.items()) if d < t]
        check(not lost, "taps lost: %s" % ", ".join(lost))


def frame_span(viewer, wid):
    """A time that holds several frames: the time the picture takes to change
    three times while animating, times two, and at least a second."""
    changes = 0
    started = time.monotonic()
    last = viewer.screenshot(wid).rgb
    while changes < 3:
        check(time.monotonic() - started < 20, "the figure does not animate")
        shot = viewer.screenshot(wid).rgb
        if shot != last:
            changes += 1
            last = shot
    period = (time.monotonic() - started) / 3
    log("%s: a frame every %.2f s or faster" % (viewer.name, period))
    return max(1.0, 6 * period)


def is_still(viewer, wid, span):
    """Three screenshots over span seconds have the same pixels."""
    first = viewer.screenshot(wid).rgb
    time.sleep(span * 0.4)
    second = viewer.screenshot(wid).rgb
    time.sleep(span * 0.6)
    return first == second == viewer.screenshot(wid).rgb


def is_moving(viewer, wid, span):
    first = viewer.screenshot(wid).rgb
    return poll(lambda: viewer.screenshot(wid).rgb != first, span, interval=0.05)


def tap_reopens(viewer, wid, key):
    """Taps a key that reopens the window; the new window once it is viewable
    and shows the figure, or None when nothing happened."""
    viewer.key(wid, key)
    fresh = poll(lambda: [w for w in viewer.find_windows(CAPTION) if w != wid], ACT_TIMEOUT, interval=0.2)
    if not fresh:
        return None
    viewer.wait_window_gone(wid)
    figure_picture(viewer, fresh[-1], timeout=60)
    return fresh[-1]


def tap_escape(viewer, wid, tally):
    viewer.key(wid, "Escape")
    code = poll(lambda: viewer.proc.poll() is not None, ACT_TIMEOUT) and viewer.wait_exit(5)
    tally.note("Esc", code is not None)
    check(code in (None, 0), "Esc quit with exit code %d, expected 0" % (code or 0))


def quick_taps(exe, prefix, screen, work):
    """Taps far shorter than a frame each act once: Space, F1, plus and minus
    and Esc; a key released in another window does not stay held."""
    tally = Tally()
    with session(exe, prefix, screen, work) as s:
        with s.viewer("taps", SLOW, debug="-all,+win") as v:
            wid = start_windowed(v)
            figure_picture(v, wid, timeout=60)
            span = frame_span(v, wid)

            paused = False
            for _ in range(TAP_ROUNDS):
                v.key(wid, "space")
                if poll(lambda: is_still(v, wid, span) if not paused else is_moving(v, wid, span), ACT_TIMEOUT):
                    paused = not paused
                    tally.note("Space", True)
                else:
                    tally.note("Space", False)

            for _ in range(TAP_ROUNDS):
                v.key(wid, "F1")
                box = poll(lambda: v.find_windows(HELP_CAPTION), ACT_TIMEOUT, interval=0.2)
                tally.note("F1", box)
                if box:
                    v.key(box[-1], "Return")
                    v.wait_window_gone(box[-1])

            row = 2
            for _ in range(TAP_ROUNDS):
                for key, step in (("plus", 1), ("minus", -1)):
                    fresh = tap_reopens(v, wid, key)
                    tally.note(key, fresh)
                    if fresh:
                        wid = fresh
                        row = (row + step) % len(DISPLAY_ROWS)
                        check_windowed(v, wid, DISPLAY_ROWS[row])
            tap_escape(v, wid, tally)

        with s.viewer("stuck-key", SLOW) as v:
            wid = start_windowed(v)
            figure_picture(v, wid, timeout=60)
            span = frame_span(v, wid)
            v.key(wid, "space")
            wait_for(lambda: is_still(v, wid, span), ACT_TIMEOUT * 2, "Space to pause the figure")
            with OtherClient(s.screen, os.path.join(work, "xlogo.log")) as other:
                stuck = 0
                for trial in range(STUCK_ROUNDS):
                    # Right goes down in the viewer, the focus goes to another
                    # client's window, as after a click elsewhere or Alt+Tab,
                    # and Right comes up there. The viewer stops turning as
                    # soon as it sees the focus go, and stays still after.
                    with v.holding(wid, "Right"):
                        still = v.screenshot(wid).rgb
                        wait_for(lambda: v.screenshot(wid).rgb != still, ACT_TIMEOUT,
                                 "held Right to turn the paused figure")
                        v.focus_elsewhere(other.wid)
                        released = poll(lambda: is_still(v, wid, span), ACT_TIMEOUT)
                    v.focus_back(wid)
                    if not (released and poll(lambda: is_still(v, wid, span), ACT_TIMEOUT)):
                        stuck += 1
                        log("stuck-key: trial %d: the figure goes on turning %s" % (
                            trial, "after Right came up" if released else "with the focus elsewhere"))
            log("stuck-key: Right stuck in %d of %d trials" % (stuck, STUCK_ROUNDS))
            check(stuck == 0, "Right stayed held after the focus went elsewhere in %d of %d trials"
                  % (stuck, STUCK_ROUNDS))
            tap_escape(v, wid, tally)

        for run in range(2, TAP_ROUNDS):
            with s.viewer("esc-%d" % run, SLOW) as v:
                wid = start_windowed(v)
                figure_picture(v, wid, timeout=60)
                tap_escape(v, wid, tally)
    tally.check()


def quick_taps_fullscreen(exe, prefix, screen, work):
    """F12 taps far shorter than a frame each toggle full screen once; back
    in full screen, the X windows are as many as before."""
    tally = Tally()
    with session(exe, prefix, screen, work) as s:
        with s.viewer("taps-F12", SLOW, debug="-all,+win") as v:
            v.answer(START_CAPTION, "y")
            wid = v.wait_window(CAPTION)
            figure_picture(v, wid, timeout=60)
            windows = settled_window_count(v)
            fullscreen = True
            for _ in range(TAP_ROUNDS):
                fresh = tap_reopens(v, wid, "F12")
                tally.note("F12", fresh)
                if fresh:
                    wid = fresh
                    fullscreen = not fullscreen
                    if fullscreen:
                        check_fullscreen(v, wid, DISPLAY_ROWS[2])
                    else:
                        check_windowed(v, wid, DISPLAY_ROWS[2], trimmed=True)
            if fullscreen:
                wait_window_count(v, windows)
            tap_escape(v, wid, tally)
    tally.check()


# Reopenings in a row of the reopen soak; scripts/soak.sh --reopen N sets
# more. The walk goes through rows 3, 2, 1, 2, all of which fit the screen
# with their frame.
SOAK_REOPENINGS = int(os.environ.get("POLYTREE_E2E_REOPENINGS", "60"))
SOAK_WALK = [("plus", 1), ("minus", -1), ("minus", -1), ("plus", 1)]
# Resident memory wanders by about 2 MB from one reopening to the next; a
# leak of 100 KB per reopening would add 5 MB over fifty.
RSS_SLACK_KB = 5 * 1024
RSS_BASE_REOPENING = 10


def soak_reopenings(viewer, wid, count, row=2):
    """count reopenings in a row by quick taps of the SOAK_WALK keys, each
    waited for until its new window shows the figure at the row's size.
    Returns the last window and the resident memory (KiB) after each
    reopening, first entry before any."""
    resident = [viewer.resident_kb()]
    started = time.monotonic()
    for n in range(1, count + 1):
        key, step = SOAK_WALK[(n - 1) % len(SOAK_WALK)]
        fresh = tap_reopens(viewer, wid, key)
        check(fresh, "reopening %d: the %s tap opened no new window" % (n, key))
        wid = fresh
        row = (row + step) % len(DISPLAY_ROWS)
        size = DISPLAY_ROWS[row]
        info = settled_geometry(viewer, wid, size)
        check(info.size == size, "reopening %d (%s): client %dx%d, expected row %d (%dx%d)"
              % (n, key, info.width, info.height, row, size[0], size[1]))
        resident.append(viewer.resident_kb())
        if n % 10 == 0 or n == count:
            log("%s: reopening %d: resident %.1f MB, %.2f s a reopening so far"
                % (viewer.name, n, resident[-1] / 1024, (time.monotonic() - started) / n))
    return wid, resident


def check_flat_memory(resident):
    base = resident[min(RSS_BASE_REOPENING, len(resident) - 1)]
    check(resident[-1] <= base + RSS_SLACK_KB,
          "resident memory grew from %.1f MB after reopening %d to %.1f MB after reopening %d"
          % (base / 1024, RSS_BASE_REOPENING, resident[-1] / 1024, len(resident) - 1))


def reopen_soak(exe, prefix, screen, work):
    """Many display-row changes in a row by quick plus and minus taps: each
    gives a new window with the figure, resident memory stays flat, the X
    windows come back to their number, and Esc still quits with 0."""
    with session(exe, prefix, screen, work) as s:
        with s.viewer("reopen-soak") as v:
            wid = start_windowed(v)
            figure_picture(v, wid)
            windows = settled_window_count(v)
            wid, resident = soak_reopenings(v, wid, SOAK_REOPENINGS)
            marks = sorted(set(range(0, len(resident), 10)) | {len(resident) - 1})
            log("reopen-soak: resident memory (MB) before the first and after every tenth reopening: %s"
                % ", ".join("%d: %.1f" % (n, resident[n] / 1024) for n in marks))
            later = resident[RSS_BASE_REOPENING:] or resident
            log("reopen-soak: from reopening %d on: lowest %.1f MB, highest %.1f MB"
                % (RSS_BASE_REOPENING, min(later) / 1024, max(later) / 1024))
            check_flat_memory(resident)
            wait_window_count(v, windows)
            log("reopen-soak: %d X windows on the screen before the first reopening and after the last" % windows)
            quit_with_escape(v, wid)


SCENARIOS = {
    "startup": (startup, MEDIUM),
    "fullscreen_refused": (fullscreen_refused, MEDIUM),
    "fullscreen_accepted": (fullscreen_accepted, SMALL),
    "options": (options, MEDIUM),
    "keys_display": (keys_display, LARGE),
    "keys_camera": (keys_camera, LARGE),
    "quick_taps": (quick_taps, LARGE),
    "quick_taps_fullscreen": (quick_taps_fullscreen, SMALL),
    "reopen_soak": (reopen_soak, MEDIUM),
}

if __name__ == "__main__":
    sys.exit(main_for(SCENARIOS))
