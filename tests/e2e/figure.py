"""Checks of the figure on the screen, for every program that draws it
(the viewer and the screen saver)."""

from .polytree import BLACK, BROWN, GREEN
from .x11 import check, wait_for

COLOUR_TOLERANCE = 3


def figure_picture(viewer, wid, timeout=20):
    """Waits until the window shows the figure; returns the screenshot.

    The figure is drawn in exactly two colours on black: anything else on
    the picture means the GL state or the colours are wrong.
    """
    def probe():
        viewer.assert_alive("while waiting for the figure")
        picture = viewer.screenshot(wid)
        brown = picture.count_near(BROWN, COLOUR_TOLERANCE)
        green = picture.count_near(GREEN, COLOUR_TOLERANCE)
        return picture if brown > 20 and green > 20 else None
    picture = wait_for(probe, timeout, "brown and green lines in window %s" % wid, interval=0.3)
    total = picture.width * picture.height
    brown = picture.count_near(BROWN, COLOUR_TOLERANCE)
    green = picture.count_near(GREEN, COLOUR_TOLERANCE)
    black = picture.count_near(BLACK, 0)
    check(black > total // 2, "background is not black: %d of %d pixels black" % (black, total))
    check(brown + green + black == total,
          "colours other than black, brown and green on the picture: %s"
          % sorted(((k, n) for k, n in picture.histogram().items()
                    if k != BLACK and max(abs(a - b) for a, b in zip(k, BROWN)) > COLOUR_TOLERANCE
                    and max(abs(a - b) for a, b in zip(k, GREEN)) > COLOUR_TOLERANCE),
                   key=lambda kv: -kv[1])[:5])
    return picture


def assert_animates(viewer, wid, timeout=8):
    """Two screenshots of the window differ within timeout."""
    first = viewer.screenshot(wid).rgb
    wait_for(lambda: viewer.screenshot(wid).rgb != first, timeout, "the picture to change", interval=0.25)
