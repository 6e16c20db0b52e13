#!/usr/bin/env bash
# The .deb as a user gets it: built, passed by lintian, installed, its files
# where the desktop and udev look for them, started from its link, and purged
# without a trace.
# Installing needs root (CI runs as root); elsewhere it is skipped.
#   tests/qt/package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing a package needs root"
  exit 77
fi
if dpkg-query -W -f '${Status}' orbelle 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIPPED: orbelle is installed on this machine; the test would replace it"
  exit 77
fi
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --build "$build" --target package >/dev/null
deb=$build/orbelle_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb"

findings=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EW]: ' || true)
[ -z "$findings" ] || fail "lintian: $findings"

trap 'dpkg --purge orbelle >/dev/null 2>&1 || true' EXIT
dpkg -i "$deb" >/dev/null

[ "$(readlink -f /usr/bin/orbl3)" = /usr/lib/orbelle/orbl3 ] || fail "/usr/bin/orbl3 is not the program"
for shipped in Language/English.ini orbelle-help.html; do
  cmp -s "/usr/lib/orbelle/$shipped" "/usr/share/orbelle/$shipped" || fail "$shipped beside the program"
done
desktop-file-validate /usr/share/applications/orbelle.desktop || fail "desktop file"
for size in 16 32 48; do
  [ -s /usr/share/icons/hicolor/${size}x${size}/apps/orbelle.png ] || fail "no $size pixel icon"
done
man -w orbl3 >/dev/null || fail "no man page"
# Started by its command name, as the menu entry does, it docks in a tray.
"$(dirname "$0")/run-with-display.sh" --tray bash -c '
  orbl3 & program=$!
  for _ in $(seq 100); do
    if xwininfo -root -tree | grep -A6 "\"panel\"" | grep -q "\"orbelle\""; then
      kill "$program" && wait "$program"
      exit
    fi
    sleep 0.1
  done
  kill "$program"
  exit 1' || fail "the installed program did not dock"
[ ! -e /etc/xdg/autostart/orbelle.desktop ] || fail "an autostart entry for everyone"
# The rule runs the helper, which starts with what the package brought and
# finds no guard here.
rule=/lib/udev/rules.d/59-orbelle.rules
grep -q 'PROGRAM=="/usr/lib/orbelle/orbl3-guarded %k"' "$rule" || fail "the rule does not run the helper"
answer=0
/usr/lib/orbelle/orbl3-guarded sr0 || answer=$?
[ "$answer" -eq 1 ] || fail "the helper answered $answer for an unguarded drive"

dpkg --purge orbelle >/dev/null
left=$(find /usr/lib/orbelle /usr/share/orbelle /usr/share/doc/orbelle /usr/bin/orbl3 "$rule" \
  /usr/share/applications/orbelle.desktop 2>/dev/null || true)
[ -z "$left" ] || fail "left after purge: $left"
echo "package: lintian clean, installed, checked and purged"
