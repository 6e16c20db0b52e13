#!/usr/bin/env bash
# orbl3 as a user meets it, on a display with an XEmbed tray host
# (run-with-display.sh --tray): the icon docks, a right click opens the menu,
# the menu is refused while the options window is up, a second start ends at
# once, a shell command reaches the running program (from a terminal without
# a display too), and without a display the program itself ends at once.
# Leaves a picture of the options window in $ORBL_SHOT (default: options.png
# in the build folder).
#   program_test.sh ORBL3 ORBL_QT_SHOT
set -euo pipefail
orbl3=$1
shot=$2
picture=${ORBL_SHOT:-$(dirname "$orbl3")/options.png}
fail() {
  echo "program_test: $*" >&2
  exit 1
}
# shellcheck source=within.sh
source "$(dirname "$0")/within.sh"
docked() { xwininfo -root -tree | grep -A6 '"panel"' | grep -q '"orbelle"'; }
# The program's visible windows that are larger than the icon, as "id width height".
shown() {
  for id in $(xdotool search --onlyvisible --class orbelle 2>/dev/null); do
    read -r w h < <(xwininfo -id "$id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
    [ "$w" -gt 40 ] && echo "$id $w $h"
  done
  true
}
menu_up() { [ -n "$(shown)" ]; }
menu_down() { [ -z "$(shown)" ]; }
options_up() { shown | awk '$2 > 300 {found=1} END{exit !found}'; }

code=0
errors=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$orbl3" 2>&1) || code=$?
[ "$code" = 1 ] && [[ $errors == "orbl3: no display:"* ]] && [ "$(wc -l <<<"$errors")" = 1 ] ||
  fail "without a display it ended with $code and said: $errors"

"$orbl3" &
program=$!
trap 'kill $program 2>/dev/null && wait $program 2>/dev/null; true' EXIT
within docked || { xwininfo -root -tree >&2; fail "the icon did not dock"; }
icon=$(xwininfo -root -tree | grep -A6 '"panel"' | awk '/"orbelle"/{print $1; exit}')
read -r x y < <(xwininfo -id "$icon" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x+5, y+5}')

xdotool mousemove "$x" "$y" click 3
within menu_up || fail "a right click on the icon opened no menu"
xdotool key Escape
within menu_down || fail "the menu did not close"

"$orbl3" || fail "a second start ended with $?"
kill -0 $program || fail "the second start ended the first"
# A command needs no display: typed in a remote shell, it still reaches the program.
status=$(env -u DISPLAY "$orbl3" status 2>&1) || fail "status ended with $?"
[ -n "$status" ] || fail "status printed nothing"

"$orbl3" options
within options_up || fail "the options window did not open"
window=$(shown | awk '$2 > 300 {print $1; exit}')
sleep 0.5  # the window is drawn once mapped; the picture is for people only
"$shot" "$picture" "$window" || fail "no picture of the options window"
echo "program_test: the options window is in $picture"
xdotool mousemove "$x" "$y" click 3
sleep 0.5  # a refused menu leaves nothing to wait for
[ "$(shown | wc -l)" = 1 ] || fail "the menu opened while the options window was up"
echo "program_test: docked, menu, refusal, second start and options all answered"
