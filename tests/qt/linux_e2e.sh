#!/usr/bin/env bash
# The Linux program end to end with drives: on a private display and session
# bus, with a stand-in tray manager (the benchmark's probe, which reports dock
# requests) and two drives from the preloaded fake CD-ROM layer (D: with a
# disc, E: empty). program_test.sh covers the tray, the menu and the windows.
#
#   linux_e2e.sh ORBL3 PROBE SHIM
set -uo pipefail
program=$1 probe=$2 shim=$3

session=$(mktemp -d)
xvfb_pid="" bus_pid="" probe_pid="" orbl_pid=""
cleanup() {
  [ -n "$orbl_pid" ] && kill "$orbl_pid" 2>/dev/null
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$session"
}
trap cleanup EXIT
failures=0
check() {  # DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}

display=:$((200 + RANDOM % 200))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$session/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.05; done
export DISPLAY=$display QT_QPA_PLATFORM=xcb
mkdir -p "$session/runtime" "$session/config" "$session/home" "$session/fake/block"
chmod 700 "$session/runtime"
export XDG_RUNTIME_DIR=$session/runtime XDG_CONFIG_HOME=$session/config HOME=$session/home
read -r DBUS_SESSION_BUS_ADDRESS bus_pid < <(dbus-daemon --session --fork --print-address=1 \
  --print-pid=1 | paste -s -d ' ')
export DBUS_SESSION_BUS_ADDRESS
export ORBL_FAKE_CDROM=$session/fake
touch "$ORBL_FAKE_CDROM/block/sr0" "$ORBL_FAKE_CDROM/block/sr1"
echo "disc 1" >"$ORBL_FAKE_CDROM/sr0"
: >"$ORBL_FAKE_CDROM/sr1"
orbl3() { LD_PRELOAD=$shim "$program" "$@"; }

coproc PROBE { "$probe"; }
probe_pid=$PROBE_PID
exec {to_probe}>&"${PROBE[1]}" {from_probe}<&"${PROBE[0]}"
ask() {
  [ -n "$1" ] && echo "$1" >&"$to_probe"
  IFS= read -r -t 60 answer <&"$from_probe" || answer="error no answer to \"$1\""
}
ask ""
[ "$answer" = ready ] || { echo "the tray probe did not start: $answer" >&2; exit 1; }

ask "start /usr/bin/env LD_PRELOAD=$shim $program"
check "the icon docks ($answer)" test "${answer%% *}" = started
read -r _ orbl_pid _ <<<"$answer"

status=$(orbl3 status)
code=$?
check "status answers with both drives" \
  test "$code" = 0 -a "$(printf '%s\n' "$status" | grep -c '^[DE]: door')" = 2
check "status sees the disc in D: only" \
  test "$(printf '%s\n' "$status" | grep -c 'no disc')" = 1

orbl3 open D
check "open D: ejects sr0" grep -qx "sr0 eject" "$ORBL_FAKE_CDROM/log"
orbl3 close D
check "close D: closes sr0" grep -qx "sr0 close" "$ORBL_FAKE_CDROM/log"
orbl3 lock E
check "lock E: locks sr1" grep -qx "sr1 lock 1" "$ORBL_FAKE_CDROM/log"
check "while locked, sr1's guard is held" bash -c "! flock -n \"$XDG_RUNTIME_DIR/orbelle/sr1.guard\" true"
check "a wrong drive is a usage error" bash -c "LD_PRELOAD=$shim $program open Q 2>/dev/null; test \$? = 2"

ask "term $orbl_pid"
read -r _ _ _ code <<<"$answer"
check "SIGTERM ends it with 0 ($answer)" test "$code" = 0
orbl_pid=""
check "SIGTERM saved the options" test -s "$XDG_CONFIG_HOME/orbelle/settings.reg"

echo quit >&"$to_probe"
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
