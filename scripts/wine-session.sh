# Sourced by the test and demo scripts: one Xvfb display and one Wine
# prefix (inside the build folder) for everything run under Wine.
#   wine_session_start <prefix folder>   exports DISPLAY and WINEPREFIX
#   wine_session_stop
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINE_BIN=/usr/lib/wine/wine64
WINESERVER_BIN=/usr/lib/wine/wineserver

wine_session_start() {
  export WINEPREFIX=$1
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local display
  read -r display <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$display"
  # A prefix whose creation was interrupted (Ctrl+C during wineboot) lacks
  # the marker written after a complete start: it is made again.
  if [ ! -f "$WINEPREFIX/.launcher-ready" ]; then
    [ ! -d "$WINEPREFIX" ] || echo "wine: prefix $WINEPREFIX is incomplete, making it again"
    "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    echo "wine: creating prefix $WINEPREFIX"
  fi
  "$WINESERVER_BIN" -p >/dev/null 2>&1 || true
  # Start Wine's background processes now, with output going nowhere: a
  # test process that started them would hand them its output pipes and
  # CTest would wait for those pipes to close. wineboot returns once the
  # prefix is complete.
  local booted=0
  "$WINE_BIN" wineboot >/dev/null 2>&1 && booted=1
  # The desktop process (explorer.exe /desktop) and rpcss start with the
  # first program that uses windows; start them here for the same reason.
  "$WINE_BIN" rundll32 user32.dll,GetDesktopWindow >/dev/null 2>&1 || true
  # Wine links the user's shell folders (Desktop, Documents ...) to the
  # host's home: shortcuts made under Wine must stay inside the prefix.
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
  done
  # The registry files reach the disk only later; wineboot's own answer
  # tells that the prefix is complete.
  [ $booted = 1 ] && touch "$WINEPREFIX/.launcher-ready"
}

wine_session_stop() {
  "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}
