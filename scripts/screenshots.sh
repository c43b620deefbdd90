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
  xwd -root -display "$DISPLAY" | convert xwd:- -crop 720x680+280+212 +repage "$out/$1.png"
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
wait_log() {  # folder text seconds: until a log of the folder holds the text
  for _ in $(seq $(($3 * 10))); do
    grep -qa "$2" "$1"/*.log 2>/dev/null && return
    sleep 0.1
  done
}
launch() {  # folder
  (cd "$1" && GAME_CLIENT_DOUBLE="exit=15000" "$WINE_BIN" ./Launcher.exe >/dev/null 2>&1 &)
  wait_log "$1" "Dialog skin controls" 30
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
wait_log "$work/offline" "MessageBox" 30
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
read -r sx sy sw sh <<<"$(layout single_install_button_settings)"
click "$sx" "$sy" "$sw" "$sh"
shot install-settings
click "$sx" "$sy" "$sw" "$sh"
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
"$WINE_BIN" taskkill /f /im Launcher.exe >/dev/null 2>&1 || true
sleep 1

# The fault-injecting server: slow packs, and a maintenance page.
faults=$work/faults
python3 "$repo/tests/helpers/net_test_server.py" start "$faults" "$work/www" >/dev/null
trap 'python3 "$repo/tests/helpers/net_test_server.py" stop "$faults" >/dev/null;
      python3 "$repo/tests/helpers/nginx_fixture.py" stop "$work/nginx" >/dev/null; wine_session_stop; rm -rf "$work"' EXIT
slow="http://127.0.0.1:$(cat "$faults/port")/"
portable() {  # folder
  mkdir -p "$1"
  "$tool" brand "$build/bin/Launcher.exe" --out "$1/Launcher.exe" --server-url "$slow" --update-path /updates/ >/dev/null
  : >"$1/guest.dat"
}
rules() { printf '%s' "$1" >"$faults/faults.json.tmp" && mv "$faults/faults.json.tmp" "$faults/faults.json"; }

# The rest in English again.
"$WINE_BIN" reg delete 'HKCU\Software\Hollisk Games\TL\Language' /f >/dev/null 2>&1 || true

# An update on its way: the packs come at 128 KiB/s.
packs=$(cd "$work/www" && find updates -name '*.pkg' | sort | sed 's|^|{"path": "/|; s|$|", "rate": 131072, "times": 0}|' | paste -sd,)
rules "[$packs]"
portable "$work/slow"
launch "$work/slow"
wait_log "$work/slow" "CDownloader::DownloadUpdate:" 30
sleep 3
shot downloading
"$WINE_BIN" taskkill /f /im Launcher.exe >/dev/null 2>&1 || true
sleep 1

# A maintenance notice whose text carries a heading and an ordered list.
page='<?xml version="1.0"?><html><body><div id="en"><h1 class="title">Maintenance</h1>'
page+='<p class="line1">&lt;h3&gt;Scheduled maintenance&lt;/h3&gt;We are moving to new servers.'
page+='&lt;ol&gt;&lt;li&gt;Close the game.&lt;/li&gt;&lt;li&gt;Start the launcher again in an hour.&lt;/li&gt;'
page+='&lt;li&gt;Your progress is kept.&lt;/li&gt;&lt;/ol&gt;</p></div></body></html>'
rules "$(python3 -c 'import json, sys
print(json.dumps([{"path": p, "status": 503, "times": 0, "body": sys.argv[1]}
                  for p in ("/updates/update.rxml", "/cud/velomar.xml")]))' "$page")"
portable "$work/notice"
# Client update data whose own address is in maintenance too: the notice
# is what the user is shown.
printf '<ClientUpdateData><Face id="velomar"><LoginURLs><URL>%s</URL></LoginURLs><DataUpdateURLs><URL>%s</URL></DataUpdateURLs></Face></ClientUpdateData>' \
  "$slow" "${slow}cud/velomar.xml" >"$work/cud.xml"
"$tool" cud-encrypt "$work/cud.xml" "$work/notice/CUD.dat" >/dev/null
# They are kept only with the stamp of the configuration they came with,
# which the earlier run of the same launcher wrote.
cp "$work/slow/CIF.dat" "$work/notice/"
launch "$work/notice"
wait_log "$work/notice" "MessageBox" 60
sleep 2
shot message-rich-text
"$WINE_BIN" taskkill /f /im Launcher.exe >/dev/null 2>&1 || true
sleep 1

# The uninstaller's question for an installation folder.
(cd "$work/slow" && "$WINE_BIN" ./Launcher.exe /u 'C:\Games\Talvoro' >/dev/null 2>&1 &)
sleep 6
shot uninstall-question
"$WINE_BIN" taskkill /f /im Launcher.exe >/dev/null 2>&1 || true
