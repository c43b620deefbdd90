#!/usr/bin/env bash
# Makes a Debian 12 machine ready to build and test the launcher.
# Idempotent: installs only what is missing, builds the mingw dependency
# cache only when it is missing or a pinned version changed.
# Usage: bootstrap.sh [x86_64] [i686]   (the dependency targets; default both)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine64 xvfb xauth cmake ninja-build make perl pkg-config
  libz-mingw-w64-dev googletest python3 nginx-light libarchive-dev libtinyxml2-dev
  fonts-dejavu-core rar zip zlib1g-dev libssl-dev openssl dpkg-dev file
  python3-pil python3-fonttools fonts-roboto-unhinted x11-apps imagemagick
  libpng-dev clang-14 libclang-rt-14-dev libarchive-tools unzip
)

# The extra apt sources (non-free for rar, deb-src for the dependency
# build) are derived from the machine's own Debian sources.
sources_file=/etc/apt/sources.list.d/launcher-build.sources
wanted=$("$here/apt-sources.sh" "$sources_file")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
need_update=0
if [ -z "$wanted" ]; then
  [ ! -e "$sources_file" ] || { $SUDO rm -f "$sources_file"; need_update=1; }
elif [ "$(cat "$sources_file" 2>/dev/null)" != "$wanted" ]; then
  echo "bootstrap: adding apt sources ($sources_file):"
  echo "$wanted" | sed 's/^/  /'
  printf '%s\n' "$wanted" | $SUDO tee "$sources_file" >/dev/null
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  echo "bootstrap: installing ${missing[*]:-(sources only)}; this takes a few minutes"
  start=$SECONDS
  $SUDO apt-get update -qq
  [ ${#missing[@]} -eq 0 ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  echo "bootstrap: packages ready in $((SECONDS - start)) s"
fi

"$here/build-deps.sh" "$@"
