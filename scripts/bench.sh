#!/usr/bin/env bash
# Measures orbl3.exe against a bare Win32 tray program (bench/bare_tray.cpp)
# under Wine and Xvfb, in one Wine session, and counts the instructions of a
# simulated scenario under callgrind. Prints a Markdown table and writes the
# raw figures to build/bench/.
#
#   scripts/bench.sh [--runs N] [--idle SECONDS]   default: 10 runs, 30 s idle windows
#   scripts/bench.sh --short                       1 run, 5 s windows (keeps the script working)
#   scripts/bench.sh --linux [...]                 the Linux program instead (scripts/bench-linux.sh)
#
# Every run starts both programs, one after the other (which one first
# alternates from run to run), lets them idle side by side, and closes them in
# the same order. Figures are what this machine gave; none of them fails the
# script, only a step that does not work does.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ "${1:-}" = "--linux" ]; then
  shift
  exec scripts/bench-linux.sh "$@"
fi

runs=10
idle=30
settle=5
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --short) runs=1; idle=5; shift ;;
    *) echo "usage: $0 [--runs N] [--idle SECONDS] [--short]" >&2; exit 2 ;;
  esac
done
start_settle=0.5
# orbl3's automatic close runs 15 s after a removal (every drive's default
# interval); the door commands after it take well under a second.
autoclose_wait=18

# --- tools and builds ------------------------------------------------------------
# On a fresh Debian 12: the host build's tools, then the cross build's and
# Wine's, then the measuring tools (apt-get update first, in apt-install.sh).
scripts/setup-host.sh || exit 1
scripts/test-windows.sh --setup-only || exit 1
need=()
command -v strace >/dev/null || need+=(strace)
command -v valgrind >/dev/null || need+=(valgrind)
scripts/apt-install.sh "${need[@]}" || exit 1

echo "== building"
{ cmake --preset windows >/dev/null &&
  cmake --build --preset windows --target orbl3 orbl3_shipped_files bare_tray bench_probe &&
  cmake --preset default >/dev/null &&
  cmake --build --preset default --target sim_scenario; } || exit 1

out=$root/build/bench
mkdir -p "$out"
rm -f "$out"/strace-* "$out"/modules-*
raw=$out/raw.tsv
printf 'run\tsubject\tmetric\tvalue\n' >"$raw"
record() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" >>"$raw"; }

# --- callgrind: the simulated scenario ---------------------------------------------
# Instructions rather than time: the count stays put whatever else the
# machine does, so a change in it is a change in the program.
echo "== callgrind: bench/sim_scenario"
valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
  build/default/bench/sim_scenario >"$out/sim_scenario.log" 2>"$out/callgrind.log" ||
  { cat "$out/sim_scenario.log" "$out/callgrind.log"; echo "the simulated scenario failed" >&2; exit 1; }
instructions=$(awk '/^(summary|totals):/ { print $2; exit }' "$out/callgrind.out")
[ -n "$instructions" ] || { echo "no instruction count in callgrind's output" >&2; exit 1; }
echo "$instructions" >"$out/instructions.txt"

# --- the Wine session ------------------------------------------------------------
# shellcheck source=tests/e2e/wine_session.sh
. tests/e2e/wine_session.sh
probe_pid=""
teardown() {
  local status=$?
  trap - EXIT INT TERM
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  session_teardown
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM
fail() { echo "bench: $*" >&2; exit 1; }

echo "== Wine session"
session_start || exit 1
program_dir=$WINEPREFIX/drive_c/orbelle
cp build/windows/orbl3.exe build/windows/*.html "$program_dir/"
cp -r build/windows/Language "$program_dir/"
mkdir -p "$WINEPREFIX/drive_c/bench"
cp build/windows/bench/bare_tray.exe build/windows/bench/bench_probe.exe "$WINEPREFIX/drive_c/bench/"

# The probe stays up for the whole session: it is the notification area the
# programs report to, and a resident process keeps explorer.exe from quitting
# (and restarting, 0.5 s, inside the next start) between runs.
cd "$program_dir" || exit 1
# No filter on its output: one would hold the answers in its buffer.
coproc PROBE { wine 'C:\bench\bench_probe.exe' 2>/dev/null; }
probe_pid=$PROBE_PID
exec {to_probe}>&"${PROBE[1]}" {from_probe}<&"${PROBE[0]}"
ask() {
  [ -n "$1" ] && echo "$1" >&"$to_probe"
  IFS= read -r -t 60 answer <&"$from_probe" || fail "no answer from the probe to \"$1\""
  answer=${answer%$'\r'}
  case "$answer" in error*) fail "$answer" ;; esac
}
ask ""
echo "probe: $answer"

declare -A title=([orbl3]=Orbelle [bare]=Bare_Tray)
declare -A path=([orbl3]='C:\orbelle\orbl3.exe' [bare]='C:\bench\bare_tray.exe')
declare -A image=([orbl3]=orbl3.exe [bare]=bare_tray.exe)
declare -A lpid

# The Linux process that runs a Windows program: its command line starts
# with the program's Windows path, and it belongs to this session's prefix
# (other Wine sessions on the machine may run a program of the same name).
linux_pid() {
  local dir cmd
  for dir in /proc/[0-9]*; do
    cmd=$(tr '\0' ' ' 2>/dev/null <"$dir/cmdline") || continue
    case "${cmd%% *}" in *\\"$1") ;; *) continue ;; esac
    tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "${dir#/proc/}"
    return 0
  done
  return 1
}

. "$root/scripts/bench-measure.sh"

for run in $(seq 1 "$runs"); do
  if [ $((run % 2)) -eq 1 ]; then order=(orbl3 bare); else order=(bare orbl3); fi
  session_step "run $run of $runs: ${order[*]}"
  for s in "${order[@]}"; do
    # A start after the idle windows finds the machine cold and took 35 to
    # 90 ms longer than one right after another program's: whichever program
    # went first in a run paid for it, and ten alternating runs left the
    # medians to chance. So every measured start follows a throwaway start
    # and exit of the bare program, and a short pause for its exit to settle.
    ask "start warm-up ${title[bare]} ${path[bare]}"
    ask "close warm-up"
    sleep "$start_settle"
    ask "start $s ${title[$s]} ${path[$s]}"
    read -r _ _ _ icon_ms idle_ms <<<"$answer"
    record "$run" "$s" icon_ms "$icon_ms"
    record "$run" "$s" idle_ms "$idle_ms"
    lpid[$s]=$(linux_pid "${image[$s]}") || fail "no Linux process runs ${image[$s]}"
  done
  sleep "$settle"
  for s in "${order[@]}"; do sample_memory "$run" "$s"; done
  idle_windows "$run" "" "${order[@]}"
  # A removal with the default options: both drives' automatic close is
  # scheduled, runs 15 s later, and every timer stops again.
  # The switches while it waits show that the schedule did run.
  before=$(switches "${lpid[orbl3]}")
  ask "removal orbl3"
  sleep "$autoclose_wait"
  record "$run" orbl3 ctxt_autoclose $(($(switches "${lpid[orbl3]}") - before))
  idle_windows "$run" _after_removal orbl3
  for s in "${order[@]}"; do
    ask "close $s"
    read -r _ _ close_ms code <<<"$answer"
    [ "$code" = 0 ] || fail "$s ended with exit code $code"
    record "$run" "$s" close_ms "$close_ms"
  done
done
echo quit >&"$to_probe"
cd "$root" || exit 1

# --- the report ------------------------------------------------------------------------
python3 bench/report.py "$raw" "$out/instructions.txt" bench/baseline.txt \
  --runs "$runs" --idle "$idle" --settle "$settle" --autoclose-wait "$autoclose_wait" --json "$out/results.json" | tee "$out/table.md"
