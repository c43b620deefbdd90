#!/usr/bin/env bash
# The main job: builds the 64-bit launcher and runs it under Wine on a
# virtual display, in a fresh folder under build/demo, then reports what
# it showed and how it ended.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}

"$repo/scripts/bootstrap.sh" || exit 1
cmake -S "$repo" -B "$build/x86_64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-x86_64.cmake" \
  >"$build/x86_64.configure.log" 2>&1 || { cat "$build/x86_64.configure.log"; exit 1; }
cmake --build "$build/x86_64" --target Launcher window_probe || exit 1

. "$repo/scripts/wine-session.sh"
wine_session_start "$build/x86_64/wineprefix"
trap wine_session_stop EXIT

demo="$build/demo"
rm -rf "$demo" && mkdir -p "$demo"
cp "$build/x86_64/bin/Launcher.exe" "$demo/"
echo "== running Launcher.exe in $demo"
"$WINE_BIN" "$demo/Launcher.exe" >/dev/null 2>&1 &
launcher=$!
windows_path="Z:${demo//\//\\}\\screen.bmp"   # Wine maps / to drive Z:
# The wizard's window is titled by the configuration's taskbarCaption.
"$WINE_BIN" "$build/x86_64/bin/window_probe.exe" "Launcher" 30000 "$windows_path" "Getting Server Info" |
  tr -d '\r'
wait $launcher
code=$?
echo "== Launcher.exe ended with exit code $code"
[ -f "$demo/screen.bmp" ] && echo "== picture of the window: $demo/screen.bmp"
for log in "$demo"/*.log; do
  [ -f "$log" ] || continue
  echo "== launcher log ${log#$demo/}"
  tr -d '\r' <"$log"
done
