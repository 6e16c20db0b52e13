#!/usr/bin/env bash
# Measures the Linux orbl3 against the bare Qt tray program
# (bench/bare_tray_qt.cpp) on a private Xvfb display and user bus, with a
# stand-in XEmbed tray manager (bench/bench_probe_linux.cpp) that times
# exec -> dock request. Prints a Markdown table; raw figures go to
# build/bench-linux/. Called as scripts/bench.sh --linux [--runs N] [--idle S] [--short].
#
# Every run starts both programs, one after the other (which one first
# alternates), each measured start after a throwaway start and end of the
# bare program; then both idle side by side and end by SIGTERM in the same
# order. Figures are what this machine gave; none of them fails the script.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

runs=10
idle=30
settle=5
# orbl3's automatic close runs 15 s after a removal (every drive's default).
autoclose_wait=18
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --short) runs=1; idle=5; shift ;;
    *) echo "usage: scripts/bench.sh --linux [--runs N] [--idle SECONDS] [--short]" >&2; exit 2 ;;
  esac
done
fail() { echo "bench: $*" >&2; exit 1; }

scripts/setup-host.sh || exit 1
need=()
command -v strace >/dev/null || need+=(strace)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v dbus-daemon >/dev/null || need+=(dbus)
scripts/apt-install.sh "${need[@]}" || exit 1

echo "== building"
{ cmake --preset linux >/dev/null &&
  cmake --build --preset linux --target orbl3_linux orbl3_shipped_files bare_tray_qt \
    bench_probe_linux fake_cdrom_shim; } || exit 1

out=$root/build/bench-linux
mkdir -p "$out"
rm -f "$out"/strace-*
raw=$out/raw.tsv
printf 'run\tsubject\tmetric\tvalue\n' >"$raw"
record() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" >>"$raw"; }

# --- a private session: display, user bus, runtime and settings folders --------
session=$(mktemp -d)
xvfb_pid=""
bus_pid=""
probe_pid=""
teardown() {
  local status=$?
  trap - EXIT INT TERM
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  pkill -TERM -f "^$root/build/linux/(orbl3|bench/bare_tray_qt)" 2>/dev/null
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$session"
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X${display#:}" ] || fail "Xvfb did not start on $display"
mkdir -p "$session/runtime" "$session/config" "$session/home"
chmod 700 "$session/runtime"
export XDG_RUNTIME_DIR=$session/runtime XDG_CONFIG_HOME=$session/config HOME=$session/home
read -r DBUS_SESSION_BUS_ADDRESS bus_pid < <(dbus-daemon --session --fork --print-address=1 \
  --print-pid=1 | paste -s -d ' ')
export DBUS_SESSION_BUS_ADDRESS
# Both programs run over the test's fake drive layer (preloaded into the probe,
# which starts them): D: holds a disc, so that orbl3 has a drive to eject and
# close again.
shim=$root/build/linux/tests/qt/libfake_cdrom_shim.so
export ORBL_FAKE_CDROM=$session/fake
mkdir -p "$ORBL_FAKE_CDROM/block"
touch "$ORBL_FAKE_CDROM/block/sr0"
echo "disc 1" >"$ORBL_FAKE_CDROM/sr0"

coproc PROBE { LD_PRELOAD=$shim build/linux/bench/bench_probe_linux; }
probe_pid=$PROBE_PID
exec {to_probe}>&"${PROBE[1]}" {from_probe}<&"${PROBE[0]}"
ask() {
  [ -n "$1" ] && echo "$1" >&"$to_probe"
  IFS= read -r -t 60 answer <&"$from_probe" || fail "no answer from the probe to \"$1\""
  case "$answer" in error*) fail "$answer" ;; esac
}
ask ""
echo "probe: $answer"

declare -A path=([orbl3]=$root/build/linux/orbl3 [bare]=$root/build/linux/bench/bare_tray_qt)
declare -A lpid

. "$root/scripts/bench-measure.sh"

for run in $(seq 1 "$runs"); do
  if [ $((run % 2)) -eq 1 ]; then order=(orbl3 bare); else order=(bare orbl3); fi
  echo "== run $run of $runs: ${order[*]}"
  for s in "${order[@]}"; do
    ask "start ${path[bare]}"
    read -r _ warm _ <<<"$answer"
    ask "term $warm"
    sleep 0.5
    ask "start ${path[$s]}"
    read -r _ lpid[$s] dock_ms <<<"$answer"
    record "$run" "$s" dock_ms "$dock_ms"
  done
  sleep "$settle"
  for s in "${order[@]}"; do sample_memory "$run" "$s"; done
  idle_windows "$run" "" "${order[@]}"
  # Our own eject takes the disc out of D:: the automatic close is scheduled,
  # runs 15 s later, and every timer stops again. The switches while it
  # waits show that the schedule did run.
  before=$(switches "${lpid[orbl3]}")
  LD_PRELOAD=$shim build/linux/orbl3 open D >/dev/null || fail "orbl3 open D failed"
  sleep "$autoclose_wait"
  record "$run" orbl3 ctxt_autoclose $(($(switches "${lpid[orbl3]}") - before))
  grep -q "sr0 close" "$ORBL_FAKE_CDROM/log" || fail "the automatic close did not run"
  : >"$ORBL_FAKE_CDROM/log"
  echo "disc 1" >"$ORBL_FAKE_CDROM/sr0"
  idle_windows "$run" _after_removal orbl3
  for s in "${order[@]}"; do
    ask "term ${lpid[$s]}"
    read -r _ _ term_ms code <<<"$answer"
    [ "$code" = 0 ] || fail "$s ended with exit code $code"
    record "$run" "$s" term_ms "$term_ms"
  done
done
echo quit >&"$to_probe"

python3 bench/report.py "$raw" --linux --runs "$runs" --idle "$idle" --settle "$settle" \
  --autoclose-wait "$autoclose_wait" \
  --json "$out/results.json" | tee "$out/table.md"
