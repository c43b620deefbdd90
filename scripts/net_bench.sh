#!/usr/bin/env bash
# Network benchmark (prints figures; not a test): serves a 512 MiB file
# with nginx on loopback and fetches it, in the same run, with curl, with
# the launcher's downloader and with a plain synchronous WinINet loop with
# a 1 MiB buffer (both under the same Wine, both writing the file; in one
# part also with the same loop in WinINet's asynchronous mode), and
# prints the downloader's throughput as a ratio of the loop's. The two
# alternate `runs` times, and each fetches the file's first two bytes
# before its clock starts. In one part the downloader holds at most
# 64 MiB: measure that with a size of 64.
#   scripts/net_bench.sh [size in MiB] [part size in bytes, 0 = one part] [runs]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}
size_mib=${1:-512}
part=${2:-0}
runs=${3:-1}

cmake --build "$build/x86_64" --target net_download_bench wininet_download_bench wininet_async_download_bench >/dev/null
bench="$build/bench-net"
rm -rf "$bench" && mkdir -p "$bench/www" "$bench/logs" "$bench/tmp"
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$bench/www/big.bin"
size=$(stat -c %s "$bench/www/big.bin")

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$bench/nginx.conf" <<CONF
worker_processes 1;
pid $bench/nginx.pid;
error_log $bench/logs/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $bench/tmp;
  proxy_temp_path $bench/tmp;
  fastcgi_temp_path $bench/tmp;
  uwsgi_temp_path $bench/tmp;
  scgi_temp_path $bench/tmp;
  sendfile on;
  server { listen 127.0.0.1:$port; root $bench/www; }
}
CONF
/usr/sbin/nginx -p "$bench" -c "$bench/nginx.conf" -g 'daemon off;' &
nginx_pid=$!
. "$repo/scripts/wine-session.sh"
wine_session_start "${LAUNCHER_WINEPREFIX:-$build/x86_64/wineprefix}"
trap 'kill $nginx_pid 2>/dev/null; wine_session_stop; rm -f "$bench/www/big.bin" "$bench"/out-*.bin' EXIT
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$port/big.bin" -r 0-0 && break; sleep 0.1; done

curl_speed=$(curl -s -o /dev/null -w '%{speed_download}' "http://127.0.0.1:$port/big.bin")
echo "curl: $size bytes, $(awk -v s="$curl_speed" 'BEGIN{printf "%.1f", s/1048576}') MiB/s"
speed() { sed -n 's/.*, \([0-9.]*\) MiB\/s$/\1/p' <<<"$1"; }
ratios=()
for run in $(seq "$runs"); do
  ours=$("$WINE_BIN" "$build/x86_64/bin/net_download_bench.exe" "http://127.0.0.1:$port" /big.bin "$size" "$part" \
    "Z:$bench/out-launcher.bin" | tr -d '\r')
  echo "$ours"
  loop=$("$WINE_BIN" "$build/x86_64/bin/wininet_download_bench.exe" 127.0.0.1 "$port" /big.bin "$size" "$part" \
    "Z:$bench/out-loop.bin" | tr -d '\r')
  echo "$loop"
  if [ "$part" = 0 ]; then
    # The downloader's own mode, WinINet's asynchronous one, without and
    # with asking what has arrived before each read.
    for ask in 0 1; do
      "$WINE_BIN" "$build/x86_64/bin/wininet_async_download_bench.exe" 127.0.0.1 "$port" /big.bin "$size" $ask \
        "Z:$bench/out-async.bin" | tr -d '\r'
      cmp -s "$bench/out-async.bin" "$bench/www/big.bin" || echo "the asynchronous loop's file DIFFERS"
    done
  fi
  cmp -s "$bench/out-launcher.bin" "$bench/www/big.bin" || echo "the downloader's file DIFFERS"
  cmp -s "$bench/out-loop.bin" "$bench/www/big.bin" || echo "the loop's file DIFFERS"
  ratios+=("$(awk -v o="$(speed "$ours")" -v l="$(speed "$loop")" 'BEGIN{printf "%.2f", o/l}')")
  echo "run $run: ratio downloader / WinINet loop: ${ratios[-1]}"
done
printf '%s\n' "${ratios[@]}" | sort -n | awk '{r[NR]=$1} END {printf "ratio downloader / WinINet loop over %d run(s): min %.2f, max %.2f\n", NR, r[1], r[NR]}'
