"""Checks that each floor of the source tree includes only itself and the
floors below it, and that no program includes another program's files.

    python3 floors.py SOURCE_DIR
"""

import pathlib
import re
import sys

FLOORS = ["core", "render", "viewer", "platform"]
PROGRAMS = ["app", "saver", "cli", "native", "bench", "web", "xsaver"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def allowed(folder):
    if folder in FLOORS:
        return set(FLOORS[:FLOORS.index(folder) + 1])
    return set(FLOORS) | {folder}


def main():
    root = pathlib.Path(sys.argv[1])
    wrong = []
    for folder in FLOORS + PROGRAMS:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".rc", ".in"):
                continue
            for used in INCLUDE.findall(path.read_text(errors="replace")):
                if used not in allowed(folder):
                    wrong.append("%s includes %s/" % (path.relative_to(root), used))
    for line in wrong:
        print(line)
    print("floors: %d include(s) against the layering" % len(wrong))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
