#!/usr/bin/env bash
# Long runs of polytree.exe under Wine on a private 1024x768 Xvfb; not in CI
# (they are slow). Both print resident memory as they go and end with Esc.
#
#   bash scripts/soak.sh MINUTES       default options for that long, a line a minute
#   bash scripts/soak.sh --reopen N    N display-row changes in a row (quick + and - taps)
#
# The log is kept in build/soak/.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: bash scripts/soak.sh MINUTES | --reopen N" >&2
  exit 2
}
is_count() { case "$1" in '' | *[!0-9]*) return 1 ;; *) [ "$1" -gt 0 ] ;; esac; }

if [ "${1:-}" = "--reopen" ]; then
  [ $# -eq 2 ] && is_count "$2" || usage
  export POLYTREE_E2E_REOPENINGS="$2"
  soak=reopen
  deadline=$(($2 * 10 + 120))  # a reopening takes 1-3 s
else
  [ $# -eq 1 ] && is_count "$1" || usage
  export POLYTREE_SOAK_MINUTES="$1"
  soak=minutes
  deadline=$(($1 * 60 + 180))
fi

bash scripts/build.sh windows
# Debian's python3: the harness takes its python3-xlib and python3-pil.
python=/usr/bin/python3

root="$PWD/build/soak"
mkdir -p "$root"
"$python" -B -m tests.e2e.wine --root "$root" 1024x768
"$python" -B -m tests.e2e.soak --exe "$PWD/build/windows/polytree.exe" --prefix-root "$root" \
  --work "$root/work" --screen 1024x768 --deadline "$deadline" "$soak" | tee "$root/$soak.log"
