#!/usr/bin/env bash
# Sets up the machine (scripts/setup.sh) and configures and builds each
# preset named, in that order, with every core.
#   bash scripts/build.sh [--quiet] PRESET...
# --quiet keeps CMake's and the compiler's progress off the terminal;
# errors still show.
set -euo pipefail
cd "$(dirname "$0")/.."

out=/dev/stdout
if [ "${1:-}" = "--quiet" ]; then
  out=/dev/null
  shift
fi
bash scripts/setup.sh >"$out"
for preset in "$@"; do
  cmake --preset "$preset" >"$out"
  cmake --build --preset "$preset" -j "$(nproc)" >"$out"
done
