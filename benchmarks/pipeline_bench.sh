#!/usr/bin/env bash
# Benchmarks of the update pipeline (run on demand, never by CTest):
#  1. the integrity checker over ~1 GiB in ~2,000 files against a plain zlib
#     crc32 pass in the same process (checker_bench.exe);
#  2. unpacking a ~512 MiB ZIP and a ~512 MiB RAR5 with the launcher's
#     unpacker (unpack_bench.exe, under Wine) against unzip and bsdtar on the
#     same archives, with each one's time and peak memory, and against the
#     floor under the same Wine: writing the tree the archives hold with
#     plain CreateFileW/ReadFile/WriteFile (tree_write_bench.exe), with the
#     launcher's time as a ratio of it; and against bsdtar.exe built from the
#     same libarchive the launcher links (scripts/build-deps.sh), under the
#     same Wine, less the time Wine takes to start it, compared with the
#     unpacker's time from the package task on (the parts handed over
#     before stand for the download writing them to tmp\).
# Needs the x86_64 build, zip, rar, unzip, bsdtar (libarchive-tools) and
# GNU time. Work files go to build/bench (about 3 GiB). PIPELINE_BENCH_RUNS
# (default 3) sets how many times each archive is unpacked by both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$root/build}/x86_64
work=${LAUNCHER_BUILD_DIR:-$root/build}/bench
for tool in zip rar unzip bsdtar /usr/bin/time python3 "$build/bin/bsdtar.exe"; do
  command -v "$tool" >/dev/null || { echo "pipeline_bench: $tool is missing" >&2; exit 2; }
done
mkdir -p "$work"

. "$root/scripts/wine-session.sh"
wine_session_start "${LAUNCHER_WINEPREFIX:-$build/wineprefix}"
trap wine_session_stop EXIT
wine() { "$root/scripts/wine-run.sh" "$@"; }

echo "== integrity checker =="
wine "$build/bin/checker_bench.exe" "Z:$work/install"

echo
echo "== package unpacking =="
if [ ! -f "$work/package.zip" ] || [ ! -f "$work/package.rar" ]; then
  rm -rf "$work/tree" && mkdir -p "$work/tree"
  # Mixed content: mostly incompressible bytes, some text-like files, so
  # that each archive comes out at about 512 MiB.
  python3 - "$work/tree" <<'PY'
import os, random, sys
random.seed(7)
root = sys.argv[1]
words = [b"launcher", b"client", b"texture", b"sound", b"map", b"level", b"\n", b" "]
total, i = 0, 0
while total < 700 << 20:
    d = os.path.join(root, "d%02d" % (i % 30))
    os.makedirs(d, exist_ok=True)
    size = random.choice([random.randint(4 << 10, 256 << 10), random.randint(1 << 20, 24 << 20)])
    if i % 3 == 0:
        data = b"".join(random.choice(words) for _ in range(size // 6))[:size]
    else:
        data = os.urandom(size)
    with open(os.path.join(d, "f%04d.bin" % i), "wb") as f:
        f.write(data)
    total += size
    i += 1
print("tree: %d files, %.1f MiB" % (i, total / 1048576))
PY
  rm -f "$work/package.zip" "$work/package.rar"
  (cd "$work/tree" && zip -q -r -6 "$work/package.zip" . && rar a -idq -m3 -ma5 -r "$work/package.rar" .)
fi
ls -l "$work/package.zip" "$work/package.rar" | awk '{printf "%s: %.1f MiB\n", $NF, $5/1048576}'

# The first seconds in a benchmark's "... in <seconds> s ..." line.
seconds() { sed -n 's/^[^(]* in \([0-9.]*\) s.*/\1/p' <<<"$1"; }
# Wine's start and end of a program that does nothing, for bsdtar.exe's time.
wine_start=$( { /usr/bin/time -f %e "$root/scripts/wine-run.sh" "$build/bin/bsdtar.exe" --version >/dev/null; } 2>&1)
echo "Wine start of bsdtar.exe --version: $wine_start s"
# bsdtar.exe under Wine: "<seconds> <peak KiB>".
wine_bsdtar() {
  local times
  times=$( { /usr/bin/time -f '%e %M' "$root/scripts/wine-run.sh" "$build/bin/bsdtar.exe" -xf "$1" -C "$2" >/dev/null; } 2>&1)
  awk -v t="$times" -v w="$wine_start" 'BEGIN { split(t, f, " "); printf "%.2f %d", f[1] - w, f[2] }'
}
# Each archive is unpacked `runs` times, the launcher and bsdtar.exe in
# turn, and the ratio's median and spread are printed. Each unpack starts
# after `sync`, so that none pays for the disk writing back the one before.
runs=${PIPELINE_BENCH_RUNS:-3}
for kind in zip rar; do
  archive=$work/package.$kind
  echo "-- $kind --"
  sync
  plain=$(wine "$build/bin/tree_write_bench.exe" "Z:$work/tree" "Z:$work/out-plain")
  echo "$plain"
  rm -rf "$work/out-plain"
  ratios=()
  for run in $(seq "$runs"); do
    rm -rf "$work/out-launcher" && sync
    launcher=$(wine "$build/bin/unpack_bench.exe" "Z:$archive" "Z:$work/out-launcher")
    echo "run $run: $launcher"
    rm -rf "$work/out-wine" && mkdir -p "$work/out-wine" && sync
    read -r tar_s tar_kib <<<"$(wine_bsdtar "Z:$archive" "Z:$work/out-wine")"
    diff -r -q "$work/out-launcher" "$work/out-wine" >/dev/null || echo "bsdtar.exe: FILES DIFFER"
    rm -rf "$work/out-wine"
    alone=$(sed -n 's/.*unpacking alone \([0-9.]*\) s.*/\1/p' <<<"$launcher")
    awk -v l="$alone" -v t="$tar_s" -v k="$tar_kib" -v m="$(stat -c %s "$archive")" -v r="$run" \
      'BEGIN { printf "run %d: bsdtar.exe (Wine): %.2f s, %.1f MiB/s, peak memory %.1f MiB; launcher unpacking alone %.2f s; throughput ratio launcher / bsdtar.exe %.2f\n",
               r, t, m / 1048576 / t, k / 1024, l, t / l }'
    ratios+=("$(awk -v l="$alone" -v t="$tar_s" 'BEGIN { printf "%.2f", t / l }')")
  done
  awk -v l="$(seconds "$launcher")" -v p="$(seconds "$plain")" \
    'BEGIN { printf "launcher (last run) %.2f s, plain writes %.2f s, ratio %.2f\n", l, p, l / p }'
  printf '%s\n' "${ratios[@]}" | sort -n | awk -v k=$kind '{ r[NR] = $1 }
    END { printf "%s: throughput ratio launcher / bsdtar.exe over %d run(s): median %.2f, min %.2f, max %.2f\n",
          k, NR, r[int((NR + 1) / 2)], r[1], r[NR] }'
  rm -rf "$work/out-tool" && mkdir -p "$work/out-tool"
  if [ $kind = zip ]; then
    /usr/bin/time -f "unzip:  %e s, peak memory %M KiB" unzip -q -o "$archive" -d "$work/out-tool"
  fi
  rm -rf "$work/out-tool" && mkdir -p "$work/out-tool"
  /usr/bin/time -f "bsdtar: %e s, peak memory %M KiB" bsdtar -xf "$archive" -C "$work/out-tool"
  diff -r -q "$work/out-launcher" "$work/out-tool" >/dev/null && echo "same files as bsdtar" || echo "FILES DIFFER"
done
rm -rf "$work/out-launcher" "$work/out-tool"
