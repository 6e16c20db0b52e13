#!/usr/bin/env bash
# The Linux program end to end with drives, in a session of its own
# (run-with-display.sh --bus), with a stand-in tray manager (the benchmark's
# probe, which reports dock requests) and two drives from the preloaded fake
# CD-ROM layer (D: with a disc, E: empty). program_test.sh covers the tray,
# the menu and the windows. The session bus doubles as the system bus, where
# python3-dbusmock plays logind; a last start finds a StatusNotifierItem
# watcher there instead.
#
#   run-with-display.sh --bus linux_e2e.sh ORBL3 PROBE SHIM
set -uo pipefail
program=$1 probe=$2 shim=$3
# shellcheck source=within.sh
source "$(dirname "$0")/within.sh"

session=$(mktemp -d)
probe_pid="" orbl_pid="" mock_pids=()
cleanup() {
  [ -n "$orbl_pid" ] && kill -9 "$orbl_pid" 2>/dev/null
  for pid in "${mock_pids[@]}"; do kill "$pid" 2>/dev/null; done
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  rm -rf "$session"
}
trap cleanup EXIT
failures=0
check() {  # DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}

export QT_QPA_PLATFORM=xcb
mkdir -p "$session/fake/block"
export ORBL_FAKE_CDROM=$session/fake
touch "$ORBL_FAKE_CDROM/block/sr0" "$ORBL_FAKE_CDROM/block/sr1"
echo "disc 1" >"$ORBL_FAKE_CDROM/sr0"
: >"$ORBL_FAKE_CDROM/sr1"
log=$ORBL_FAKE_CDROM/log
orbl3() { LD_PRELOAD=$shim "$program" "$@"; }
logged() { grep -qx "$1" "$log"; }
# D: asks to close at once after a removal, locks (saying so) and warns of
# its disc for sleep, unlocks (saying so) on waking, warns of its disc for
# shutdown (by default); E: opens and closes with Ctrl+Shift+F9 (Ctrl+Alt+F9
# switches consoles); a double-click on the icon opens or closes E:.
mkdir -p "$XDG_CONFIG_HOME/orbelle"
printf '%s\n' '[SOFTWARE\Corvantis\Orbelle\3.x]' \
  '"D ShowDialogToCloseDriveImmediately"=text:"1"' '"D LockWhenGoingToSleepMode"=text:"1"' \
  '"D WarnAboutDiscWhenGoingToSleepMode"=text:"1"' '"D UnlockLockWhenExitingFromSleepMode"=text:"1"' \
  '"D ShowMessagesWhenLockingUnlocking"=text:"1"' \
  '"E HotKeyClose-Ctrl"=text:"1"' '"E HotKeyClose-Shift"=text:"1"' '"E HotKeyClose-Key"=text:"120"' \
  '"Double - Letter"=text:"E"' '"Double - Action"=text:"1"' \
  >"$XDG_CONFIG_HOME/orbelle/settings.reg"
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
shown() { [ -n "$(visible "$1")" ]; }
answer() { xdotool windowfocus --sync "$(visible "$1")" key Escape; }

logind=(gdbus call --session --dest org.freedesktop.login1 --object-path /org/freedesktop/login1)
/usr/bin/python3 -m dbusmock --template logind >/dev/null 2>&1 &
mock_pids+=("$!")
within "${logind[@]}" --method org.freedesktop.login1.Manager.ListInhibitors >/dev/null 2>&1 ||
  { echo "the mock logind did not start" >&2; exit 1; }
inhibitors() { "${logind[@]}" --method org.freedesktop.login1.Manager.ListInhibitors; }
emit() {  # SIGNAL true|false
  "${logind[@]}" --method org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.login1.Manager \
    "$1" b "[<$2>]" >/dev/null
}

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

status=$(orbl3 status) && doors=$(grep -c '^[DE]: door' <<<"$status")
check "status sees both drives, the disc in D: only" \
  test "${doors:-0}" = 2 -a "$(grep -c 'no disc' <<<"$status")" = 1

orbl3 open D
check "open D: ejects sr0" logged "sr0 eject"
check "our own eject is a removal: D: asks to close at once" within shown '^Close Drive$'
orbl3 close D
check "close D: closes sr0" logged "sr0 close"
answer '^Close Drive$'

: >"$log"
xdotool key ctrl+shift+F9
check "E:'s hot key opens its door" within logged "sr1 eject"
orbl3 lock E
check "lock E: locks sr1" logged "sr1 lock 1"
check "while locked, sr1's guard is held" bash -c "! flock -n \"$XDG_RUNTIME_DIR/orbelle/sr1.guard\" true"
usage() {  # each argument is one command line that must end as a usage error
  local line
  for line in "$@"; do
    # shellcheck disable=SC2086
    env -u DISPLAY "$program" $line 2>/dev/null
    [ $? = 2 ] || return 1
  done
}
check "a wrong drive or word is a usage error, with or without a display" usage "open Q" frobnicate

held() { inhibitors | grep -q "'shutdown:sleep'"; }
released() { ! held; }
# The boxes stand for work that takes a while: logind waits for it.
check "logind waits for us" held
emit PrepareForSleep true
check "going to sleep locks D:" within shown '^Locked!$'
answer '^Locked!$'
check "and warns of its disc" within shown '^Orbelle$'
check "logind waits while it does" held
answer '^Orbelle$'
check "and then no longer" within released
emit PrepareForSleep false
check "waking up unlocks D:" within shown '^Unlocked!$'
check "logind waits for that too" held
answer '^Unlocked!$'
: >"$log"
emit PrepareForShutdown true
check "the shutdown warns of D:'s disc" within shown '^Orbelle$'
check "and has closed the doors" test "$(grep -cx 'sr[01] close' "$log")" = 2
check "logind waits while the warning is up" held
answer '^Orbelle$'
check "and then no longer" within released
emit PrepareForShutdown false
check "a shutdown called off holds logind again" within held

ask "term $orbl_pid"
read -r _ _ _ code <<<"$answer"
check "SIGTERM ends it with 0 ($answer)" test "$code" = 0
orbl_pid=""
check "SIGTERM saved the options" grep -q '^"DriveCount"=number:0x00000002' \
  "$XDG_CONFIG_HOME/orbelle/settings.reg"

# With neither the program nor a display, a command runs on its own; the box
# it would show (D: says when it locks) goes to the terminal.
said=$(env -u DISPLAY LD_PRELOAD="$shim" timeout 10 "$program" lock D 2>&1)
check "a command without a display prints its box ($said) and ends" test "$said" = "orbl3: Locked!"

# A StatusNotifierItem host (python3-dbusmock as its watcher) takes the icon
# instead: it never reports a double-click, so activation runs its action.
/usr/bin/python3 -m dbusmock --session -l "$session/watcher.log" \
  --template "$(dirname "$0")/status_notifier_watcher.py" >/dev/null 2>&1 &
watcher_pid=$!
mock_pids+=("$watcher_pid")
within gdbus introspect --session --dest org.kde.StatusNotifierWatcher \
  --object-path /StatusNotifierWatcher >/dev/null 2>&1
LD_PRELOAD=$shim "$program" &
orbl_pid=$!
item() { awk '/RegisterStatusNotifierItem/ {gsub(/"/, "", $3); print $3; exit}' "$session/watcher.log"; }
registered() { [ -n "$(item)" ]; }
check "the icon registers with the host" within registered
: >"$log"
gdbus call --session --dest "$(item)" --object-path /StatusNotifierItem \
  --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
check "activating the icon opens E: (its double-click action)" within logged "sr1 eject"
kill -9 "$orbl_pid" "$watcher_pid"
wait "$orbl_pid" "$watcher_pid" 2>/dev/null

# Another program holds Ctrl+Shift+F9 (once the killed one's grab is gone).
grabbed() { ask "grab ffc6" && [ "${answer%% *}" = grabbed ]; }
within grabbed
ask "start /usr/bin/env LD_PRELOAD=$shim $program"
read -r _ orbl_pid _ <<<"$answer"
check "a taken hot key shows the box ($answer)" within shown '^Orbelle$'
kill -9 "$orbl_pid"
orbl_pid=""

echo quit >&"$to_probe"
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
