#!/usr/bin/env bash
# Runs a command in a desktop session of its own and ends the session after:
# an X server (Xvfb, 1280x800, 96 dpi, not reset between clients; held keys
# repeat after 100 ms, every 20 ms, so that a test sees repeats soon), fresh
# runtime, configuration and home folders, and no session bus unless asked.
#   tests/qt/run-with-display.sh [--tray] [--bus] [--sound] COMMAND...
# --tray   an XEmbed tray host (trayer);
# --bus    a session bus of its own, which doubles as the system bus;
# --sound  a PulseAudio server of its own (PULSE_SERVER names it) whose only
#          sink is a null sink, "beeps": its monitor records what played.
# The command may source within.sh beside this script.
set -euo pipefail
tray=0 bus=0 sound=0
while :; do
  case "${1:-}" in
    --tray) tray=1 ;;
    --bus) bus=1 ;;
    --sound) sound=1 ;;
    *) break ;;
  esac
  shift
done
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=within.sh
source "$(dirname "$0")/within.sh"
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -m 0700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display number and writes it once it takes connections.
mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -ardelay 100 -arinterval 20 -dpi 96 \
  -screen 0 1280x800x24 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
read -r -t 20 display <"$work/display" || { cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$display"
# The number can come before the display takes connections (seen on :0).
within xwininfo -root >/dev/null 2>&1 || { echo "run-with-display: no display" >&2; exit 1; }

if [ "$bus" = 1 ]; then
  read -r DBUS_SESSION_BUS_ADDRESS pid < <(dbus-daemon --session --fork --print-address=1 \
    --print-pid=1 | paste -s -d ' ')
  pids+=("$pid")
  export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
else
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
fi

if [ "$sound" = 1 ]; then
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --log-target=file:"$work/pulse.log" \
    --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" \
    --load="module-null-sink sink_name=beeps rate=48000 channels=1" &
  pids+=($!)
  export PULSE_SERVER=unix:$work/pulse.sock
  within pactl info >/dev/null 2>&1 || { cat "$work/pulse.log" >&2; exit 1; }
fi

if [ "$tray" = 1 ]; then
  trayer --edge top --align right --widthtype request --expand false >/dev/null 2>&1 &
  pids+=($!)
  panel() { xwininfo -root -tree 2>/dev/null | grep -q '"panel"'; }
  within panel || { echo "run-with-display: the tray host did not start" >&2; exit 1; }
fi
"$@"
