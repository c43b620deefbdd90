#!/usr/bin/env bash
# Network benchmark (prints figures; not a test): serves a 512 MiB file
# with nginx on loopback, fetches it with curl and with the launcher's
# downloader (under Wine) in the same run, and prints both throughputs and
# their ratio.
#   scripts/net_bench.sh [size in MiB] [part size in bytes, 0 = rest of file]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}
size_mib=${1:-512}
part=${2:-0}

cmake --build "$build/x86_64" --target net_download_bench >/dev/null
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
wine_session_start "$build/x86_64/wineprefix"
trap 'kill $nginx_pid 2>/dev/null; wine_session_stop; rm -f "$bench/www/big.bin"' EXIT
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$port/big.bin" -r 0-0 && break; sleep 0.1; done

curl_speed=$(curl -s -o /dev/null -w '%{speed_download}' "http://127.0.0.1:$port/big.bin")
echo "curl: $size bytes, $(awk -v s="$curl_speed" 'BEGIN{printf "%.1f", s/1048576}') MiB/s"
line=$("$WINE_BIN" "$build/x86_64/bin/net_download_bench.exe" "http://127.0.0.1:$port" /big.bin "$size" "$part" | tr -d '\r')
echo "$line"
ours=$(echo "$line" | sed -n 's/.*, \([0-9.]*\) MiB\/s$/\1/p')
awk -v o="$ours" -v c="$curl_speed" 'BEGIN{printf "ratio CDownloader/curl: %.2f\n", o/(c/1048576)}'
