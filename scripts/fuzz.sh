#!/usr/bin/env bash
# Builds the libFuzzer harnesses (tests/fuzz, clang with AddressSanitizer
# and UndefinedBehaviorSanitizer) in <build>/fuzz and runs each for the
# given time, two at a time, starting from its committed seeds
# (tests/fuzz/corpus/<harness>). New inputs go to <build>/fuzz/corpus,
# whatever breaks (crash, leak, timeout, undefined behaviour) to
# <build>/fuzz/findings/<harness>/. Prints a table of executions, seconds
# and findings per harness and exits non-zero when there is a finding.
# usage: scripts/fuzz.sh [--record] [seconds (default 60)] [harness...]
#   --record  also writes the table into docs/reliability.md
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}/fuzz
jobs=${FUZZ_JOBS:-2}

record=0
if [ "${1:-}" = "--record" ]; then record=1; shift; fi
seconds=${1:-60}
[ $# -eq 0 ] || shift
case $seconds in ''|*[!0-9]*) echo "usage: $0 [--record] [seconds] [harness...]" >&2; exit 2;; esac

mkdir -p "$build" && cmake -S "$repo/tests/fuzz" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" || exit 1

harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || mapfile -t harnesses <"$build/harnesses.txt"

export UBSAN_OPTIONS=print_stacktrace=1
run_one() {   # harness: one bounded run, its log in <build>/logs/<harness>.log
  local h=$1 seeds=$repo/tests/fuzz/corpus/$1
  [ -x "$build/bin/${h}_fuzz" ] || { echo "no harness $h" >"$build/logs/$h.log"; return; }
  mkdir -p "$build/corpus/$h" "$build/findings/$h"
  "$build/bin/${h}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$h/" "$build/corpus/$h" "$seeds" >"$build/logs/$h.log" 2>&1
}

mkdir -p "$build/logs"
for h in "${harnesses[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  run_one "$h" &
done
wait

table=$(
  echo "| harness | executions | seconds | findings |"
  echo "|---|---:|---:|---:|"
  for h in "${harnesses[@]}"; do
    log=$build/logs/$h.log
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    found=$(find "$build/findings/$h" -type f 2>/dev/null | wc -l)
    echo "| $h | ${runs:-0} | ${took:-$seconds} | $found |"
  done
)
echo "$table"

failed=0
for h in "${harnesses[@]}"; do
  if [ -n "$(find "$build/findings/$h" -type f 2>/dev/null)" ] || ! grep -q '^Done ' "$build/logs/$h.log"; then
    echo "== $h found a fault (log: $build/logs/$h.log):"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|.*property broken|artifact_prefix|Test unit written)' \
      "$build/logs/$h.log" | head -n 20
    failed=1
  fi
done

if [ $record -eq 1 ]; then
  doc=$repo/docs/reliability.md
  begin='<!-- fuzz table: written by scripts/fuzz.sh --record -->'
  end='<!-- end of fuzz table -->'
  summary="$begin
Last recorded run: $seconds s per harness, $jobs at a time.

$table
$end"
  /usr/bin/python3 - "$doc" "$begin" "$end" "$summary" <<'PY'
import sys
path, begin, end, summary = sys.argv[1:]
text = open(path, encoding='utf-8').read()
start = text.index(begin)
stop = text.index(end) + len(end)
open(path, 'w', encoding='utf-8').write(text[:start] + summary + text[stop:])
PY
fi
exit $failed
