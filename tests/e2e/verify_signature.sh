#!/usr/bin/env bash
# Checks that each FILE carries an intact Authenticode SHA-256 signature made
# with the certificate CERT.pem:
#
#   verify_signature.sh CERT.pem FILE...
#
# CERT is given as the only trusted root, so a throwaway self-signed
# certificate passes the chain check and a failure can only be the signature:
# a digest that no longer matches the file ("MISMATCH"), a signature that does
# not verify, or none at all. Exit code 0 when every file passes.
set -uo pipefail

[ $# -ge 2 ] || { echo "usage: $0 CERT.pem FILE..." >&2; exit 2; }
cert=$1
shift
failed=0
for file in "$@"; do
  log=$(osslsigncode verify -CAfile "$cert" -in "$file" 2>&1)
  status=$?
  if [ "$status" -ne 0 ] ||
     ! grep -q '^Signature verification: ok' <<<"$log" ||
     ! grep -Eq '^Message digest algorithm *: SHA256' <<<"$log" ||
     grep -q 'MISMATCH' <<<"$log"; then
    echo "  not signed intact: $file (osslsigncode verify exit status $status)"
    grep -E 'digest|verification|signature|Error|MISMATCH' <<<"$log" | sed 's/^/    /'
    failed=1
  fi
done
exit "$failed"
