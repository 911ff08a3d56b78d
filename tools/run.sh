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
  echo "To see Ravak at work without a screen: make demo (a short session, screenshots in build/demo/)"
  Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp &
  XVFB=$!
  trap 'kill $XVFB 2>/dev/null || true' EXIT
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
# A prefix is used only once it is complete: it is made under a temporary name and renamed at
# the end, so an interrupted first run leaves nothing that a later run would trust. Wine will
# not make a prefix whose parent folder is missing.
if [ ! -f "$WINEPREFIX/.ravak-ready" ]; then
  echo "Creating the Wine prefix $WINEPREFIX ..."
  mkdir -p "$(dirname "$WINEPREFIX")"
  building="$WINEPREFIX.building-$$"
  rm -rf "$building"
  WINEPREFIX="$building" "$WINE" wineboot -i >/dev/null 2>&1
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Microsoft Sans Serif"; do
    WINEPREFIX="$building" "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
      /d 'DejaVu Sans' /f >/dev/null 2>&1
  done
  WINEPREFIX="$building" /usr/lib/wine/wineserver -w
  touch "$building/.ravak-ready"
  if [ -e "$WINEPREFIX" ]; then  # unfinished, or made before prefixes were marked: kept aside
    mv "$WINEPREFIX" "$WINEPREFIX.old-$$"
    echo "The earlier prefix is kept as $WINEPREFIX.old-$$"
  fi
  mv "$building" "$WINEPREFIX"
fi
# Installed as the package installs it, under Program Files: Wine runs every program elevated,
# and an elevated Ravak loads its Kerrak only from a folder ordinary users cannot write.
if [ "$PROGRAM" = dist/win64/Ravak.exe ]; then
  installed="$WINEPREFIX/drive_c/Program Files/Ravak"
  mkdir -p "$installed"
  cp dist/win64/Ravak.exe dist/win64/Kerrak.dll "$installed/"
  PROGRAM='C:\Program Files\Ravak\Ravak.exe'
fi
echo "Starting $PROGRAM under Wine on $DISPLAY"
"$WINE" "$PROGRAM" "$@"
