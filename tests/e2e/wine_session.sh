# A Wine session of our own, sourced by run_e2e.sh and scripts/screenshots.sh:
# a private Xvfb display, a fresh prefix in a temporary folder with drives C:
# (fixed), D: and F: (CD-ROM), and one wineserver for the whole run, started
# afresh so that the drive settings hold. session_teardown ends all of it.
#
# Settings, read when session_start runs:
#   SESSION_SCREEN  the display's size and depth   (1024x768x24)
#   SESSION_DPI     the prefix's dots per inch     (120)
# session_start sets WINEPREFIX, DISPLAY and session_work (the temporary folder;
# the program's folder is $WINEPREFIX/drive_c/orbelle). A caller may define
# budget SECONDS (prints the seconds a step may take) before sourcing this.

declare -F budget >/dev/null || budget() { echo "$1"; }
session_work=""
session_xvfb_pid=""

session_step() { printf '%s %s\n' "$(date +%T)" "$*"; }

session_teardown() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 30 wineserver -k >/dev/null 2>&1
  fi
  if [ -n "$session_xvfb_pid" ]; then
    kill "$session_xvfb_pid" 2>/dev/null
    wait "$session_xvfb_pid" 2>/dev/null
  fi
  [ -n "$session_work" ] && rm -rf "$session_work"
  session_xvfb_pid=""
  session_work=""
}

session_start() {
  local tool
  for tool in wine wineserver wineboot Xvfb; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; return 2; }
  done
  session_work=$(mktemp -d "${TMPDIR:-/tmp}/orbl-wine.XXXXXX")
  export WINEPREFIX="$session_work/prefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="

  # A display of our own: every Wine process needs one, even `wine reg`.
  session_step "starting Xvfb"
  Xvfb -displayfd 3 -screen 0 "${SESSION_SCREEN:-1024x768x24}" -nolisten tcp \
    3>"$session_work/display" >/dev/null 2>&1 &
  session_xvfb_pid=$!
  local _
  for _ in $(seq 100); do [ -s "$session_work/display" ] && break; sleep 0.1; done
  [ -s "$session_work/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$session_work/display")"

  session_step "creating the Wine prefix on $DISPLAY"
  timeout "$(budget 120)" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }

  # Drive types and links are read when a session starts: set them now and
  # start the session afresh afterwards. The end-to-end run uses 120 dpi rather
  # than 96, so that sizes the program forgets to scale show.
  mkdir -p "$session_work/disc-d" "$session_work/disc-f" "$WINEPREFIX/drive_c/orbelle"
  ln -sfn "$session_work/disc-d" "$WINEPREFIX/dosdevices/d:"
  ln -sfn "$session_work/disc-f" "$WINEPREFIX/dosdevices/f:"
  rm -f "$WINEPREFIX/dosdevices/z:"  # C: stays the one fixed drive
  cat >"$WINEPREFIX/drive_c/session.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]
"d:"="cdrom"
"f:"="cdrom"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf '%08x' "${SESSION_DPI:-120}")
REG
  timeout "$(budget 60)" wine reg import 'C:\session.reg' >/dev/null 2>&1 ||
    { echo "reg import failed" >&2; return 1; }
  timeout "$(budget 30)" wineserver -k >/dev/null 2>&1
  timeout "$(budget 30)" wineserver -w >/dev/null 2>&1

  session_step "starting the session"
  wineserver -p
  # The first process of a session starts Wine's services, which keep its
  # output open: give them a process whose output goes nowhere.
  timeout "$(budget 60)" wine reg query 'HKCU\Software\Wine' >/dev/null 2>&1
  return 0
}
