#!/usr/bin/env bash
# Screenshots of the real x86_64 Launcher.exe under Wine and Xvfb against a
# local update set served by nginx, driven as a user would: real mouse
# clicks at the places the shipped theme gives its controls. Writes
# docs/screens/*.png. Needs the x86_64 build (Launcher, game_client,
# window_click and the host launcher-tool).
# Usage: screenshots.sh [x86_64 build folder]   (default build/x86_64)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/x86_64}" && pwd)
out=$repo/docs/screens
tool=$build/host/bin/launcher-tool
theme=$repo/assets/package/theme_kx/config.xml
layout() { python3 "$repo/tests/helpers/theme_layout.py" "$theme" "$1" | cut -d' ' -f2-; }
work=$(mktemp -d "${TMPDIR:-/tmp}/launcher-screens.XXXXXX")
mkdir -p "$out" "$work/www"

python3 "$repo/tests/e2e/sample_client.py" "$work/client" "$work/description.xml" \
  --game-client "$build/bin/game_client.exe" --files 20 --mib 4 --packs 2 >/dev/null
"$tool" make-update-set "$work/client" "$work/description.xml" "$work/www/updates" >/dev/null
python3 "$repo/tests/helpers/nginx_fixture.py" start "$work/nginx" "$work/www" >/dev/null
url="http://127.0.0.1:$(cat "$work/nginx/port")/"
. "$repo/scripts/wine-session.sh"
wine_session_start "$build/wineprefix"
trap 'python3 "$repo/tests/helpers/nginx_fixture.py" stop "$work/nginx" >/dev/null; wine_session_stop; rm -rf "$work"' EXIT

# The window is centred on the 1280 x 1024 screen; the shot keeps a margin
# for the open language list.
shot() {
  xwd -root -display "$DISPLAY" | convert xwd:- -crop 720x600+280+212 +repage "$out/$1.png"
  echo "docs/screens/$1.png"
}
click() {  # x y w h
  "$WINE_BIN" "$build/bin/window_click.exe" LauncherWizard "$@" 15000 >/dev/null
  sleep 1
}
# The language list's row i lies below the box: list border, element
# border and i rows of the box's listElementHeight.
row() {
  python3 - "$theme" "$1" <<'PY'
import sys, xml.etree.ElementTree as ET
for e in ET.parse(sys.argv[1]).iter('CGuiComboBoxCtrl'):
    if e.get('func') == 'language':
        break
q = lambda name: [int(v) for v in e.get(name, '0 0 0 0').replace(',', ' ').split()]
w, h = [int(v) for v in e.get('size').split(',')]
top = q('listBorder')[1] + q('listElementsBorder')[1] + h + int(sys.argv[2]) * int(e.get('listElementHeight'))
print(top, w, e.get('listElementHeight'))
PY
}
launch() {  # folder
  (cd "$1" && GAME_CLIENT_DOUBLE="exit=15000" "$WINE_BIN" ./Launcher.exe >/dev/null 2>&1 &)
  for _ in $(seq 300); do
    grep -qa "Dialog skin controls" "$1"/*.log 2>/dev/null && break
    sleep 0.1
  done
  sleep 3
}

# The language stored by an earlier run would be chosen again.
"$WINE_BIN" reg delete 'HKCU\Software\Hollisk Games\TL\Language' /f >/dev/null 2>&1 || true

# No server answers: the message box with its error.
mkdir -p "$work/offline"
"$tool" brand "$build/bin/Launcher.exe" --out "$work/offline/Launcher.exe" --server-url "http://127.0.0.1:9/" \
  --update-path /updates/ >/dev/null
: >"$work/offline/guest.dat"
launch "$work/offline"
for _ in $(seq 300); do
  grep -qa "MessageBox" "$work/offline"/*.log 2>/dev/null && break
  sleep 0.1
done
sleep 2
shot message-network-error
"$WINE_BIN" taskkill /f /im Launcher.exe >/dev/null 2>&1 || true
sleep 1

# A standard installation: the single-page installation page.
mkdir -p "$work/install"
"$tool" brand "$build/bin/Launcher.exe" --out "$work/install/Launcher.exe" --server-url "$url" \
  --update-path /updates/ >/dev/null
launch "$work/install"
shot install-en
read -r bx by bw bh <<<"$(layout language)"
click "$bx" "$by" "$bw" "$bh"
shot language-list
click "$bx" "$by" "$bw" "$bh"
for pick in "2 install-kk" "3 install-ru"; do
  set -- $pick
  read -r offset width height <<<"$(row "$1")"
  click "$bx" "$by" "$bw" "$bh"
  click "$bx" $((by + offset)) "$width" "$height"
  shot "$2"
done
