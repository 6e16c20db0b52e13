#!/usr/bin/env bash
# Runs a test program with an X server (Xvfb) and a PulseAudio server of its
# own, never the user's (the X server does not reset between clients): DISPLAY and PULSE_SERVER name them, PULSE_SINK is a
# null sink whose monitor "beeps.monitor" records what was played. Both
# servers end with the test.
#   with-private-x-and-sound.sh PROGRAM [ARGS...]
set -euo pipefail

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb writes its display number when it is ready to take clients. Held keys
# repeat after 100 ms, every 20 ms, so that a test sees repeats soon.
mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -ardelay 100 -arinterval 20 -screen 0 640x480x24 \
  3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
read -r -t 20 display <"$work/display" || { cat "$work/xvfb.log" >&2; exit 1; }

mkdir -m 700 "$work/run"
HOME=$work XDG_RUNTIME_DIR=$work/run pulseaudio -n --daemonize=no --exit-idle-time=-1 \
  --use-pid-file=no --log-target=file:"$work/pulse.log" \
  --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" \
  --load="module-null-sink sink_name=beeps rate=48000 channels=1" &
pids+=($!)
export PULSE_SERVER=unix:$work/pulse.sock PULSE_SINK=beeps
for _ in $(seq 200); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.05
done
pactl info >/dev/null || { cat "$work/pulse.log" >&2; exit 1; }

unset WAYLAND_DISPLAY XDG_SESSION_TYPE
DISPLAY=:$display HOME=$work XDG_RUNTIME_DIR=$work/run "$@"
