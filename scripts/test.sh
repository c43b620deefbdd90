#!/usr/bin/env bash
# Builds every target from a clean or existing build folder and runs all
# tests: the native tests natively, the x86_64 tests under Wine. The i686
# release build is compiled and linked only (nothing here can run it).
# Exits non-zero when anything fails.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}

"$repo/scripts/bootstrap.sh" || exit 1

configure_and_build() {   # name [cmake args]
  local name=$1; shift
  cmake -S "$repo" -B "$build/$name" -G Ninja "$@" >"$build/$name.configure.log" 2>&1 \
    || { cat "$build/$name.configure.log"; return 1; }
  cmake --build "$build/$name" || return 1
}
mkdir -p "$build"
configure_and_build native || exit 1
configure_and_build x86_64 -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-x86_64.cmake" || exit 1
# The release build carries no debug information: users download it.
configure_and_build i686 -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-i686.cmake" -DCMAKE_BUILD_TYPE=Release || exit 1

status=0
echo "== executables"
file "$build/x86_64/bin/Launcher.exe" "$build/i686/bin/Launcher.exe" | sed "s#$build/##"
ctest --test-dir "$build/i686" -L image --output-on-failure || status=1

echo "== native tests"
ctest --test-dir "$build/native" --output-on-failure -j2 || status=1

echo "== x86_64 tests under Wine"
. "$repo/scripts/wine-session.sh"
wine_session_start "$build/x86_64/wineprefix"
trap wine_session_stop EXIT
ctest --test-dir "$build/x86_64" --output-on-failure -j2 || status=1

exit $status
