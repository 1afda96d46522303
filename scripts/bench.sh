#!/usr/bin/env bash
# Measures the figure's own work and the viewer's frame rate against the GL
# floor. Optimised builds only: the release preset natively, the windows
# preset for the .exe, the web preset for the page. Takes a few minutes; run it on a quiet machine.
#   bash scripts/bench.sh [--no-fps]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh --quiet release windows web
# Debian's python3: the harness takes its python3-xlib and python3-pil.
python=/usr/bin/python3

root="build/bench-wine"
export WINEPREFIX="$PWD/$root/prefix-1024x768" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$python" -B -m tests.e2e.wine --root "$root" 1024x768 >/dev/null

echo "== $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "== Mesa $(dpkg-query -W -f='${Version}' libgl1-mesa-dri), Wine $(wine --version 2>/dev/null)"
echo
echo "== Native (glibc): ns per segment"
build/release/bench/polytree-bench
echo
echo "== polytree-bench.exe (MinGW-w64 runtime) under Wine: ns per segment"
wine build/windows/bench/polytree-bench.exe
wineserver -k || true
echo
echo "== polytree-render --bench, B3 L12 (arrays, the next frame walked on a worker thread)"
for size in 640x480 1920x1080; do
  build/release/polytree-render B3 L12 --size "$size" --bench 8
done
echo
echo "== polytree-render's lines (SVG, PDF) beside the PNG still, and what a plotter gets"
bash scripts/bench_plot.sh 3

if [ "${1:-}" != "--no-fps" ]; then
  echo
  echo "== Frame rates under Wine + llvmpipe, 640x480, against the GL floor"
  "$python" -B -m scripts.fps_ratio --exe build/windows/polytree.exe \
    --floor build/windows/bench/polytree-gl-floor.exe --prefix-root "$root"
  echo
  echo "== Frame rates of the native viewer (SDL2 + llvmpipe), 640x480, against its GL floor"
  "$python" -B -m scripts.fps_ratio --native build/release --rounds 5
  echo
  echo "== The screen saver's CPU at its defaults under Wine + llvmpipe"
  "$python" -B -m scripts.saver_cpu --prefix-root "$root" build/windows/polytree.scr
  echo
  echo "== polytree-xsaver under the XScreenSaver daemon against its gears: CPU, start, stop"
  "$python" -B -m scripts.xsaver_cpu --build build/release --work "$root/xsaver"
  echo
  echo "== The web page against its WebGL floor in headless Chromium, and its times"
  node tests/web/bench.mjs --web build/web
  echo
  echo "== A video recorded in the page against polytree-render's WebM of the same view, and the recorder's weight"
  node tests/web/record_bench.mjs --web build/web --render build/release/polytree-render
fi
