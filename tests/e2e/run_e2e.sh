#!/usr/bin/env bash
# Runs orbl3.exe end to end under Wine: a fresh prefix with drives C: (fixed),
# D: and F: (CD-ROM), a private Xvfb display, one wineserver for the run, then
# the cases of the harness, one after the other. Everything is torn down at
# the end, also when a case fails or the run is interrupted.
#
#   run_e2e.sh PROGRAM HARNESS [UNIT_TESTS] [-- CASE...]
set -uo pipefail

usage() { echo "usage: $0 PROGRAM HARNESS [UNIT_TESTS] [-- CASE...]" >&2; exit 2; }
[ $# -ge 2 ] || usage
program=$(realpath "$1")
harness=$(realpath "$2")
shift 2
unit_tests=""
if [ $# -gt 0 ] && [ "$1" != "--" ]; then unit_tests=$(realpath "$1"); shift; fi
[ $# -gt 0 ] && [ "$1" = "--" ] && shift
cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
  cases=(resources start-and-close second-instance restart taskbar-created tray-menu-exit
         options-argument system-messages start-after-kill lock-refused-at-start
         tray-menu-open-door hot-key-conflict hot-key-pressed shutdown-warning
         removal-dialog)
  [ -n "$unit_tests" ] && cases=(unit "${cases[@]}")
fi

for tool in wine wineserver wineboot Xvfb; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

# Every step ends before this many seconds have passed, and the teardown takes
# at most 30 more: a hang fails here, inside the test's own time-out, rather
# than being killed from outside without a teardown.
deadline=$((SECONDS + ${ORBL_E2E_BUDGET:-240}))
# Seconds the next step may take: at most $1, never past the deadline.
budget() {
  local left=$((deadline - SECONDS))
  [ "$left" -gt "$1" ] && left=$1
  [ "$left" -lt 1 ] && left=1
  echo "$left"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/orbl-e2e.XXXXXX")
xvfb_pid=""
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

teardown() {
  local status=$?
  trap - EXIT INT TERM
  if [ -d "$WINEPREFIX" ]; then timeout 30 wineserver -k >/dev/null 2>&1; fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM

step() { printf '%s %s\n' "$(date +%T)" "$*"; }

# A display of our own: every Wine process needs one, even `wine reg`.
step "starting Xvfb"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

step "creating the Wine prefix on $DISPLAY"
timeout "$(budget 120)" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }

# Drive types and links are read when a session starts: set them now and
# start the session for the cases afresh afterwards. 120 dpi rather than 96,
# so that sizes the program forgets to scale show.
mkdir -p "$work/disc-d" "$work/disc-f" "$WINEPREFIX/drive_c/orbelle"
ln -sfn "$work/disc-d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$work/disc-f" "$WINEPREFIX/dosdevices/f:"
rm -f "$WINEPREFIX/dosdevices/z:"  # C: stays the one fixed drive
cat >"$work/session.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"d:"="cdrom"
"f:"="cdrom"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:00000078
REG
cp "$work/session.reg" "$WINEPREFIX/drive_c/session.reg"
timeout "$(budget 60)" wine reg import 'C:\session.reg' >/dev/null 2>&1 || { echo "reg import failed" >&2; exit 1; }
cp "$program" "$WINEPREFIX/drive_c/orbelle/orbl3.exe"
cp "$harness" "$WINEPREFIX/drive_c/orbelle/orbl_e2e.exe"
[ -n "$unit_tests" ] && cp "$unit_tests" "$WINEPREFIX/drive_c/orbelle/orbl_win32_tests.exe"
timeout "$(budget 30)" wineserver -k >/dev/null 2>&1
timeout "$(budget 30)" wineserver -w >/dev/null 2>&1

step "starting the session"
wineserver -p
# The first process of a session starts Wine's services, which keep its
# output open: give them a process whose output goes nowhere.
timeout "$(budget 60)" wine reg query 'HKCU\Software\Wine' >/dev/null 2>&1

# The cases start from the program's folder, as a user would.
cd "$WINEPREFIX/drive_c/orbelle" || exit 1
failed=()
for case in "${cases[@]}"; do
  step "case $case"
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "  FAILED (out of time)"
    failed+=("$case")
    continue
  fi
  if [ "$case" = unit ]; then
    timeout "$(budget 90)" wine 'C:\orbelle\orbl_win32_tests.exe' --gtest_brief=1 'one "quoted" \\arg\' 2>&1 | tr -d '\r'
  else
    timeout "$(budget 90)" wine 'C:\orbelle\orbl_e2e.exe' "$case" 'C:\orbelle\orbl3.exe' 2>&1 | tr -d '\r'
  fi
  status=${PIPESTATUS[0]}
  if [ "$status" -eq 0 ]; then
    echo "  passed"
  else
    echo "  FAILED (exit status $status)"
    failed+=("$case")
    # A hung case must not leave a program that blocks the next one.
    timeout "$(budget 20)" wine taskkill /f /im orbl3.exe >/dev/null 2>&1
  fi
done

step "done: $(( ${#cases[@]} - ${#failed[@]} )) of ${#cases[@]} cases passed"
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
exit 0
