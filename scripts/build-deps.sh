#!/usr/bin/env bash
# Builds the mingw-w64 static libraries the launcher links against, from
# Debian's source packages, into a cache outside the repository:
#   $LAUNCHER_DEPS_CACHE/<arch>/<package>-<debian version>-r<recipe>/
# A library is rebuilt only when its folder is missing (new Debian version
# or a changed recipe below). Writes <arch>/deps.cmake for the project.
# libarchive's folder also holds bin/bsdtar.exe, the benchmarks' baseline
# for unpacking.
# Usage: build-deps.sh [x86_64] [i686]   (the targets to build; default both)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${LAUNCHER_DEPS_CACHE:-$HOME/.cache/launcher-deps}
jobs=$(nproc)
packages=(openssl libpng1.6 tinyxml2 libarchive)
# Bump a package's number when its build recipe below changes.
declare -A recipe=([openssl]=1 [libpng1.6]=1 [tinyxml2]=1 [libarchive]=2)
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86_64 i686)
for arch in "${archs[@]}"; do
  case $arch in x86_64|i686) ;; *) echo "deps: unknown target $arch (x86_64 or i686)" >&2; exit 2 ;; esac
done
# Seconds each build took on two cores, for the estimate printed up front.
declare -A seconds=([openssl]=160 [libpng1.6]=35 [tinyxml2]=3 [libarchive]=270)

mkdir -p "$cache/src"
log() { echo "deps: $*"; }

# One builder at a time per cache; a second caller waits for the first.
exec 9>"$cache/.lock"
flock 9

declare -A version
for p in "${packages[@]}"; do
  dsc=$(cd "$cache/src" && apt-get source --print-uris "$p" 2>/dev/null | grep -o "'[^']*\.dsc'" | tr -d "'" | head -n1)
  [ -n "$dsc" ] || { echo "deps: no source package for $p (deb-src missing?)" >&2; exit 1; }
  v=$(basename "$dsc" .dsc); v=${v#*_}
  version[$p]=$(printf '%b' "${v//%/\\x}")
done

todo=() estimate=0
for arch in "${archs[@]}"; do
  for p in "${packages[@]}"; do
    if [ ! -f "$cache/$arch/$p-${version[$p]}-r${recipe[$p]}/.built" ]; then
      todo+=("$p/$arch"); estimate=$((estimate + ${seconds[$p]} * 2 / jobs))
    fi
  done
done
if [ ${#todo[@]} -gt 0 ]; then
  log "${#todo[@]} libraries to build (${todo[*]}) into $cache;" \
      "about $(((estimate + 59) / 60)) minutes on $jobs cores"
fi

fetch_source() {   # $1 package -> prints the unpacked source folder
  local p=$1 v=${version[$1]} dir="$cache/src/$1-${version[$1]}"
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir"
    if ! (cd "$cache/src" && apt-get source --download-only -qq "$p=$v" >"$cache/src/$p.fetch.log" 2>&1); then
      grep -v "unsandboxed as root" "$cache/src/$p.fetch.log" >&2
      echo "deps: cannot download the source of $p $v" >&2
      exit 1
    fi
    dpkg-source --no-check -x "$cache/src/${p}_${v#*:}.dsc" "$dir" >/dev/null || { echo "deps: cannot unpack $p $v" >&2; exit 1; }
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

toolchain() { echo "$repo/cmake/toolchain-$1.cmake"; }
triple() { echo "$1-w64-mingw32"; }

build_openssl() {   # arch src prefix work
  # The 32-bit perlasm output carries PIC relocations that the mingw
  # assembler rejects; that target uses the C implementations.
  local target=mingw64 extra=()
  [ "$1" = i686 ] && { target=mingw; extra=(no-asm); }
  cp -a "$2/." "$4/"
  (cd "$4" && CC=gcc-posix CXX=g++-posix ./Configure "$target" \
      --cross-compile-prefix="$(triple "$1")-" --prefix="$3" --libdir=lib \
      no-shared no-module no-tests no-dso "${extra[@]}" \
   && make -j"$jobs" build_libs && make install_dev)
}

build_libpng() {
  cp -a "$2/." "$4/"
  (cd "$4" && ./configure -q --host="$(triple "$1")" CC="$(triple "$1")-gcc-posix" \
      --prefix="$3" --disable-shared --enable-static \
   && make -j"$jobs" && make install)
}

cmake_build() {   # arch src prefix work [cmake args...]
  local arch=$1 src=$2 prefix=$3 work=$4; shift 4
  cmake -S "$src" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$arch")" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@"
  cmake --build "$work"
  cmake --install "$work"
}

build_tinyxml2() {
  cmake_build "$@" -Dtinyxml2_BUILD_TESTING=OFF
}

build_libarchive() {
  local arch=$1 zlib=/usr/$(triple "$1")
  local seed=()
  # Configuring runs a probe program; the 32-bit one cannot run here, so
  # its answer (Debian's mingw zlib is not a WINAPI build) is given.
  [ "$arch" = i686 ] && seed=(-DZLIB_WINAPI_EXITCODE=1 -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT=)
  # bsdtar (a few files more) is the same library's own extractor: the
  # benchmarks compare the unpacker with it under Wine.
  WINEPREFIX="$cache/wineprefix" cmake_build "$@" "${seed[@]}" \
    -DZLIB_LIBRARY="$zlib/lib/libz.a" -DZLIB_INCLUDE_DIR="$zlib/include" \
    -DENABLE_ZLIB=ON -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF \
    -DENABLE_LIBB2=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_LZMA=OFF \
    -DENABLE_ZSTD=OFF -DENABLE_BZip2=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF \
    -DENABLE_PCREPOSIX=OFF -DENABLE_LIBGCC=OFF -DENABLE_CNG=OFF -DENABLE_TAR=ON \
    -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_XATTR=OFF -DENABLE_ACL=OFF \
    -DENABLE_ICONV=OFF -DENABLE_TEST=OFF -DENABLE_WERROR=OFF -DPOSIX_REGEX_LIB=NONE
}

for arch in "${archs[@]}"; do
  mkdir -p "$cache/$arch"
  conf="$cache/$arch/deps.cmake.new"
  echo "# Written by scripts/build-deps.sh" > "$conf"
  for p in "${packages[@]}"; do
    name=${p%1.6}
    prefix="$cache/$arch/$p-${version[$p]}-r${recipe[$p]}"
    if [ ! -f "$prefix/.built" ]; then
      src=$(fetch_source "$p")
      log "building $p ${version[$p]} for $arch"
      start=$SECONDS
      work=$(mktemp -d "$cache/build.XXXXXX")
      buildlog="$work.log"
      rm -rf "$prefix"
      if ! "build_$name" "$arch" "$src" "$prefix" "$work" >"$buildlog" 2>&1; then
        tail -n 40 "$buildlog" >&2
        echo "deps: building $p for $arch failed (log: $buildlog, work folder: $work)" >&2
        exit 1
      fi
      rm -rf "$work" "$buildlog"
      touch "$prefix/.built"
      log "built $p for $arch in $((SECONDS - start)) s"
    fi
    echo "set(LAUNCHER_DEP_$(echo "$name" | tr a-z A-Z) \"$prefix\")" >> "$conf"
  done
  mv "$conf" "$cache/$arch/deps.cmake"
done
