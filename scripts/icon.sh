#!/usr/bin/env bash
# Draws the programs' file icon, assets/polytree.ico, from the figure with the
# release build of polytree-render and packs it with icotool (icoutils): 16,
# 32, 48 and 256 pixels, the largest stored as PNG as Windows Vista and later
# read it. Also the web app's icons, assets/polytree-192.png and -512.png.
# They are committed, so the Windows and web builds need no renderer; rerun
# this after a change to the figure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh --quiet release
render=build/release/polytree-render

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The small sizes draw fewer levels: at 16 pixels five levels are a smudge.
for size in 16:3 32:3 48:5 256:5; do
  pixels=${size%:*}
  "$render" B3 "L${size#*:}" --frame 30 --camera -0.08,-0.3,-2.6 --size "${pixels}x${pixels}" \
    -o "$work/$pixels.png"
done
icotool -c -o assets/polytree.ico "$work/16.png" "$work/32.png" "$work/48.png" --raw="$work/256.png"
icotool -l assets/polytree.ico
for pixels in 192 512; do
  "$render" B3 L5 --frame 30 --camera -0.08,-0.3,-2.6 --size "${pixels}x${pixels}" -o "assets/polytree-$pixels.png"
done
