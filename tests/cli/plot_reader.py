"""Reads an SVG for a pen plotter as plotting tools do, independently of
the program that wrote it: its layers, and per layer the paths, the segments
they draw, exact duplicates among them, their extent, the length drawn
with the pen down, and the pen's travel with the pen up
from the page's corner through the paths in the file's order. Then what a
plotter user's clean-up (vpype's linemerge and linesort) could still gain:
the fewest paths that joining the file's paths end to end can give, and the
pen-up travel of the paths reordered greedily (nearest next end, either way
round).

  /usr/bin/python3 plot_reader.py FILE.svg [--no-resort]

Prints a line per layer of tab-parted key=value fields."""

import re
import sys
import xml.etree.ElementTree as ET

import numpy as np

SVG = "{http://www.w3.org/2000/svg}"
INKSCAPE = "{http://www.inkscape.org/namespaces/inkscape}"
TOKEN = re.compile(r"[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?|[A-Za-z]")
# Coordinates summed from relative steps carry rounding: ends this close
# are one point.
DIGITS = 6


def polylines(d):
    """The subpaths of a path's d as (points, closed). Moves and straight
    lines only: a plotter's file has no other commands."""
    out, points, command, x, y = [], [], None, 0.0, 0.0
    tokens = TOKEN.findall(d)
    i = 0
    while i < len(tokens):
        t = tokens[i]
        if t.isalpha():
            command = t
            i += 1
            if t in "Zz":
                out.append((points, True))
                x, y = points[0]
                points = []
            continue
        if command in "Mm":
            if points:
                out.append((points, False))
            dx, dy = float(tokens[i]), float(tokens[i + 1])
            x, y = (x + dx, y + dy) if command == "m" else (dx, dy)
            points = [(x, y)]
            command = "l" if command == "m" else "L"
            i += 2
        elif command in "Ll":
            dx, dy = float(tokens[i]), float(tokens[i + 1])
            x, y = (x + dx, y + dy) if command == "l" else (dx, dy)
            points.append((x, y))
            i += 2
        else:
            raise ValueError("unexpected path data: " + d[:40])
    if points:
        out.append((points, False))
    return [(p, closed) for p, closed in out if len(p) > 1]


def key(point):
    return (round(point[0], DIGITS), round(point[1], DIGITS))


def segments_of(paths):
    for points, closed in paths:
        ends = points + [points[0]] if closed else points
        for a, b in zip(ends, ends[1:]):
            yield key(a), key(b)


def fewest_joined(paths):
    """Paths left when the paths are joined end to end wherever they can
    be: each connected group of paths (linked by shared ends) takes
    max(1, odd / 2), odd counting its ends met by an odd number of paths."""
    parent, degree = {}, {}

    def find(a):
        while parent[a] != a:
            parent[a] = parent[parent[a]]
            a = parent[a]
        return a

    for points, closed in paths:
        a, b = key(points[0]), key(points[0] if closed else points[-1])
        for end in (a, b):
            parent.setdefault(end, end)
            degree[end] = degree.get(end, 0) + 1
        parent[find(a)] = find(b)
    odd = {}
    for end, d in degree.items():
        root = find(end)
        odd[root] = odd.get(root, 0) + d % 2
    return sum(max(1, n // 2) for n in odd.values())


def travel(paths):
    pen, total = np.zeros(2), 0.0
    for points, closed in paths:
        total += np.hypot(*(np.array(points[0]) - pen))
        pen = np.array(points[0] if closed else points[-1])
    return total


def greedy_travel(paths):
    starts = np.array([p[0] for p, _ in paths], dtype=float)
    ends = np.array([p[0] if c else p[-1] for p, c in paths], dtype=float)
    left = np.ones(len(paths), dtype=bool)
    pen, total = np.zeros(2), 0.0
    for _ in range(len(paths)):
        to_start = np.where(left, np.hypot(*(starts - pen).T), np.inf)
        to_end = np.where(left, np.hypot(*(ends - pen).T), np.inf)
        i, j = int(np.argmin(to_start)), int(np.argmin(to_end))
        if to_start[i] <= to_end[j]:
            total += to_start[i]
            pen = ends[i]
        else:
            total += to_end[j]
            pen, i = starts[j], j
        left[i] = False
    return total


def main():
    root = ET.parse(sys.argv[1]).getroot()
    resort = "--no-resort" not in sys.argv
    print("\t".join(["svg", "width=" + root.get("width"), "height=" + root.get("height"),
                     "viewBox=" + root.get("viewBox"),
                     "clip_paths=%d" % len(root.findall(".//" + SVG + "clipPath"))]))
    for group in root.iter(SVG + "g"):
        if group.get(INKSCAPE + "groupmode") != "layer":
            continue
        paths = [line for path in group.iter(SVG + "path") for line in polylines(path.get("d"))]
        segments = [tuple(sorted(s)) for s in segments_of(paths)]
        fields = {
            "label": group.get(INKSCAPE + "label"),
            "stroke": group.get("stroke"),
            "paths": len(paths),
            "segments": len(segments),
            "duplicates": len(segments) - len(set(segments)),
            "drawn": "%.3f" % sum(np.hypot(a[0] - b[0], a[1] - b[1]) for a, b in segments),
            "travel": "%.3f" % travel(paths),
            "merged": fewest_joined(paths),
        }
        if paths:
            points = np.array([p for line, _ in paths for p in line])
            fields["extent"] = "%g,%g,%g,%g" % (*points.min(axis=0), *points.max(axis=0))
        if resort and paths:
            fields["resorted"] = "%.3f" % greedy_travel(paths)
        print("\t".join("%s=%s" % item for item in fields.items()))


if __name__ == "__main__":
    main()
