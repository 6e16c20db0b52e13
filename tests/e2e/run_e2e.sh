#!/usr/bin/env bash
# Runs orbl3.exe end to end under Wine: a fresh prefix with drives C: (fixed),
# D: and F: (CD-ROM), a private Xvfb display, one wineserver for the run
# (wine_session.sh), then the cases of the harness, one after the other. Everything is torn down at
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
  cases=(resources start-and-close second-instance start-after-kill lock-refused-at-start
         hot-key-conflict removal-and-shutdown options-window language-german hot-key-dialog
         languages-fit)
  [ -n "$unit_tests" ] && cases=(unit "${cases[@]}")
fi

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

# shellcheck source=tests/e2e/wine_session.sh
. "$(dirname "$0")/wine_session.sh"

teardown() {
  local status=$?
  trap - EXIT INT TERM
  session_teardown
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM

step() { session_step "$@"; }

session_start || exit $?
cp "$program" "$WINEPREFIX/drive_c/orbelle/orbl3.exe"
cp "$harness" "$WINEPREFIX/drive_c/orbelle/orbl_e2e.exe"
# What the build lays beside the program goes with it: its language files
# (the language case chooses German) and its help page.
program_dir=$(dirname "$program")
[ -d "$program_dir/Language" ] && cp -r "$program_dir/Language" "$WINEPREFIX/drive_c/orbelle/"
[ -f "$program_dir/orbelle-help.html" ] && cp "$program_dir/orbelle-help.html" "$WINEPREFIX/drive_c/orbelle/"
[ -n "$unit_tests" ] && cp "$unit_tests" "$WINEPREFIX/drive_c/orbelle/orbl_win32_tests.exe"

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
