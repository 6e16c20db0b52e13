#!/usr/bin/env bash
# Builds orbl3.exe and starts it under Wine. Arguments go to the program
# ("options" opens its options window at start-up).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/test-windows.sh --setup-only
echo "Building orbl3.exe (cmake --preset windows) ..."
cmake --preset windows >/dev/null
cmake --build --preset windows --target orbl3 >/dev/null

# A prefix of its own with one emulated CD-ROM drive, D:, so that the program
# has a drive to guard. Drive types are read when Wine starts.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$display_file")"
  rm -f "$display_file"
  echo "No DISPLAY: started a virtual one ($DISPLAY, Xvfb); the tray icon lives there unseen."
fi

if [ ! -d "$WINEPREFIX/dosdevices" ]; then
  echo "Creating the Wine prefix $WINEPREFIX with an emulated CD-ROM drive D: ..."
  wineboot -i >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/cdrom-d"
  ln -sfn "$WINEPREFIX/cdrom-d" "$WINEPREFIX/dosdevices/d:"
  wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /t REG_SZ /d cdrom /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
fi

echo "Starting build/windows/orbl3.exe under Wine (prefix $WINEPREFIX)."
echo "Its icon is in the tray (Wine shows its own tray window when the desktop has none);"
echo "right-click it for the menu, choose Exit to end it, or press Ctrl+C here."
echo "On Windows: copy the folder build/windows (orbl3.exe needs nothing else) and run orbl3.exe."
wine build/windows/orbl3.exe "$@"
