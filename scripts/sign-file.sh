#!/usr/bin/env bash
# Signs one Windows file in place with an Authenticode SHA-256 signature:
#
#   scripts/sign-file.sh CERT.pfx TIMESTAMP_URL FILE
#
# The certificate's password comes from the environment variable
# ORBELLE_SIGN_PASSWORD (empty for a certificate without one); it never
# appears on a command line, where any user could read it. TIMESTAMP_URL is an
# RFC 3161 time-stamp server, or "" for none: without a time stamp the
# signature stops being valid when the certificate expires.
#
# cmake/PackageWindows.cmake calls it for orbl3.exe, and makensis for the
# installer and its uninstaller (installer/orbelle.nsi). FILE need not end in
# .exe: makensis hands over the uninstaller as a temporary file.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 CERT.pfx TIMESTAMP_URL FILE" >&2; exit 2; }
cert=$1
timestamp=$2
file=$3
[ -f "$cert" ] || { echo "sign-file.sh: no certificate at $cert" >&2; exit 1; }
[ -f "$file" ] || { echo "sign-file.sh: no file at $file" >&2; exit 1; }
if [ -z "${ORBELLE_SIGN_PASSWORD+set}" ]; then
  echo "sign-file.sh: set ORBELLE_SIGN_PASSWORD to the certificate's password (empty for none)" >&2
  exit 1
fi

options=(-pkcs12 "$cert" -h sha256 -n Orbelle)
[ -z "$timestamp" ] || options+=(-ts "$timestamp")

signed="$file.signed"
rm -f "$signed"
# printf is built in: the password reaches osslsigncode through a pipe only.
if ! osslsigncode sign "${options[@]}" -readpass <(printf '%s' "$ORBELLE_SIGN_PASSWORD") \
  -in "$file" -out "$signed" >"$file.sign-log" 2>&1; then
  cat "$file.sign-log" >&2
  rm -f "$signed" "$file.sign-log"
  echo "sign-file.sh: signing $file failed" >&2
  exit 1
fi
rm -f "$file.sign-log"
# The same file, so that makensis finds its output where it left it.
cat "$signed" >"$file"
rm -f "$signed"
