"""The README's tables of exit codes against what each program's help says
(its table in its code): the same codes, the same meanings, in order.

    python3 -B exit_codes.py --readme README.md --build BUILD
"""

import argparse
import os
import re
import subprocess
import sys

PROGRAMS = (("polytree", "--help"), ("polytree-render", "--help"), ("polytree-xsaver", "-help"))


def help_rows(program, flag):
    """The rows of the "Exit status:" block that ends a help, each meaning's
    lines joined."""
    out = subprocess.run([program, flag], capture_output=True, text=True, timeout=30,
                         env=dict(os.environ, DISPLAY="")).stdout
    rows = []
    for line in out.split("\nExit status:\n", 1)[1].splitlines():
        if (m := re.match(r"^  (\d+(?:\+N)?) +(.*)$", line)):
            rows.append((m.group(1), m.group(2)))
        elif line.startswith("   ") and rows:
            rows[-1] = (rows[-1][0], rows[-1][1] + " " + line.strip())
    return rows


def readme_rows(text, program):
    """The table under "`program`:" in the README's Exit codes section."""
    section = text.split("\n## Exit codes\n", 1)[1].split("\n## ", 1)[0]
    table = section.split("\n`%s`:\n" % program, 1)[1].strip().split("\n\n", 1)[0]
    rows = []
    for line in table.splitlines()[2:]:
        cells = [cell.strip().replace("\\|", "|") for cell in re.split(r"(?<!\\)\|", line)[1:-1]]
        rows.append(tuple(cells))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--readme", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    with open(args.readme, encoding="utf-8") as f:
        text = f.read()
    failures = 0
    for program, flag in PROGRAMS:
        said = help_rows(os.path.join(args.build, program), flag)
        written = readme_rows(text, program)
        if not said or said != written:
            failures += 1
            print("FAIL %s: its help says %s, the README %s" % (program, said, written))
        else:
            print("ok %s: %d codes" % (program, len(said)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
