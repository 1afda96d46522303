#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds both configurations and runs every
# test: the native unit tests and the end-to-end runs of polytree.exe and of
# the native polytree (from the release preset).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh windows native release
jobs="$(nproc)"
# CI must have a GL display: the GL tests fail rather than skip here.
POLYTREE_REQUIRE_GL=1 ctest --preset native -j "$jobs"
# About a minute of fuzzing the command lines; any finding fails.
bash scripts/fuzz.sh 60
