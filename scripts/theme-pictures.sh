#!/usr/bin/env bash
# Renders the four pages of the shipped theme at 96 and 144 DPI with
# theme_preview, from the built launcher, into docs/theme/. The languages
# rotate so that every string table shows at both sizes.
# Usage: theme-pictures.sh [x86_64 build folder]   (default build/x86_64)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/x86_64}" && pwd)
out=$repo/docs/theme
source "$repo/scripts/wine-session.sh"
wine_session_start "$build/wineprefix"
trap wine_session_stop EXIT
mkdir -p "$out"
exe="Z:${build//\//\\}\\bin\\Launcher.exe"
render() {  # page variant language scale name
  "$WINE_BIN" "$build/bin/theme_preview.exe" "$exe" "$1" "$2" "$4" "Z:${out//\//\\}\\$5.png" --lang "$3" >/dev/null
  echo "docs/theme/$5.png"
}
render 1 0 en 1.0 page1-message-96dpi
render 2 2 uk 1.0 page2-uninstall-96dpi
render 3 2 kk 1.0 page3-uninstalled-96dpi
render 4 3 ru 1.0 page4-install-96dpi
render 1 0 uk 1.5 page1-message-144dpi
render 2 2 kk 1.5 page2-uninstall-144dpi
render 3 2 ru 1.5 page3-uninstalled-144dpi
render 4 3 en 1.5 page4-install-144dpi
