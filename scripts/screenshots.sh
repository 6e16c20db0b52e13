#!/usr/bin/env bash
# Pictures of orbl3.exe's windows for the documentation: builds the Windows
# program, runs it under Wine in a fresh prefix on a private display (drives
# C:, D: and F: as for the end-to-end tests, 96 dpi) and writes one PNG file
# per picture into docs/screenshots/. Installs what is missing on a fresh
# Debian 12 machine first.
#
#   scripts/screenshots.sh            every picture
#   scripts/screenshots.sh NAME...    only the named pictures (tray-menu ...)
#
# Each picture is a named step in the list at the end: what brings the window
# up (tool steps of orbl_shot.exe: click TITLE TEXT, close TITLE, tray-menu,
# removal D ...),
# then `shot NAME TITLE`, which waits for the window titled TITLE and captures it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out="$root/docs/screenshots"
wanted=("$@")

scripts/test-windows.sh --setup-only
command -v python3 >/dev/null || scripts/apt-install.sh python3
cmake --preset windows >/dev/null
cmake --build --preset windows --target orbl3 orbl_shot

SESSION_SCREEN=1280x1024x24 SESSION_DPI=96
# shellcheck source=tests/e2e/wine_session.sh
. tests/e2e/wine_session.sh
trap 'session_teardown' EXIT
trap 'exit 130' INT TERM
session_start
# Wine draws the title bar's close box with its Marlett font, which this
# prefix does not find on its own (the box would show a plain "r").
for font in /usr/share/wine/fonts/marlett.ttf; do
  [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
folder="$WINEPREFIX/drive_c/orbelle"
cp build/windows/orbl3.exe build/windows/tests/e2e/orbl_shot.exe "$folder/"
# The texts come from the language files beside the program, as on the user's disk.
cp -r build/windows/Language build/windows/orbelle-help.html "$folder/"
mkdir -p "$out" "$folder/shots"
cd "$folder"

# One step of orbl_shot.exe inside the session; a failed step ends the run.
# Its output goes through a file: a pipe would stay open as long as the Wine
# processes it happened to start (the desktop's explorer.exe) run.
tool() {
  local status=0
  timeout 60 wine 'C:\orbelle\orbl_shot.exe' "$@" >"$session_work/tool.log" 2>&1 || status=$?
  tr -d '\r' <"$session_work/tool.log"
  [ "$status" -eq 0 ] || { echo "step failed ($status): $*" >&2; exit 1; }
}

# Starts the program with the given arguments and waits until it runs.
program() {
  wine 'C:\orbelle\orbl3.exe' "$@" >/dev/null 2>&1 &
  tool running
}

# shot NAME TITLE: the window titled TITLE ("#menu": the open pop-up menu)
# becomes docs/screenshots/NAME.png. Skipped when names were given and NAME
# is not one of them (the steps around it still run).
shot() {
  local name=$1 title=$2
  if [ ${#wanted[@]} -gt 0 ] && [[ " ${wanted[*]} " != *" $name "* ]]; then return 0; fi
  session_step "picture $name"
  tool capture "$title" "C:\\orbelle\\shots\\$name.bmp"
  python3 "$root/scripts/bmp-to-png.py" "shots/$name.bmp" "$out/$name.png"
  echo "  wrote docs/screenshots/$name.png"
}

# --- the pictures ------------------------------------------------------------------

# The close-now dialog needs its option on for D before the program starts.
tool option D " ShowDialogToCloseDriveImmediately" 1

program options
shot options-common "Orbelle 3"
tool click "Orbelle 3" "D:"
shot options-drive "Orbelle 3"
# The first "Change..." is the open/close hot key's.
tool click "Orbelle 3" "Change..."
shot hot-key "Hot Key Options"
tool click "Hot Key Options" Cancel
tool close "Orbelle 3"

tool tray-menu
shot tray-menu "#menu"
tool close-menu

# Up from no selection: Exit, then About Orbelle.
tool tray-menu
tool menu-keys up up return
shot about "About Orbelle"
tool close "About Orbelle"

tool removal D
shot close-now "Close Drive"
tool click "Close Drive" Cancel

tool quit
session_step "done"
