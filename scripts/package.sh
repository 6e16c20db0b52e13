#!/usr/bin/env bash
# Builds the Windows release into build/package/: orbelle-VERSION-win64.zip,
# the program folder (orbl3.exe, Language\, the help page, readme.txt,
# LICENSE.txt), and orbelle-VERSION-setup.exe, the installer made with NSIS
# from installer/orbelle.nsi. Installs what is missing on a fresh Debian 12
# machine first.
#
#   scripts/package.sh                          unsigned, and says so
#   scripts/package.sh --sign CERT.pfx [--timestamp URL]
#
# With --sign, orbl3.exe, the installer and the uninstaller it writes carry an
# Authenticode SHA-256 signature made with the certificate; its password is
# read from the environment variable ORBELLE_SIGN_PASSWORD. --timestamp names
# an RFC 3161 time-stamp server (for example http://timestamp.digicert.com):
# a time-stamped signature stays valid after the certificate expires.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [--sign CERT.pfx [--timestamp URL]]" >&2
  exit 2
}
cert=""
timestamp=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sign) [ $# -ge 2 ] || usage; cert=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$timestamp" ] && [ -z "$cert" ] && usage
if [ -n "$cert" ]; then
  [ -f "$cert" ] || { echo "no certificate at $cert" >&2; exit 1; }
  if [ -z "${ORBELLE_SIGN_PASSWORD+set}" ]; then
    echo "set ORBELLE_SIGN_PASSWORD to the certificate's password (empty for none)" >&2
    exit 1
  fi
  export ORBELLE_SIGN_CERT ORBELLE_SIGN_TIMESTAMP
  ORBELLE_SIGN_CERT=$(realpath "$cert")
  ORBELLE_SIGN_TIMESTAMP=$timestamp
else
  # Only --sign names a certificate: one left in the environment signs nothing.
  unset ORBELLE_SIGN_CERT ORBELLE_SIGN_TIMESTAMP
fi
# The release goes where the README says, whatever a test run left set.
unset ORBELLE_PACKAGE_DIR

scripts/test-windows.sh --setup-only
cmake --preset windows >/dev/null
cmake --build --preset windows --target orbl_package
[ -n "$cert" ] || echo "== unsigned: SmartScreen warns before the installer runs; --sign CERT.pfx signs"
