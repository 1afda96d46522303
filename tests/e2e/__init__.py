"""End-to-end runs of the real programs, each on a private Xvfb screen.

  x11       the X layer: the screen, its windows, a person's input, screenshots
            and the processes of the programs under test; nothing of Wine
  wine      on top of it, polytree.exe under Wine: prefixes, the viewer, and
            readers of Wine's traces
  polytree  what the viewer shows, whichever platform runs it
  figure    checks of the figure on the screen, for every program drawing it
  scenarios the viewer's scenarios
  saver     the screen saver's scenarios (polytree.scr)

Modules run from the repository's root, for example
  python3 -B -m tests.e2e.scenarios --help
"""
