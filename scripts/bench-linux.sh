#!/usr/bin/env bash
# Measures the Linux orbl3 against the bare Qt tray program
# (bench/bare_tray_qt.cpp) in a private session (the tests' run-with-display.sh:
# Xvfb, a user bus and a sound server of its own), with a stand-in XEmbed tray
# manager (bench/bench_probe_linux.cpp) that times exec -> dock request. Prints
# a Markdown table; raw figures go to build/bench-linux/. Called as
# scripts/bench.sh --linux [--runs N] [--starts N] [--idle S] [--short]: N starts
# of each program a run are timed (default 5), the last one measured further.
#
# Every run starts both programs, one after the other (which one first
# alternates), each measured start after a throwaway start and end of the
# same program; then both idle side by side and end by SIGTERM in the same
# order. Figures are what this machine gave; none of them fails the script.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

runs=10
starts=5
idle=30
settle=5
# orbl3's automatic close runs 15 s after a removal (every drive's default).
autoclose_wait=18
arguments=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --starts) starts=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --short) runs=1; idle=5; starts=1; shift ;;
    *) echo "usage: scripts/bench.sh --linux [--runs N] [--starts N] [--idle SECONDS] [--short]" >&2
       exit 2 ;;
  esac
done
fail() { echo "bench: $*" >&2; exit 1; }

if [ -z "${ORBL_BENCH_SESSION:-}" ]; then
  scripts/setup-host.sh || exit 1
  need=()
  command -v strace >/dev/null || need+=(strace)
  scripts/apt-install.sh "${need[@]}" || exit 1
  echo "== building"
  { cmake --preset linux >/dev/null &&
    cmake --build --preset linux --target orbl3_linux orbl3_shipped_files bare_tray_qt \
      bench_probe_linux fake_cdrom_shim; } || exit 1
  ORBL_BENCH_SESSION=1 exec tests/qt/run-with-display.sh --bus --sound "$0" "${arguments[@]}"
fi

out=$root/build/bench-linux
mkdir -p "$out"
rm -f "$out"/strace-*
raw=$out/raw.tsv
printf 'run\tsubject\tmetric\tvalue\n' >"$raw"
record() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" >>"$raw"; }

session=$(mktemp -d)
probe_pid=""
teardown() {
  local status=$?
  trap - EXIT INT TERM
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  pkill -TERM -f "^$root/build/linux/(orbl3|bench/bare_tray_qt)" 2>/dev/null
  rm -rf "$session"
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM
export QT_QPA_PLATFORM=xcb
# Both programs run over the test's fake drive layer (preloaded into the probe,
# which starts them): D: holds a disc, so that orbl3 has a drive to eject and
# close again.
shim=$root/build/linux/tests/qt/libfake_cdrom_shim.so
export ORBL_FAKE_CDROM=$session/fake
mkdir -p "$ORBL_FAKE_CDROM/block"
touch "$ORBL_FAKE_CDROM/block/sr0"
echo "disc 1" >"$ORBL_FAKE_CDROM/sr0"
# D: beeps when it is locked or unlocked.
mkdir -p "$XDG_CONFIG_HOME/orbelle"
printf '%s\n' '[SOFTWARE\Corvantis\Orbelle\3.x]' '"D BeepWhenLockingUnlocking"=text:"1"' \
  >"$XDG_CONFIG_HOME/orbelle/settings.reg"

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

# Starts SUBJECT after a throwaway start of its own and records its exec ->
# dock time; its process id goes to lpid. The throwaway start brings its files
# into memory: this kernel pages out file pages left untouched for about a
# second (DAMON reclaim), and the other program's turn takes longer than that.
measured_start() {  # RUN SUBJECT
  ask "start ${path[$2]}"
  read -r _ warm _ <<<"$answer"
  ask "term $warm"
  sleep 0.5
  ask "start ${path[$2]}"
  read -r _ lpid[$2] dock_ms <<<"$answer"
  record "$1" "$2" dock_ms "$dock_ms"
}

for run in $(seq 1 "$runs"); do
  if [ $((run % 2)) -eq 1 ]; then order=(orbl3 bare); else order=(bare orbl3); fi
  echo "== run $run of $runs: ${order[*]}"
  # A start takes tens of milliseconds, give or take several: a few more
  # starts a run, each ended at once, steady the median.
  for _ in $(seq 2 "$starts"); do
    for s in "${order[@]}"; do
      measured_start "$run" "$s"
      sleep 0.3
      ask "term ${lpid[$s]}"
    done
  done
  for s in "${order[@]}"; do measured_start "$run" "$s"; done
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
  # Locking and unlocking D: beeps ten tones: the sound library loads and its
  # stream is freed again once the tones are played.
  LD_PRELOAD=$shim build/linux/orbl3 lock D >/dev/null &&
    LD_PRELOAD=$shim build/linux/orbl3 unlock D >/dev/null || fail "orbl3 lock/unlock D failed"
  grep -q libpulse-simple "/proc/${lpid[orbl3]}/maps" || fail "orbl3 did not beep"
  sleep 1
  record "$run" orbl3 threads_after_beep "$(awk '/^Threads:/ { print $2 }' /proc/"${lpid[orbl3]}"/status)"
  idle_windows "$run" _after_beep orbl3
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
