#!/usr/bin/env bash
# Runs a command on a display of its own (Xvfb, 1280x800, 96 dpi) and without
# the user's session bus, then ends the display.
#   tests/qt/run-with-display.sh [--tray] COMMAND...
# --tray also starts an XEmbed tray host (trayer) on it.
set -euo pipefail
tray=0
if [ "${1:-}" = "--tray" ]; then
  tray=1
  shift
fi
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# Xvfb picks a free display number and writes it once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x800x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "run-with-display: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"
# The number can come before the display takes connections (seen on :0).
for _ in $(seq 100); do
  xwininfo -root >/dev/null 2>&1 && break
  sleep 0.1
done
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
if [ "$tray" = 1 ]; then
  trayer --edge top --align right --widthtype request --expand false >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"panel"' && break
    sleep 0.1
  done
  xwininfo -root -tree 2>/dev/null | grep -q '"panel"' ||
    { echo "run-with-display: the tray host did not start" >&2; exit 1; }
fi
"$@"
