#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine with the project's settings.
# WINEPREFIX defaults to a prefix next to the program's build tree; the
# caller provides DISPLAY (an Xvfb) when windows are involved.
# Carriage returns are stripped from stdout so that tools parsing the
# output (CTest's test discovery) see plain lines.
set -o pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set" >&2
  exit 2
fi
export WINEPREFIX
/usr/lib/wine/wine64 "$@" | tr -d '\r'
