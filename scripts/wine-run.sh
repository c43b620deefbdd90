#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine with the project's settings.
# WINEPREFIX defaults to a prefix next to the program's build tree; the
# caller provides DISPLAY (an Xvfb) when windows are involved.
# Carriage returns are stripped from stdout so that tools parsing the
# output see plain lines.
#
# Now and then Wine fails to start a program at all: it ends within a
# moment, with an error code and without a single byte of output. Such a
# start is tried again, at most twice, and said so on stderr. A program
# that printed anything, or ran for a second or more, is never run again.
set -o pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set" >&2
  exit 2
fi
export WINEPREFIX
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2 3; do
  started=$SECONDS
  /usr/lib/wine/wine64 "$@" >"$out" 2>"$err"
  rc=$?
  tr -d '\r' <"$out"
  cat "$err" >&2
  if [ $rc -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ $((SECONDS - started)) -ge 1 ] || [ $attempt -eq 3 ]; then
    exit $rc
  fi
  echo "wine-run.sh: Wine ended $1 at once with code $rc and no output (start $attempt); starting it again" >&2
done
