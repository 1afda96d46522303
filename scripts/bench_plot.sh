#!/usr/bin/env bash
# Vector files against the PNG still of the same view, on the release
# build: B3 L10 at 1920x1080 as PNG, SVG and PDF, whole runs, alternating,
# with their sizes and bytes per drawn segment; then what a plotter gets at
# B3 L12: segments, paths, pen-up travel, size and time, read back by the
# tests' own SVG reader. Run it on a quiet machine.
#   bash scripts/bench_plot.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"

bash scripts/build.sh --quiet release
render="$PWD/build/release/polytree-render"
reader="$PWD/tests/cli/plot_reader.py"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

words=(B3 L10 --size 1920x1080 --frame 30)
seconds() { /usr/bin/time -f "%e" -o time "$@" >/dev/null 2>&1 && cat time; }
# Sums of the reader's fields over the layers.
sums() {
  /usr/bin/python3 -B "$reader" "$1" --no-resort | awk -F'\t' '
    /^label=/ { for (i = 1; i <= NF; ++i) { split($i, kv, "="); sum[kv[1]] += kv[2] } }
    END { printf "%d %d %.0f %.0f\n", sum["segments"], sum["paths"], sum["travel"], sum["drawn"] }'
}

echo "== $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== ${words[*]}: wall seconds per round (png svg pdf)"
for round in $(seq "$rounds"); do
  echo "round $round: $(seconds "$render" "${words[@]}" -o t.png) $(seconds "$render" "${words[@]}" -o t.svg)" \
    "$(seconds "$render" "${words[@]}" -o t.pdf)"
done
read -r segments paths travel drawn < <(sums t.svg)
for f in t.png t.svg t.pdf; do
  echo "$f: $(stat -c %s $f) bytes, $(awk -v b="$(stat -c %s $f)" -v s="$segments" 'BEGIN { printf "%.1f", b / s }') per drawn segment"
done
echo "t.svg: $segments segments in $paths paths, pen-up travel $travel px, pen down $drawn px"

echo "== B3 L12 --size 1920x1080 --frame 30, on A3 and on screen"
for paper in "--paper A3" ""; do
  # shellcheck disable=SC2086  # the paper is two words or none
  s=$(seconds "$render" B3 L12 --size 1920x1080 --frame 30 $paper -o p.svg)
  # shellcheck disable=SC2086
  d=$(seconds "$render" B3 L12 --size 1920x1080 --frame 30 $paper -o p.pdf)
  read -r segments paths travel drawn < <(sums p.svg)
  echo "${paper:-pixels}: $segments segments in $paths paths, pen-up travel $travel, pen down $drawn" \
    "(mm on paper, else px);" \
    "svg $(stat -c %s p.svg) bytes in $s s, pdf $(stat -c %s p.pdf) bytes in $d s"
done
