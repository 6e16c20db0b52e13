#!/usr/bin/env bash
# Runs Orbelle's installer end to end under Wine, in a fresh prefix of its own
# (wine_session.sh): the refusal of a Windows too old, a silent per-user
# install that starts the program, an install over the running program, a
# silent uninstall of a running program, the installer's and uninstaller's
# pages, a silent uninstall that removes the settings too, and per machine an
# install, an update over the running program and an uninstall with a file in
# use.
# Stops at the first failed check; everything is torn down at the end.
#
#   installer_e2e.sh SETUP PROBE [CERT]
#
# SETUP is orbelle-VERSION-setup.exe, PROBE orbl_install_probe.exe; CERT, the
# certificate the package was signed with, makes the installed orbl3.exe and
# uninstall.exe checked for its intact signature.
set -uo pipefail

[ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $0 SETUP PROBE [CERT]" >&2; exit 2; }
setup=$(realpath "$1")
probe=$(realpath "$2")
cert=${3:-}
[ -f "$setup" ] || { echo "no installer at $setup" >&2; exit 2; }

deadline=$((SECONDS + ${ORBL_INSTALLER_BUDGET:-170}))
# Seconds the next step may take: at most $1, never past the deadline.
budget() {
  local left=$((deadline - SECONDS))
  [ "$left" -gt "$1" ] && left=$1
  [ "$left" -lt 1 ] && left=1
  echo "$left"
}

# shellcheck source=tests/e2e/wine_session.sh
. "$(dirname "$0")/wine_session.sh"
# The pages are checked by their English texts.
export LC_ALL=C.UTF-8

teardown() {
  local status=$?
  trap - EXIT INT TERM
  session_teardown
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT TERM

step() { session_step "$@"; }
fail() {
  echo "  FAILED: $*"
  exit 1
}

# A Wine command with its output in a file: a program it starts (the
# installer's "start when done", the uninstaller's copy of itself) inherits
# that output and would keep a pipe open until it ends.
out=""
run() {
  timeout "$(budget 60)" wine "$@" >"$out" 2>&1
  local status=$?
  tr -d '\r' <"$out"
  return "$status"
}
probe() { run 'C:\orbelle\probe.exe' "$@"; }

# The data of a registry value, or status 1 when it is missing.
value() {
  timeout "$(budget 30)" wine reg query "$1" /v "$2" >"$out" 2>/dev/null || return 1
  tr -d '\r' <"$out" | sed -n 's/^.*    REG_[A-Z_]*    //p' | head -n 1
}
expect_value() {
  local got
  got=$(value "$1" "$2") || fail "$1 has no value \"$2\""
  [ "$got" = "$3" ] || fail "$1 \"$2\" is \"$got\", expected \"$3\""
}
expect_no_value() {
  value "$1" "$2" >/dev/null && fail "$1 still has \"$2\""
  return 0
}
has_key() { timeout "$(budget 30)" wine reg query "$1" >/dev/null 2>&1; }

# The Windows path of a Unix file in the prefix, and back.
unix_path() { timeout "$(budget 30)" winepath -u "$1" 2>/dev/null; }

session_start || exit $?
out="$session_work/out"
cp "$setup" "$WINEPREFIX/drive_c/orbelle/setup.exe"
cp "$probe" "$WINEPREFIX/drive_c/orbelle/probe.exe"
# A working folder that Wine can reach: the prefix has no drive for the rest.
cd "$WINEPREFIX/drive_c/orbelle" || exit 1

version=$(basename "$setup" | sed -n 's/^orbelle-\(.*\)-setup\.exe$/\1/p')
settings='HKCU\SOFTWARE\Corvantis\Orbelle\3.x'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbelle'
installed_files=(orbl3.exe orbelle-help.html readme.txt LICENSE.txt uninstall.exe
                 Language/English.ini Language/German.ini Language/French.ini)

step "a Windows older than 10 version 1607 is refused"
# Wine passes itself off as Windows 7 unless told otherwise: Windows 10 for the
# session, 8.1 for the installer alone in this step.
run reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null || fail "reg add"
old_windows='HKCU\Software\Wine\AppDefaults\setup.exe'
run reg add "$old_windows" /v Version /d win81 /f >/dev/null || fail "reg add"
run 'C:\orbelle\setup.exe' /S
status=$?
# ERROR_OLD_WIN_VERSION, 1150, reaches the shell as its low byte.
[ "$status" -eq $((1150 % 256)) ] ||
  fail "the installer's exit status on Windows 8.1 is $status, expected 1150 % 256"
run reg delete "$old_windows" /f >/dev/null || fail "reg delete"
has_key "HKCU\\$uninstall_key" && fail "the installer installed on Windows 8.1"

step "the user's settings and autostart values of an earlier Orbelle"
cat >"$WINEPREFIX/drive_c/orbelle/earlier.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\SOFTWARE\Corvantis\Orbelle\3.x]
"InstallerProbe"="kept"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"Orbelle"="C:\\Orbelle\\orbl3.exe"
"ORBL"="C:\\Orbelle\\orbl3.exe"
REG
run reg import 'C:\orbelle\earlier.reg' >/dev/null || fail "reg import"

local_app_data=$(timeout "$(budget 30)" wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
app_data=$(timeout "$(budget 30)" wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
user_dir="$local_app_data\\Programs\\Orbelle"
user_dir_unix=$(unix_path "$user_dir")
user_link=$(unix_path "$app_data\\Microsoft\\Windows\\Start Menu\\Programs\\Orbelle.lnk")
[ -n "$user_dir_unix" ] && [ -n "$user_link" ] || fail "no per-user folders in the prefix"

expect_installed() {  # FOLDER_UNIX LINK_UNIX ROOT FOLDER
  local file
  for file in "${installed_files[@]}"; do
    [ -f "$1/$file" ] || fail "$file is not installed in $1"
  done
  cmp -s "$1/orbl3.exe" "$WINEPREFIX/drive_c/orbelle/staged-orbl3.exe" ||
    fail "the installed orbl3.exe is not the packaged one"
  [ -f "$2" ] || fail "no Start menu entry $2"
  local key="$3\\$uninstall_key"
  expect_value "$key" DisplayName Orbelle
  expect_value "$key" DisplayVersion "$version"
  expect_value "$key" Publisher Corvantis
  expect_value "$key" InstallLocation "$4"
  expect_value "$key" DisplayIcon "$4\\orbl3.exe,0"
  expect_value "$key" UninstallString "\"$4\\uninstall.exe\""
  expect_value "$key" QuietUninstallString "\"$4\\uninstall.exe\" /S"
  expect_value "$key" NoModify 0x1
  expect_value "$key" NoRepair 0x1
  local size
  size=$(value "$key" EstimatedSize) || fail "no EstimatedSize"
  [ $((size)) -gt 100 ] || fail "EstimatedSize $size KB"
}
# The zip archive's orbl3.exe is the one the installer carries.
(cd "$session_work" && cmake -E tar xf "$(dirname "$setup")/orbelle-$version-win64.zip" \
  Orbelle/orbl3.exe) || fail "orbl3.exe not in the zip archive"
mv "$session_work/Orbelle/orbl3.exe" "$WINEPREFIX/drive_c/orbelle/staged-orbl3.exe"

step "silent per-user install, started when done"
run 'C:\orbelle\setup.exe' /S /Start || fail "installer exit status $?"
expect_installed "$user_dir_unix" "$user_link" HKCU "$user_dir"
has_key "HKLM\\$uninstall_key" && fail "a per-user install wrote to HKLM"
if [ -n "$cert" ]; then
  # The uninstaller is made and signed inside makensis: here is where it can be seen.
  "$(dirname "$0")/verify_signature.sh" "$cert" "$user_dir_unix/uninstall.exe" \
    "$user_dir_unix/orbl3.exe" || fail "the installed files are not signed intact"
fi
probe running "$user_dir\\orbl3.exe" || fail "Orbelle does not run from the installed folder"
first_pid=$(tail -n 1 "$out")

step "install over the running Orbelle"
# Orbelle writes DriveCount when it saves at its end: back again, it ended
# its own way rather than being killed.
timeout "$(budget 30)" wine reg delete "$settings" /v DriveCount /f >/dev/null 2>&1
run 'C:\orbelle\setup.exe' /S || fail "installer exit status $?"
probe none || fail "Orbelle was not ended, or started again without /Start"
value "$settings" DriveCount >/dev/null || fail "Orbelle did not save its settings at its end"
expect_value "$settings" InstallerProbe kept
expect_installed "$user_dir_unix" "$user_link" HKCU "$user_dir"

step "silent uninstall while Orbelle runs"
probe start "$user_dir\\orbl3.exe" || fail "the installed Orbelle does not start"
[ "$(tail -n 1 "$out")" != "$first_pid" ] || fail "the first Orbelle never ended"
quiet=$(value "HKCU\\$uninstall_key" QuietUninstallString)
# The uninstaller hands over to a copy of itself and returns at once.
run "$user_dir\\uninstall.exe" /S || fail "uninstaller exit status $? ($quiet)"
probe uninstalled HKCU || fail "the uninstall did not finish"
probe none || fail "the uninstaller left Orbelle running"
[ -e "$user_dir_unix" ] && fail "$user_dir_unix is left: $(ls -R "$user_dir_unix")"
[ -e "$user_link" ] && fail "the Start menu entry is left"
expect_no_value "$run_key" Orbelle
expect_no_value "$run_key" ORBL
expect_value "$settings" InstallerProbe kept

step "installer and uninstaller with their pages, the settings removed by the box"
probe setup-pages 'C:\orbelle\setup.exe' "$user_dir" || fail "the installer's pages"
expect_installed "$user_dir_unix" "$user_link" HKCU "$user_dir"
probe running "$user_dir\\orbl3.exe" || fail "Finish did not start Orbelle"
probe uninstall-pages "$user_dir\\uninstall.exe" "$user_dir" || fail "the uninstaller's pages"
probe uninstalled HKCU || fail "the uninstall did not finish"
probe none || fail "the uninstaller left Orbelle running"
[ -e "$user_dir_unix" ] && fail "$user_dir_unix is left"
has_key "$settings" && fail "the settings key is left"

step "silent uninstall with /RemoveSettings; a file of the user's stays"
run reg import 'C:\orbelle\earlier.reg' >/dev/null || fail "reg import"
run 'C:\orbelle\setup.exe' /S /CurrentUser || fail "installer exit status $?"
echo "mine" >"$user_dir_unix/notes.txt"
run "$user_dir\\uninstall.exe" /S /RemoveSettings || fail "uninstaller exit status $?"
probe uninstalled HKCU || fail "the uninstall did not finish"
[ "$(ls -A "$user_dir_unix")" = notes.txt ] ||
  fail "the folder holds \"$(ls -A "$user_dir_unix" | tr '\n' ' ')\", expected notes.txt alone"
has_key "$settings" && fail "the settings key is left"
has_key 'HKCU\SOFTWARE\Corvantis' && fail "the empty HKCU\\SOFTWARE\\Corvantis is left"

step "silent per-machine install: not started, even when asked"
machine_dir='C:\Program Files\Orbelle'
machine_dir_unix=$(unix_path "$machine_dir")
program_data=$(timeout "$(budget 30)" wine cmd /c 'echo %ProgramData%' 2>/dev/null | tr -d '\r')
machine_link=$(unix_path "$program_data\\Microsoft\\Windows\\Start Menu\\Programs\\Orbelle.lnk")
run 'C:\orbelle\setup.exe' /S /AllUsers /Start || fail "installer exit status $?"
expect_installed "$machine_dir_unix" "$machine_link" HKLM "$machine_dir"
has_key "HKCU\\$uninstall_key" && fail "a per-machine install wrote to HKCU"
# An elevated installer would start it elevated: the user starts it.
probe none || fail "the per-machine installer started Orbelle"

step "update over the running per-machine Orbelle, which stays per machine"
probe start "$machine_dir\\orbl3.exe" || fail "the installed Orbelle does not start"
timeout "$(budget 30)" wine reg delete "$settings" /v DriveCount /f >/dev/null 2>&1
run 'C:\orbelle\setup.exe' /S || fail "installer exit status $?"
probe none || fail "Orbelle was not ended"
value "$settings" DriveCount >/dev/null || fail "Orbelle did not save its settings at its end"
expect_installed "$machine_dir_unix" "$machine_link" HKLM "$machine_dir"
has_key "HKCU\\$uninstall_key" && fail "the update went per user"

step "per-machine uninstall while another session's Orbelle holds orbl3.exe"
session_manager='HKLM\System\CurrentControlSet\Control\Session Manager'
probe in-use "$machine_dir\\orbl3.exe" "$machine_dir\\uninstall.exe" "$machine_dir" ||
  fail "the held uninstall"
code=$(tail -n 1 "$out" | tr -d '\r')
[ "$code" = 3010 ] || fail "the uninstaller's exit status is $code, expected 3010 (restart needed)"
has_key "HKLM\\$uninstall_key" && fail "the uninstall entry stays although every file is gone or scheduled"
[ -e "$machine_link" ] && fail "the Start menu entry is left"
[ "$(cd "$machine_dir_unix" && find . -type f | sort | tr '\n' ' ')" = "./orbl3.exe ./uninstall.exe " ] ||
  fail "left in $machine_dir_unix: $(cd "$machine_dir_unix" && find . | tr '\n' ' ')"
pending=$(value "$session_manager" PendingFileRenameOperations) ||
  fail "nothing is scheduled for the next restart"
for file in orbl3.exe uninstall.exe; do
  grep -Fqi "Program Files\\Orbelle\\$file" <<<"$pending" || fail "$file is not scheduled: $pending"
done

step "done: every installer check passed"
exit 0
