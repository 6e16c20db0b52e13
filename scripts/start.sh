#!/usr/bin/env bash
# Builds and starts Orbelle. On this Linux machine the real Windows program
# runs under Wine; with --linux the native Linux program runs; with --sim (or
# before the Windows build exists) the program runs on its simulated computer
# and tells what it does.
set -euo pipefail
cd "$(dirname "$0")/.."

# --linux: the native Linux program. Without a display it gets one of its
# own (Xvfb) with an XEmbed tray host (trayer), which end with it.
if [ "${1:-}" = "--linux" ]; then
  shift
  scripts/setup-host.sh
  cmake --preset linux >/dev/null
  cmake --build --preset linux --target orbl3_linux >/dev/null
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/linux/orbl3 "$@"
  fi
  helpers=()
  display_file=$(mktemp)
  trap 'kill "${helpers[@]}" 2>/dev/null || true; rm -f "$display_file"' EXIT
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
  helpers+=($!)
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(cat "$display_file")"
  trayer --edge top --align right --widthtype request --expand false >/dev/null 2>&1 &
  helpers+=($!)
  echo "start.sh: no display: started Xvfb on $DISPLAY with trayer as its tray" >&2
  status=0
  build/linux/orbl3 "$@" || status=$?
  exit "$status"
fi

if [ "${1:-}" != "--sim" ] && [ -x scripts/start-windows.sh ]; then
  exec scripts/start-windows.sh "$@"
fi
[ "${1:-}" = "--sim" ] && shift

scripts/setup-host.sh
cmake --preset default >/dev/null
cmake --build --preset default --target orbl3_sim >/dev/null
exec build/default/orbl3_sim "$@"
