#!/usr/bin/env bash
# Builds the fuzzers of the command lines (fuzz preset: clang-14, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs them one after
# the other for SECONDS in all (default 60): half for the viewer's option
# text, a third for the view text, the rest for the screen saver's
# arguments, a far smaller reader. Each starts from its seeds in
# tests/fuzz/corpus/NAME.
#
# The timed runs' inputs are at most max_len bytes: an input's cost grows
# with its length, and at 64 KB the options fuzzer would try 1,500 inputs a
# second instead of tens of thousands. Longer text goes through the same
# checks when it starts: the longest command line Windows passes (32,767
# characters), built into the fuzz target.
#
#   bash scripts/fuzz.sh [SECONDS]
#
# Fails on any finding; the input behind it is kept in
# build/fuzz/findings/NAME/ and replays with:
#   build/fuzz/tests/fuzz/NAME_fuzzer FILE
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
max_len=256
case "$seconds" in
  '' | *[!0-9]*) echo "usage: bash scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac
options_seconds=$(( seconds / 2 ))
view_seconds=$(( seconds / 3 ))
saver_seconds=$(( seconds - options_seconds - view_seconds ))

bash scripts/setup.sh
cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc)"

# fuzz NAME SECONDS [REQUIRED LOG LINE]: one fuzzer's timed run.
fuzz() {
  local name="$1" time="$2" required="${3:-}"
  local fuzzer="build/fuzz/tests/fuzz/${name}_fuzzer"
  local corpus="build/fuzz/corpus/$name"   # grows from run to run; the seeds stay as they are
  local findings="build/fuzz/findings/$name"
  local log="build/fuzz/$name.log"
  mkdir -p "$corpus" "$findings"
  echo "fuzz: running the $name fuzzer for $time s (log: $log)"
  local status=0
  # -timeout: an input that keeps one run busy this long counts as a finding
  # (a frame bound that let the work explode would show up as a hang).
  "$fuzzer" -max_total_time="$time" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    -dict="tests/fuzz/$name.dict" -artifact_prefix="$findings/" \
    "$corpus" "tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  local executed
  executed="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  if [ "$status" -ne 0 ] || [ -z "$executed" ] || { [ -n "$required" ] && ! grep -q "$required" "$log"; }; then
    tail -n 40 "$log" >&2
    echo "fuzz: $name FAILED (exit code $status); findings in $findings/" >&2
    return 1
  fi
  echo "fuzz: $name: $executed inputs in $time s, no finding"
}

fuzz options "$options_seconds" '^options fuzzer: the longest command line'
fuzz view "$view_seconds"
fuzz saver_arguments "$saver_seconds"
