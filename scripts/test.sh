#!/usr/bin/env bash
# Builds every target from a clean or existing build folder and runs all
# tests: the native tests natively, each fuzz harness for a short while
# (scripts/fuzz.sh), the x86_64 tests under Wine, and the
# demo (scripts/demo.sh) with a small client in a build folder of its own,
# so that the README's first command is known to work from nothing. The
# i686 release build is compiled and linked only (nothing here can run it).
# Warnings are errors. Prints the wall time of each phase at the end and
# exits non-zero when anything fails.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}

phases=()
phase_start=$SECONDS
phase_done() {   # name: records the time since the previous phase ended
  phases+=("$(printf '%-28s %5d s' "$1" $((SECONDS - phase_start)))")
  phase_start=$SECONDS
}
print_phases() {
  echo "== wall time per phase"
  printf '  %s\n' "${phases[@]}"
  printf '  %-28s %5d s\n' total "$SECONDS"
}

"$repo/scripts/bootstrap.sh" || exit 1
phase_done bootstrap

configure_and_build() {   # name [cmake args]
  local name=$1; shift
  cmake -S "$repo" -B "$build/$name" -G Ninja -DLAUNCHER_WERROR=ON "$@" >"$build/$name.configure.log" 2>&1 \
    || { cat "$build/$name.configure.log"; return 1; }
  cmake --build "$build/$name" || return 1
}
mkdir -p "$build"
configure_and_build native || exit 1
phase_done "build native"
configure_and_build x86_64 -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-x86_64.cmake" || exit 1
phase_done "build x86_64"
# The release build carries no debug information: users download it.
configure_and_build i686 -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-i686.cmake" -DCMAKE_BUILD_TYPE=Release || exit 1
phase_done "build i686"

status=0
echo "== executables"
file "$build/x86_64/bin/Launcher.exe" "$build/i686/bin/Launcher.exe" | sed "s#$build/##"
ctest --test-dir "$build/i686" -L image --output-on-failure || status=1

echo "== native tests"
ctest --test-dir "$build/native" --output-on-failure -j2 || status=1
phase_done "native tests"

echo "== fuzz harnesses, 10 s each"
LAUNCHER_BUILD_DIR="$build" "$repo/scripts/fuzz.sh" 10 || status=1
phase_done "fuzz"

# What Wine could leave in the home folder: menu entries, desktop files,
# shortcuts written through a shell folder linked out of the prefix.
outside_prefix() {
  find "$HOME" -maxdepth 1 -name '*.lnk' 2>/dev/null
  find "$HOME/Desktop" "$HOME/.local/share/applications/wine" "$HOME/.config/menus/applications-merged" \
    -mindepth 1 2>/dev/null
}
before_wine=$(outside_prefix | sort)

echo "== x86_64 tests under Wine"
(
  . "$repo/scripts/wine-session.sh"
  wine_session_start "$build/x86_64/wineprefix"
  trap wine_session_stop EXIT
  ctest --test-dir "$build/x86_64" --output-on-failure -j2
) || status=1
left=$(comm -13 <(echo "$before_wine") <(outside_prefix | sort))
if [ -n "$left" ]; then
  echo "Wine wrote outside its prefix:"
  echo "$left"
  status=1
fi
phase_done "x86_64 tests"

echo "== the demo from an empty build folder"
demo_build=$(mktemp -d "${TMPDIR:-/tmp}/launcher-demo.XXXXXX")
if LAUNCHER_BUILD_DIR="$demo_build" DEMO_CLIENT_MIB=4 "$repo/scripts/demo.sh" >"$build/demo-check.log" 2>&1; then
  echo "demo: passed (log: $build/demo-check.log)"
else
  tail -n 60 "$build/demo-check.log"
  echo "demo: FAILED (log: $build/demo-check.log)"
  status=1
fi
rm -rf "$demo_build"
phase_done "demo check"

print_phases
# A failed test's output sits in the middle of a long log; its findings are
# repeated last, where a shortened log still shows them.
for dir in native x86_64; do
  "$repo/scripts/failed-tests.py" "$build/$dir/Testing/Temporary/LastTest.log"
done
exit $status
