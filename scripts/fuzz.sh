#!/usr/bin/env bash
# Builds the fuzzer of the command line (fuzz preset: clang-14, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs it for SECONDS
# (default 60), starting from the seeds in tests/fuzz/corpus.
#
# The timed run's inputs are at most max_len bytes: an input's cost grows
# with its length, and at 64 KB the run would try 1,500 inputs a second
# instead of tens of thousands. Longer text goes through the same checks
# when the fuzzer starts: the longest command line Windows passes (32,767
# characters), built into the fuzz target.
#
#   bash scripts/fuzz.sh [SECONDS]
#
# Fails on any finding; the input behind it is kept in build/fuzz/findings/
# and replays with: build/fuzz/tests/fuzz/options_fuzzer FILE
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
max_len=256
case "$seconds" in
  '' | *[!0-9]*) echo "usage: bash scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac

bash scripts/setup.sh
cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc)"

fuzzer=build/fuzz/tests/fuzz/options_fuzzer
corpus=build/fuzz/corpus      # grows from run to run; the seeds stay as they are
findings=build/fuzz/findings
log=build/fuzz/fuzz.log
mkdir -p "$corpus" "$findings"

echo "fuzz: running the fuzzer of the command line for $seconds s (log: $log)"
status=0
# -timeout: an input that keeps one run busy this long counts as a finding
# (a frame bound that let the work explode would show up as a hang).
"$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
  -dict=tests/fuzz/options.dict -artifact_prefix="$findings/" \
  "$corpus" tests/fuzz/corpus >"$log" 2>&1 || status=$?

executed="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
if [ "$status" -ne 0 ] || [ -z "$executed" ] || ! grep -q '^options fuzzer: the longest command line' "$log"; then
  tail -n 40 "$log" >&2
  echo "fuzz: FAILED (exit code $status); findings in $findings/" >&2
  exit 1
fi
echo "fuzz: $executed inputs in $seconds s, no finding"
