#!/usr/bin/env bash
# Checks that every text of a language file fits the window showing it: builds
# the Windows program, starts it under Wine (a fresh prefix on a private
# display, as the end-to-end tests use) with each given file as its language,
# opens the options window's pages, the hot key dialog, the close-now dialog
# and the About window, and prints each text that is cut off with its window,
# its control and the pixels it lacks. Installs what is missing on a fresh
# Debian 12 machine first.
#
#   scripts/check-language.sh Language/Italian.ini [MORE.ini...]
#
# Exit code 0 when every text fits, 1 when one does not, 2 when the check
# could not run.
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: $0 LANGUAGE.ini..." >&2; exit 2; }
files=()
for file in "$@"; do
  [ -f "$file" ] || { echo "$file: no such file" >&2; exit 2; }
  files+=("$(realpath "$file")")
done
cd "$(dirname "$0")/.." || exit 2

scripts/test-windows.sh --setup-only || exit 2
cmake --preset windows >/dev/null || exit 2
cmake --build --preset windows --target orbl3 orbl_fit >/dev/null || exit 2

# shellcheck source=tests/e2e/wine_session.sh
. tests/e2e/wine_session.sh
trap 'session_teardown' EXIT
trap 'exit 130' INT TERM
session_start >/dev/null || exit 2
folder="$WINEPREFIX/drive_c/orbelle"
cp build/windows/orbl3.exe build/windows/tests/e2e/orbl_fit.exe "$folder/"
cp -r Language "$folder/"
# Beside the shipped files' folder, not in it: the program's own list stays as shipped.
mkdir -p "$folder/checked"
args=()
for file in "${files[@]}"; do
  cp "$file" "$folder/checked/"
  args+=("C:\\orbelle\\checked\\$(basename "$file")")
done
cd "$folder" || exit 2
# Through a file: a pipe would stay open as long as the Wine services run.
status=0
timeout 300 wine 'C:\orbelle\orbl_fit.exe' 'C:\orbelle\orbl3.exe' "${args[@]}" \
  >"$session_work/fit.log" 2>&1 || status=$?
tr -d '\r' <"$session_work/fit.log"
exit "$status"
