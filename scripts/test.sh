#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds both configurations and runs every
# test: the native unit tests (the frame worker's also under ThreadSanitizer)
# and the end-to-end runs of polytree.exe and of
# the native polytree (from the release preset), and the web page (web
# preset) in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh windows native release tsan web
jobs="$(nproc)"
# CI must have a GL display: the GL tests fail rather than skip here.
POLYTREE_REQUIRE_GL=1 ctest --preset native -j "$jobs"
# The frame worker's hand-over once more under ThreadSanitizer: any race fails.
# llvmpipe rasterises on the calling thread (LP_NUM_THREADS=0): its own
# threads, outside our code and not built for the sanitizer, were once
# reported racing among themselves.
LP_NUM_THREADS=0 TSAN_OPTIONS=halt_on_error=1 POLYTREE_REQUIRE_GL=1 \
  build/tsan/tests/render/scene_tests --gtest_filter='Scene.Worker*'
# About a minute of fuzzing the command lines; any finding fails.
bash scripts/fuzz.sh 60
