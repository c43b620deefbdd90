#!/usr/bin/env bash
# Runs the interruption and fault suites of the x86_64 build under Wine and
# prints what each reports: the hostile-server matrix, the power-loss suite,
# the disk-full case and the hostile entry name corpus. The test command
# runs the same tests in their short forms; this script is for longer runs
# and for the record.
# usage: scripts/reliability.sh [--record]
#   --record  also writes the reports into docs/reliability.md
#   E2E_POWER_LOSS="<kills> <MiB>"  the power-loss size (test default "6 48")
#   LAUNCHER_WINEPREFIX=<folder>  the Wine prefix (default: in the build folder)
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}/x86_64

record=0
if [ "${1:-}" = "--record" ]; then record=1; shift; fi

cmake --build "$build" || exit 1
. "$repo/scripts/wine-session.sh"
wine_session_start "${LAUNCHER_WINEPREFIX:-$build/wineprefix}"
trap wine_session_stop EXIT

tests='every_server_fault|killing_the_launcher_at_random|a_full_disk|HostileEntryNames'
output=$(ctest --test-dir "$build" -R "$tests" -V --timeout 3600 2>&1)
status=$?
# The suites' own lines, without CTest's test number in front.
report=$(printf '%s\n' "$output" | sed -n 's/^[0-9]*: //p' |
  awk '/^== (hostile servers|power loss)/ {on = 1} /^(-{20,}|FAIL|OK$|ok$|Ran )/ {on = 0}
       on || /^hostile entry names:/ {print}')
results=$(printf '%s\n' "$output" | grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' | sed 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: //')
printf '%s\n\n%s\n' "$report" "$results"
[ $status -eq 0 ] || printf '%s\n' "$output" | tail -n 80

if [ $record -eq 1 ]; then
  begin='<!-- suite reports: written by scripts/reliability.sh --record -->'
  end='<!-- end of suite reports -->'
  summary="$begin
Last recorded run, power loss at \"${E2E_POWER_LOSS:-6 48}\" (kills, MiB):

\`\`\`
$report

$results
\`\`\`
$end"
  /usr/bin/python3 - "$repo/docs/reliability.md" "$begin" "$end" "$summary" <<'PY'
import sys
path, begin, end, summary = sys.argv[1:]
text = open(path, encoding='utf-8').read()
start = text.index(begin)
stop = text.index(end) + len(end)
open(path, 'w', encoding='utf-8').write(text[:start] + summary + text[stop:])
PY
fi
exit $status
