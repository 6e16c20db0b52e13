#!/usr/bin/env bash
# Runs orbl3.exe end to end under Wine: a fresh prefix with drives C: (fixed),
# D: and F: (CD-ROM), a private Xvfb display, one wineserver for the run
# (wine_session.sh). The cases: the backend's own tests, the translators'
# check, and every scenario file of tests/scenarios (the runner picks the
# scenarios tagged wine). Everything is torn down at the end, also when a
# case fails or the run is interrupted.
#
#   run_e2e.sh PROGRAM RUNNER UNIT_TESTS [CASE...]   (a case: unit, languages-fit, a file name)
set -uo pipefail

[ $# -ge 3 ] || { echo "usage: $0 PROGRAM RUNNER UNIT_TESTS [CASE...]" >&2; exit 2; }
program=$(realpath "$1") runner=$(realpath "$2") unit_tests=$(realpath "$3")
shift 3
scenarios=$(realpath "$(dirname "$0")/../scenarios")
cases=("$@")
# The shipped language files are measured before a scenario may replace one.
[ ${#cases[@]} -gt 0 ] ||
  cases=(unit languages-fit $(cd "$scenarios" && ls ./*.txt | sed 's|^\./||' | grep -vx CMakeLists.txt))

# Every step ends before this many seconds have passed, and the teardown takes
# at most 30 more: a hang fails here, inside the test's own time-out.
deadline=$((SECONDS + ${ORBL_E2E_BUDGET:-240}))
budget() {
  local left=$((deadline - SECONDS))
  [ "$left" -gt "$1" ] && left=$1
  [ "$left" -lt 1 ] && left=1
  echo "$left"
}

# shellcheck source=tests/e2e/wine_session.sh
. "$(dirname "$0")/wine_session.sh"
trap 'status=$?; trap - EXIT INT TERM; session_teardown; exit "$status"' EXIT
trap 'exit 130' INT TERM

session_start || exit $?
# Where an installation puts it (a blank in the path, as users have it), with
# what the build lays beside it: the language files and the help page.
folder="$WINEPREFIX/drive_c/Program Files/Orbelle"
mkdir -p "$folder" "$WINEPREFIX/drive_c/scenarios"
cp "$program" "$runner" "$unit_tests" "$folder/"
program_dir=$(dirname "$program")
[ -d "$program_dir/Language" ] && cp -r "$program_dir/Language" "$folder/"
[ -f "$program_dir/orbelle-help.html" ] && cp "$program_dir/orbelle-help.html" "$folder/"
cp "$scenarios"/*.txt "$WINEPREFIX/drive_c/scenarios/"

cd "$folder" || exit 1
failed=()
for case in "${cases[@]}"; do
  session_step "case $case"
  if [ "$SECONDS" -ge "$deadline" ]; then
    status="out of time"
  elif [ "$case" = unit ]; then
    timeout "$(budget 90)" wine "$(basename "$unit_tests")" --gtest_brief=1 'one "quoted" \\arg\' 2>&1 | tr -d '\r'
    status=${PIPESTATUS[0]}
  else
    [ "$case" = languages-fit ] || case="C:\\scenarios\\$case"
    timeout "$(budget 90)" wine "$(basename "$runner")" "$case" 'C:\Program Files\Orbelle\orbl3.exe' 2>&1 | tr -d '\r'
    status=${PIPESTATUS[0]}
  fi
  if [ "$status" != 0 ]; then
    echo "  FAILED ($status)"
    failed+=("$case")
    # A hung case must not leave a program that blocks the next one.
    timeout "$(budget 20)" wine taskkill /f /im orbl3.exe >/dev/null 2>&1
  fi
done

session_step "done: $((${#cases[@]} - ${#failed[@]})) of ${#cases[@]} cases passed"
[ ${#failed[@]} -eq 0 ] || { echo "failed: ${failed[*]}"; exit 1; }
