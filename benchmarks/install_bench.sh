#!/usr/bin/env bash
# Installation benchmark (prints figures; not a test): publishes a sample
# client of about 1 GiB (2,000 files in 20 packs) with the publisher tool,
# serves it with nginx on loopback and measures, in the same run,
#   - the launcher under Wine: a portable folder, from start until the game
#     client double starts (client_cmdline.txt appears), with the peak
#     memory (VmHWM) of the Wine process running Launcher.exe;
#   - the same work by curl (every pack) and unzip (every pack extracted);
#   - the same-condition baselines under the same Wine: the plain WinINet
#     loop (wininet_download_bench.exe, 16 MiB ranges like the launcher)
#     fetching every pack, and bsdtar.exe of the same libarchive extracting
#     it, all from one cmd.exe batch, less the time the batch takes to
#     start as many programs that do nothing.
# Size through the environment, e.g. INSTALL_BENCH_MIB=64 for a quick run:
#   INSTALL_BENCH_MIB (1024)  INSTALL_BENCH_FILES (2000)  INSTALL_BENCH_PACKS (20)
#   INSTALL_BENCH_LIMIT       seconds the launcher may take (1800)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}
mib=${INSTALL_BENCH_MIB:-1024}
files=${INSTALL_BENCH_FILES:-2000}
packs=${INSTALL_BENCH_PACKS:-20}
limit=${INSTALL_BENCH_LIMIT:-1800}

cmake --build "$build/x86_64" --target Launcher game_client host_tools wininet_download_bench >/dev/null
tool="$build/x86_64/host/bin/launcher-tool"
bench="$build/bench-install"
game="$bench/game"
rm -rf "$bench" && mkdir -p "$bench/www" "$bench/curl/packs" "$bench/curl/client" "$bench/wine/packs" "$bench/wine/client"

echo "== sample client: $files files, $mib MiB, $packs packs"
python3 "$repo/tests/e2e/sample_client.py" "$bench/client" "$bench/description.xml" \
  --game-client "$build/x86_64/bin/game_client.exe" --files "$files" --mib "$mib" --packs "$packs"
"$tool" make-update-set "$bench/client" "$bench/description.xml" "$bench/www/updates" >/dev/null
rm -rf "$bench/client"   # the set holds it all; keep the disk for the two installations
set_bytes=$(cat "$bench"/www/updates/*.pkg | wc -c)
echo "set: $(ls "$bench"/www/updates/*.pkg | wc -l) packs, $set_bytes bytes"

python3 "$repo/tests/helpers/nginx_fixture.py" start "$bench/nginx" "$bench/www"
url="http://127.0.0.1:$(cat "$bench/nginx/port")/"
. "$repo/scripts/wine-session.sh"
wine_session_start "${LAUNCHER_WINEPREFIX:-$build/x86_64/wineprefix}"
trap 'python3 "$repo/tests/helpers/nginx_fixture.py" stop "$bench/nginx"; wine_session_stop' EXIT

mkdir -p "$game"
# The launcher as it ships: release builds carry no debug sections, and
# Wine's loader reads every section of a program into memory (the test
# build's 47 MB of them would count as about 45 MiB of the launcher's own).
x86_64-w64-mingw32-strip --strip-debug -o "$bench/Launcher.exe" "$build/x86_64/bin/Launcher.exe"
"$tool" brand "$bench/Launcher.exe" --out "$game/Launcher.exe" --server-url "$url" \
  --update-path /updates/ >/dev/null
: >"$game/guest.dat"

now() { date +%s.%N; }
seconds_since() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.2f", a - b }'; }
peak_kib=0
started=$(now)
GAME_CLIENT_DOUBLE="exit=5000" "$WINE_BIN" "$game/Launcher.exe" >"$bench/wine.txt" 2>&1 &
disown   # ended below with the run's other Wine processes, without a shell notice
deadline=$((SECONDS + limit))
# The wait itself must cost the launcher next to nothing on a machine of
# two cores: no program is started per turn. The launcher's processes are
# looked up once a second (VmHWM keeps the peak in between), the status
# file is read by the shell, and the pause is a read with a time-out on a
# pipe nobody writes to.
exec 9<> <(:)
pids=() scanned=-1
while [ ! -s "$game/client_cmdline.txt" ]; do
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "the game client did not start within $limit s; launcher log:" >&2
    find "$game" -name '*.log' -exec tail -n 40 {} \; >&2
    exit 1
  fi
  if [ "$SECONDS" != "$scanned" ]; then
    mapfile -t pids < <(pgrep -f "$game/Launcher.exe" || true)
    scanned=$SECONDS
  fi
  for pid in "${pids[@]}"; do
    while read -r key value _; do
      if [ "$key" = "VmHWM:" ]; then
        [ "$value" -gt "$peak_kib" ] && peak_kib=$value
        break
      fi
    done 2>/dev/null <"/proc/$pid/status" || true
  done
  read -r -t 0.05 -u 9 _ || true
done
exec 9<&-
launcher_s=$(seconds_since "$started")
# Only this run's Wine processes: the prefix may serve others.
python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import e2e_support; e2e_support.kill_wine_processes(sys.argv[2])' \
  "$repo/tests/e2e" "$game"
"$tool" verify "$game" "$bench/www/updates" >/dev/null && verdict="verifies clean" || verdict="DIFFERS from the set"

started=$(now)
for pack in "$bench"/www/updates/*.pkg; do
  name=$(basename "$pack")
  curl -sf -o "$bench/curl/packs/$name" "${url}updates/$name"
  unzip -qo "$bench/curl/packs/$name" -d "$bench/curl/client"
done
curl_s=$(seconds_since "$started")

# Baselines (a) + (b): one batch, and one that starts the same number of
# programs doing nothing, for Wine's cost of starting them.
win() { echo "Z:${1//\//\\}"; }
bin=$build/x86_64/bin
port=$(cat "$bench/nginx/port")
printf "@echo off\r\n" | tee "$bench/wine/work.cmd" >"$bench/wine/idle.cmd"
# Wine's cmd.exe mishandles "||": each step checks errorlevel on a line of its own.
step() { printf '%s\r\nif errorlevel 1 exit 1\r\n' "$1"; }
for pack in "$bench"/www/updates/*.pkg; do
  name=$(basename "$pack")
  step "$(printf '"%s" 127.0.0.1 %s /updates/%s %s 16777216 "%s" >NUL' "$(win "$bin/wininet_download_bench.exe")" \
    "$port" "$name" "$(stat -c %s "$pack")" "$(win "$bench/wine/packs/$name")")" >>"$bench/wine/work.cmd"
  step "$(printf '"%s" -xf "%s" -C "%s"' "$(win "$bin/bsdtar.exe")" "$(win "$bench/wine/packs/$name")" \
    "$(win "$bench/wine/client")")" >>"$bench/wine/work.cmd"
  for _ in 1 2; do step "$(printf '"%s" --version >NUL' "$(win "$bin/bsdtar.exe")")" >>"$bench/wine/idle.cmd"; done
done
started=$(now)
"$WINE_BIN" cmd /c "$(win "$bench/wine/idle.cmd")" >/dev/null
idle_s=$(seconds_since "$started")
started=$(now)
"$WINE_BIN" cmd /c "$(win "$bench/wine/work.cmd")" >/dev/null || echo "the WinINet loop or bsdtar.exe FAILED"
batch_s=$(seconds_since "$started")
baseline_s=$(awk -v b="$batch_s" -v i="$idle_s" 'BEGIN { printf "%.2f", b - i }')

echo "launcher (Wine): $launcher_s s to the client start, folder $verdict, peak memory $peak_kib KiB"
echo "curl + unzip:    $curl_s s"
awk -v l="$launcher_s" -v c="$curl_s" 'BEGIN { printf "ratio launcher / (curl + unzip): %.2f\n", l / c }'
echo "WinINet loop + bsdtar.exe (Wine): $baseline_s s ($batch_s s less $idle_s s for starting the programs)"
awk -v l="$launcher_s" -v b="$baseline_s" 'BEGIN { printf "ratio launcher / (WinINet loop + bsdtar.exe): %.2f\n", l / b }'
rm -rf "$bench/curl" "$bench/wine" "$bench/www" "$game/data"   # the logs stay
