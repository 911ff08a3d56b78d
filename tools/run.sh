#!/bin/bash
# Starts the Windows x64 build under Wine, on $DISPLAY or, when there is none, on a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
WINE=/usr/lib/wine/wine64
PROGRAM=dist/win64/Ravak.exe
[ -f "$PROGRAM" ] || PROGRAM=build/win64/e2e/ravak-convhost.exe
export WINEPREFIX="${WINEPREFIX:-$HOME/.local/share/ravak/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 50 99); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
  echo "No \$DISPLAY: starting Xvfb on :$n (take screenshots with: import -display :$n -window root shot.png)"
  Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp &
  XVFB=$!
  trap 'kill $XVFB 2>/dev/null || true' EXIT
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
if [ ! -d "$WINEPREFIX" ]; then
  echo "Creating the Wine prefix $WINEPREFIX ..."
  "$WINE" wineboot -i >/dev/null 2>&1
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'DejaVu Sans' /f >/dev/null 2>&1
  done
fi
echo "Starting $PROGRAM under Wine on $DISPLAY"
"$WINE" "$PROGRAM" "$@"
