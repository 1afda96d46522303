"""Long runs of polytree.exe under Wine, outside the suite (they are slow):
scripts/soak.sh runs them. Both run on a 1024x768 screen, windowed.

  minutes  the default options for POLYTREE_SOAK_MINUTES minutes; resident
           memory, X windows and whether the figure still moves, each minute
  reopen   POLYTREE_E2E_REOPENINGS display-row changes in a row, as the
           suite's reopen soak does them, with the same checks

By hand, from the repository's root, after the prefix exists
(python3 -B -m tests.e2e.wine --root DIR 1024x768):
  POLYTREE_SOAK_MINUTES=10 python3 -B -m tests.e2e.soak --exe build/windows/polytree.exe \\
      --prefix-root DIR --work /tmp/soak minutes
"""

import os
import sys
import time

from .scenarios import (MEDIUM, assert_animates, figure_picture, quit_with_escape, reopen_soak, session,
                        settled_window_count, start_windowed, wait_window_count)
from .wine import main_for
from .x11 import log

MINUTES = int(os.environ.get("POLYTREE_SOAK_MINUTES", "10"))


def long_session(exe, prefix, screen, work):
    """The viewer at its default options for MINUTES minutes."""
    with session(exe, prefix, screen, work) as s:
        with s.viewer("long-session") as v:
            wid = start_windowed(v)
            figure_picture(v, wid)
            windows = settled_window_count(v)
            started = time.monotonic()
            resident = []
            for minute in range(MINUTES + 1):
                # Paced by the clock on purpose: the figures are per minute.
                time.sleep(max(0.0, started + 60 * minute - time.monotonic()))
                v.assert_alive("at minute %d" % minute)
                assert_animates(v, wid)
                resident.append(v.resident_kb())
                log("long-session: minute %d: resident %.1f MB, %d X windows, the figure moves"
                    % (minute, resident[-1] / 1024, v.x_window_count()))
            log("long-session: resident memory (MB) each minute: %s"
                % ", ".join("%.1f" % (kb / 1024) for kb in resident))
            log("long-session: from minute 1 on: lowest %.1f MB, highest %.1f MB"
                % (min(resident[1:] or resident) / 1024, max(resident[1:] or resident) / 1024))
            wait_window_count(v, windows)
            quit_with_escape(v, wid)


SOAKS = {
    "minutes": (long_session, MEDIUM),
    "reopen": (reopen_soak, MEDIUM),
}

if __name__ == "__main__":
    sys.exit(main_for(SOAKS))
