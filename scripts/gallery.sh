#!/usr/bin/env bash
# Renders the README's gallery into docs/ with the release build of
# polytree-render. Rerun it after a change to the figure or the renderer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh --quiet release
render=build/release/polytree-render

# Each line: output file, then the renderer's arguments.
while read -r file args; do
  [ -n "$file" ] || continue
  echo "gallery: polytree-render $args -o docs/$file"
  # shellcheck disable=SC2086  # the arguments are words on purpose
  "$render" $args -o "docs/$file"
done <<'LIST'
default.png
b5-l4.png B5 L4 --frame 20 --camera 0,-0.35,-2.2
b7-l3.png B7 L3 --frame 10 --camera 0,-0.3,-2
b3-l12-angle.png B3 L12 --frame 40 --pitch 20 --yaw 35 --camera 1.617,-1.026,-2.309
turn-b3.gif B3 --frames 120 --size 320x240
b5-l4-a4.svg B5 L4 --frame 20 --camera 0,-0.35,-2.2 --paper A4
LIST
