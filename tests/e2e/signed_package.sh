#!/usr/bin/env bash
# Packages the release signed with a throwaway self-signed certificate, as
# scripts/package.sh --sign does with a real one, into a folder of its own,
# then checks the signatures of orbl3.exe (in the program folder and in the
# zip archive) and of the installer, and that a changed byte breaks one. The
# uninstaller is checked where it lands: installer_e2e.sh verifies the
# installed uninstall.exe with the certificate left here.
#
#   signed_package.sh BUILD_DIR OUTPUT_DIR VERSION
set -uo pipefail

[ $# -eq 3 ] || { echo "usage: $0 BUILD_DIR OUTPUT_DIR VERSION" >&2; exit 2; }
build=$1
output=$2
version=$3
here=$(dirname "$0")
fail() {
  echo "FAILED: $*"
  exit 1
}

rm -rf "$output"
mkdir -p "$output/certificate"
key="$output/certificate/key.pem"
cert="$output/certificate/cert.pem"
pfx="$output/certificate/cert.pfx"
password=$(openssl rand -hex 16)
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$key" -out "$cert" -days 2 \
  -subj "/CN=Orbelle throwaway test signer" -addext "extendedKeyUsage=codeSigning" \
  -addext "keyUsage=critical,digitalSignature" >/dev/null 2>&1 ||
  fail "openssl could not make a certificate"
# The password through the environment, as package.sh passes it on.
PASSWORD=$password openssl pkcs12 -export -inkey "$key" -in "$cert" -out "$pfx" \
  -passout env:PASSWORD || fail "openssl could not make the .pfx file"

ORBELLE_SIGN_CERT=$pfx ORBELLE_SIGN_PASSWORD=$password ORBELLE_PACKAGE_DIR=$output \
  ORBELLE_SIGN_TIMESTAMP="" cmake --build "$build" --target orbl_package ||
  fail "packaging with a certificate failed"

setup="$output/orbelle-$version-setup.exe"
zip="$output/orbelle-$version-win64.zip"
mkdir -p "$output/unzipped"
(cd "$output/unzipped" && cmake -E tar xf "$zip" Orbelle/orbl3.exe) ||
  fail "no orbl3.exe in $zip"
"$here/verify_signature.sh" "$cert" "$output/stage/Orbelle/orbl3.exe" \
  "$output/unzipped/Orbelle/orbl3.exe" "$setup" || fail "a signature does not verify"

# The check must be able to fail: the unsigned program, and the installer with
# one byte changed inside what its signature covers.
"$here/verify_signature.sh" "$cert" "$build/orbl3.exe" >/dev/null &&
  fail "the unsigned $build/orbl3.exe passed as signed"
changed="$output/changed-setup.exe"
cp "$setup" "$changed"
offset=$(($(stat -c %s "$changed") / 3))
byte=$(od -An -tu1 -j "$offset" -N1 "$changed" | tr -d ' ')
printf '%b' "\\0$(printf '%03o' $(((byte + 1) % 256)))" |
  dd of="$changed" bs=1 seek="$offset" conv=notrunc status=none
cmp -s "$setup" "$changed" && fail "the byte was not changed"
"$here/verify_signature.sh" "$cert" "$changed" >/dev/null &&
  fail "an installer changed after signing passed as signed"
rm -f "$changed" "$key" "$pfx"
echo "signed and verified: orbl3.exe, the zip archive's orbl3.exe, $(basename "$setup")"
