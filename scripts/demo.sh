#!/usr/bin/env bash
# The main job: builds the 64-bit launcher, publishes a sample game client
# as an update set with the publisher tool, serves it with nginx on
# 127.0.0.1, brands a Launcher.exe for that server and runs it under Wine
# in a fresh portable folder (build/demo/game) until it has installed the
# client and started it. Prints the launcher's log, what was installed and
# whether it matches the set. Exits 0 when the client started and the
# folder verifies clean.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}
limit=${DEMO_TIME_LIMIT:-120}
# DEMO_CLIENT_MIB: size of the sample client (48 MiB); the test command's
# check of the demo uses a small one.

# The demo runs only the 64-bit build: it needs no i686 dependencies.
"$repo/scripts/bootstrap.sh" x86_64 || exit 1
mkdir -p "$build"
cmake -S "$repo" -B "$build/x86_64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-x86_64.cmake" \
  >"$build/x86_64.configure.log" 2>&1 || { cat "$build/x86_64.configure.log"; exit 1; }
cmake --build "$build/x86_64" --target Launcher game_client host_tools || exit 1
tool="$build/x86_64/host/bin/launcher-tool"

demo="$build/demo"
game="$demo/game"
rm -rf "$demo" && mkdir -p "$demo/www"

echo "== publishing a sample client (GameClient.exe is the test double of the game client)"
python3 "$repo/tests/e2e/sample_client.py" "$demo/client" "$demo/description.xml" \
  --game-client "$build/x86_64/bin/game_client.exe" --files 200 --mib "${DEMO_CLIENT_MIB:-48}" --packs 4 || exit 1
"$tool" make-update-set "$demo/client" "$demo/description.xml" "$demo/www/updates" || exit 1
ls -l "$demo/www/updates" | tail -n +2

python3 "$repo/tests/helpers/nginx_fixture.py" start "$demo/nginx" "$demo/www" || exit 1
url="http://127.0.0.1:$(cat "$demo/nginx/port")/"
. "$repo/scripts/wine-session.sh"
wine_session_start "$build/x86_64/wineprefix"
# The demo owns this session: stopping it ends every Wine process it left.
trap 'python3 "$repo/tests/helpers/nginx_fixture.py" stop "$demo/nginx"; wine_session_stop' EXIT
echo "== nginx serves the set at ${url}updates/"

mkdir -p "$game"
"$tool" brand "$build/x86_64/bin/Launcher.exe" --out "$game/Launcher.exe" --server-url "$url" \
  --update-path /updates/ || exit 1
: >"$game/guest.dat"   # Launcher.exe beside an empty guest.dat: a portable installation

echo "== running Launcher.exe in $game (at most $limit s)"
started=$(date +%s)
GAME_CLIENT_DOUBLE="exit=15000" "$WINE_BIN" "$game/Launcher.exe" >"$demo/wine.txt" 2>&1 &
client_started=0
for _ in $(seq $((limit * 10))); do
  if [ -s "$game/client_cmdline.txt" ]; then client_started=1; break; fi
  sleep 0.1
done
elapsed=$(($(date +%s) - started))
if [ $client_started = 1 ]; then
  echo "== the game client started after ${elapsed} s with the command line"
  tr -d '\r' <"$game/client_cmdline.txt"
else
  echo "== the game client did not start within $limit s"
fi
sleep 1   # the launcher finishes its log after starting the client

found_log=0
while IFS= read -r log; do
  found_log=1
  echo "== launcher log: $log"
  tr -d '\r' <"$log"
done < <(find "$game" -name '*.log' -type f | sort)
[ $found_log = 1 ] || echo "== no launcher log in $game"

echo "== installed in $game (size, path)"
(cd "$game" && find . -type f ! -name '*.log' -printf '%s\t%P\n' | sort -k2)
echo "== launcher-tool verify $game against the set"
"$tool" verify "$game" "$demo/www/updates"
verified=$?
[ $verified = 0 ] && echo "verify: the folder matches the set"

[ $client_started = 1 ] && [ $verified = 0 ]
