"""End-to-end scenarios of the screen saver polytree.scr, started as Windows
starts it, one CTest test per scenario.

By hand, from the repository's root, after the prefixes exist:
  python3 -B -m tests.e2e.saver --exe build/windows/polytree.scr \\
      --prefix-root DIR --work /tmp/e2e-work saver_full_screen
"""

import os
import re
import signal
import subprocess
import sys
import time

from .figure import assert_animates, figure_picture
from .wine import Session, main_for, stop_wineserver, wine_env
from .x11 import check, log, poll, session_process, wait_for

MEDIUM = (1024, 768)
# Two X screens joined by Xinerama, which Wine reports as two monitors, both
# at 0,0 (facts.md): this size's prefix is the two-monitor scenario's alone.
TWO_MONITORS = (800, 600)
SECOND_MONITOR = (640, 480)
SAVER_TITLE = "PolyTree"
# Further than this on either axis from the first position counts as the
# user's move; a jitter within it does not.
MOUSE_SLACK = 8
DEFAULT_SEGMENTS = 3280  # B3 L7

# The Control Panel's part in the preview, played by a test program of the
# windows build (tests/saver/preview_host.cpp).
HOST_TITLE = "PolyTree preview host"
HOST_CLIENT = (320, 240)


def windows_path(path):
    """The path as a Windows program under Wine names it (drive Z: is /)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def printed(client, pattern, timeout):
    """The first line the client printed that matches pattern, once there."""
    def probe():
        with open(client.stdout_path, "rb") as f:
            m = re.search(pattern, f.read().decode(errors="replace").replace("\r", ""), re.M)
        if m is None:
            client.assert_alive("before printing %r" % pattern)
        return m
    return wait_for(probe, timeout, "%s to print %r" % (client.name, pattern), interval=0.2)


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
        check(s.screen.cursor_shows(), "no cursor shows on the bare screen: the check below means nothing")
        with s.viewer("saver", ["/s"]) as saver:
            wid = full_screen(saver, size)
            wait_for(lambda: not s.screen.cursor_shows(), 5, "the cursor to go over the saver")

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


SETTINGS_CAPTION = "PolyTree screen saver settings"
SETTINGS_KEY = r"HKCU\Software\PolyTree\Screen Saver"


def wine_reg(session, *args, check_rc=True):
    """wine reg with the session's prefix; its output as text. The output
    goes through a file: a wineserver started by it would hold a pipe open."""
    env = wine_env(session.prefix, session.screen.env)
    path = os.path.join(session.work_dir, "reg.out.log")
    with open(path, "wb") as out:
        code = subprocess.run(["wine", "reg"] + list(args), env=env, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=subprocess.STDOUT, timeout=60).returncode
    with open(path, "rb") as f:
        text = f.read().decode(errors="replace").replace("\r", "")
    check(code == 0 or not check_rc, "wine reg %s failed (%d): %s" % (" ".join(args), code, text))
    return text


def stored_settings(session):
    """The saver's values as wine reg query lists them: {name: (type, value)}."""
    out = wine_reg(session, "query", SETTINGS_KEY, check_rc=False)
    return {m.group(1): (m.group(2), m.group(3))
            for m in re.finditer(r"^\s+(\S+)\s+(REG_\w+)\s+(\S+)\s*$", out, re.M)}


_VIEWPORT = re.compile(rb"trace:opengl:glViewport\D*(\d+)\D+(\d+)\D+(\d+)\D+(\d+)")


def traced_viewports(saver):
    with open(saver.stderr_path, "rb") as f:
        return {tuple(int(v) for v in m.groups()) for m in _VIEWPORT.finditer(f.read())}


def saver_preview(exe, prefix, size, work):
    with Session(exe, prefix, size[0], size[1], work) as s:
        # Another scenario may have stored settings in the prefix.
        wine_reg(s, "delete", SETTINGS_KEY, "/f", check_rc=False)
        # The saver inherits the host's Wine debug channels: its GL calls are
        # in the host's trace.
        with s.viewer("host", [windows_path(exe)], exe=host_exe(exe), debug="+opengl") as host:
            found = printed(host, r"^(child (\d+)x(\d+) of (\d+)x(\d+)|children \d+)$", 30)
            check(found.group(2) is not None, "the saver did not make exactly one child: %s" % found.group(1))
            child = (int(found.group(2)), int(found.group(3)))
            client = (int(found.group(4)), int(found.group(5)))
            check(client == HOST_CLIENT and child == client,
                  "the preview is %dx%d in a %dx%d client, not the client's size" % (child + client))

            # Drawn into. Wine draws a GL child of another process's window
            # in an X window of its own, off the screen (a child of a 1x1
            # window at -1,-1): a screenshot of the host shows black, so the
            # GL trace tells. Every frame is the whole default figure in one
            # viewport of the child's size.
            frames = host.trace.wait_frames(3, 20, "frames of the preview in the GL trace")
            check(all(frame.vertices == 2 * DEFAULT_SEGMENTS for frame in frames),
                  "preview frames of %s vertices, not the %d of B3 L7"
                  % ([frame.vertices for frame in frames], 2 * DEFAULT_SEGMENTS))
            viewports = traced_viewports(host)
            check(viewports == {(0, 0) + child}, "viewports other than the preview's: %s" % sorted(viewports))
            wid = host.wait_window(HOST_TITLE)

            host.key(wid, "Return")
            ended = printed(host, r"^saver exit (\S+) after (\d+) ms$", 20)
            # Without a window manager Wine's DestroyWindow of a top-level
            # window waits 2 s for the X window's withdrawal; the child hears
            # of it at the end.
            destroyed = printed(host, r"^parent destroyed in (\d+) ms$", 1)
            log("saver-preview: the saver exited with %s %s ms after its parent's destruction began, "
                "which took %s ms" % (ended.group(1), ended.group(2), destroyed.group(1)))
            check(ended.group(1) == "0" and int(ended.group(2)) <= 5000,
                  "the saver did not exit with 0 within 5 s of its parent's end: %s" % ended.group(0))
            check(host.wait_exit(15) == 0, "the preview host failed")

        # The Control Panel's process dies without destroying anything: the
        # saver sees its parent gone on its next frame.
        with s.viewer("host-killed", [windows_path(exe)], exe=host_exe(exe), debug="+opengl") as host:
            printed(host, r"^child \d+x\d+ of \d+x\d+$", 30)
            host.trace.wait_frames(2, 20, "frames of the preview in the GL trace")
            saver_pid = session_process(host.proc.pid, os.path.basename(exe))
            check(saver_pid is not None, "no saver process beside the preview host")
            os.kill(host.proc.pid, signal.SIGKILL)
            killed = time.monotonic()
            gone = poll(lambda: session_process(host.proc.pid, os.path.basename(exe)) is None, 5, interval=0.05)
            log("saver-preview: the saver's process was %s %.2f s after its host's was killed"
                % ("gone" if gone else "still there", time.monotonic() - killed))
            check(gone, "the saver's process outlived its killed host by 5 s")


def host_exe(exe):
    """The test program that plays the Control Panel, beside the saver."""
    return os.path.join(os.path.dirname(exe), "tests", "saver", "polytree-preview-host.exe")


def monitor_power(session, exe, state):
    """SC_MONITORPOWER with state sent to the full-screen saver, as Windows
    does when it powers the display off (2) or on (-1)."""
    # Not ended as a viewer is: that would stop the wineserver, the saver
    # with it.
    host = session.viewer("power" + state, ["/power", state], exe=host_exe(exe))
    check(host.wait_exit(15) == 0, "SC_MONITORPOWER %s found no saver window" % state)


def cpu_seconds(pid):
    """User and system time the process has used."""
    with open("/proc/%d/stat" % pid, "rb") as f:
        fields = f.read().rsplit(b")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def idle_over(saver, pid, seconds):
    """Frames drawn and CPU seconds spent over seconds, counted once the GL
    trace has stopped growing (Wine writes it in bursts)."""
    def settled():
        before = os.path.getsize(saver.stderr_path)
        time.sleep(0.5)
        return os.path.getsize(saver.stderr_path) == before
    wait_for(settled, 10, "the GL trace to stop growing (frames still drawn)")
    saver.trace.poll()
    frames = len(saver.trace.frames)
    cpu = cpu_seconds(pid)
    time.sleep(seconds)  # the span measured, not a wait for something
    saver.trace.poll()
    return len(saver.trace.frames) - frames, cpu_seconds(pid) - cpu


def settings_dialog(session, name, args, key):
    """Opens the dialog, answers it with key; the saver's exit code."""
    with session.viewer(name, args) as saver:
        saver.answer(SETTINGS_CAPTION, key)
        return saver.wait_exit(15)


def saver_settings(exe, prefix, size, work):
    with Session(exe, prefix, size[0], size[1], work) as s:
        # The prefix outlives the scenario: start from no stored settings.
        wine_reg(s, "delete", SETTINGS_KEY, "/f", check_rc=False)

        check(settings_dialog(s, "cancel", ["/c"], "Escape") == 0, "Cancel did not exit with 0")
        check(stored_settings(s) == {}, "Cancel stored %r" % stored_settings(s))

        check(settings_dialog(s, "defaults", [], "Return") == 0, "OK did not exit with 0")
        stored = stored_settings(s)
        log("saver-settings: OK stored %r" % stored)
        check(stored == {"Branches": ("REG_DWORD", "0x3"), "Levels": ("REG_DWORD", "0x7"),
                         "Speed": ("REG_DWORD", "0x3c")}, "OK did not store every default: %r" % stored)

        # The Settings button: the dialog is modal to the Control Panel's
        # window, which is disabled while it shows and enabled after.
        with s.viewer("owned", ["/c", windows_path(exe)], exe=host_exe(exe)) as host:
            shown = printed(host, r"^owner enabled (\d) while the dialog shows$", 30)
            host.answer(SETTINGS_CAPTION, "Return")
            after = printed(host, r"^saver exit (\S+), owner enabled (\d)$", 20)
            log("saver-settings: owner enabled %s while the dialog showed; %s" % (shown.group(1), after.group(0)))
            check(shown.group(1) == "0", "the owner was enabled while the dialog showed")
            check(after.groups() == ("0", "1"), "after the dialog: %s" % after.group(0))
            check(host.wait_exit(15) == 0, "the settings host failed")

        # Values no dialog writes: read as the nearest bound, or as the
        # default when of another type.
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Levels", "/t", "REG_DWORD", "/d", "99", "/f")
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Speed", "/t", "REG_DWORD", "/d", "0", "/f")
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Branches", "/t", "REG_SZ", "/d", "5", "/f")
        check(settings_dialog(s, "clamped", ["/c:0"], "Return") == 0, "OK did not exit with 0")
        stored = stored_settings(s)
        check(stored == {"Branches": ("REG_DWORD", "0x3"), "Levels": ("REG_DWORD", "0xc"),
                         "Speed": ("REG_DWORD", "0x1")}, "stored values not read within range: %r" % stored)

        # The saver draws what is stored: five branches of two levels are
        # 1 + 5 * (1 + 5) = 31 segments a frame in the GL trace.
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Branches", "/t", "REG_DWORD", "/d", "5", "/f")
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Levels", "/t", "REG_DWORD", "/d", "2", "/f")
        with s.viewer("stored", ["/s"], debug="+opengl") as saver:
            wid = saver.wait_window(SAVER_TITLE)
            frames = saver.trace.wait_frames(3, 20)
            check(all(frame.vertices == 2 * 31 for frame in frames),
                  "frames of %s vertices, not the 62 of B5 L2" % [frame.vertices for frame in frames])

            # The display turned off: no frame, and hardly any CPU time,
            # while it stays off; frames again once it is on.
            monitor_power(s, exe, "2")
            pid = saver.program_pid()
            drawn, spent = idle_over(saver, pid, 2.0)
            log("saver-settings: display off, %d frames and %.2f s of CPU in 2 s" % (drawn, spent))
            check(drawn == 0 and spent < 0.1, "%d frames and %.2f s of CPU in 2 s of display off" % (drawn, spent))
            monitor_power(s, exe, "-1")
            saver.trace.wait_frames(3, 10, "frames once the display is on again")
            saver.key(wid, "a")
            check(saver.wait_exit(5) == 0, "the saver did not end with 0 after a key tap")


X11_DRIVER_KEY = r"HKCU\Software\Wine\X11 Driver"


def saver_two_monitors(exe, prefix, size, work):
    with Session(exe, prefix, size[0], size[1], work, more_screens=[SECOND_MONITOR]) as s:
        # Wine counts Xinerama's screens as monitors only without XRandR.
        wine_reg(s, "add", X11_DRIVER_KEY, "/v", "UseXRandR", "/t", "REG_SZ", "/d", "N", "/f")
        # One level: the GL trace of a frame stays short.
        wine_reg(s, "add", SETTINGS_KEY, "/v", "Levels", "/t", "REG_DWORD", "/d", "1", "/f")
        stop_wineserver(s.prefix)  # the X11 driver reads its settings at start

        with s.viewer("two", ["/s"], debug="+opengl") as saver:
            wid = saver.wait_window(SAVER_TITLE)
            info = saver.geometry(wid)
            check((info.x, info.y, info.width, info.height) == (0, 0) + size,
                  "the saver's window is %dx%d at (%d, %d), not the %dx%d virtual screen"
                  % (info.width, info.height, info.x, info.y, size[0], size[1]))
            # A copy of the figure in each monitor's rectangle, in GL's
            # coordinates (rows from the bottom of the window).
            wanted = {(0, 0) + size, (0, size[1] - SECOND_MONITOR[1]) + SECOND_MONITOR}
            found = wait_for(lambda: wanted <= traced_viewports(saver) and traced_viewports(saver), 20,
                             "a viewport on each monitor in the GL trace", interval=0.3)
            log("saver-two-monitors: viewports %s" % sorted(found))
            check(found == wanted, "viewports other than the monitors': %s" % sorted(found - wanted))
            saver.key(wid, "a")
            check(saver.wait_exit(5) == 0, "the saver did not end with 0 after a key tap")


def saver_no_gl(exe, prefix, size, work):
    # An X server without GLX: Wine offers no pixel format, the GL context
    # cannot be made.
    with Session(exe, prefix, size[0], size[1], work, more_x_args=["-extension", "GLX"]) as s:
        with s.viewer("no-gl", ["/s"], debug="+msgbox") as saver:
            box = saver.wait_window(SAVER_TITLE)
            # The box shares the saver's title; the saver's window covers
            # the screen.
            sizes = [saver.geometry(wid).size for wid in saver.find_windows(SAVER_TITLE, only_visible=False)]
            log("saver-no-gl: windows titled %r while the box shows: %s" % (SAVER_TITLE, sizes))
            check(size not in sizes, "the full-screen window is still there while the box shows")
            texts = wait_for(saver.msgbox_texts, 10, "the box's text in the +msgbox trace")
            log("saver-no-gl: the box said %r" % texts)
            check(len(texts) == 1 and re.search(r"GL|PixelFormat", texts[0]), "not a GL failure: %r" % texts)
            # Shown until the user answers it: a box that goes by itself
            # leaves the user wondering why the saver never came.
            check_stays(saver, 3.0, "its failure box showed")
            saver.key(box, "Return")
            check(saver.wait_exit(10) == 1, "the saver did not exit with 1 after its failure")


SCENARIOS = {
    "saver_full_screen": (saver_full_screen, MEDIUM),
    "saver_quit_input": (saver_quit_input, MEDIUM),
    "saver_arguments": (saver_arguments, MEDIUM),
    "saver_preview": (saver_preview, MEDIUM),
    "saver_settings": (saver_settings, MEDIUM),
    "saver_two_monitors": (saver_two_monitors, TWO_MONITORS),
    "saver_no_gl": (saver_no_gl, MEDIUM),
}

if __name__ == "__main__":
    sys.exit(main_for(SCENARIOS))
