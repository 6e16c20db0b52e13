#!/usr/bin/env bash
# Builds the Windows release into build/package/: orbelle-VERSION-win64.zip,
# the program folder (orbl3.exe, Language\, the help page, readme.txt,
# LICENSE.txt), and orbelle-VERSION-setup.exe, the installer made with NSIS
# from installer/orbelle.nsi. Installs what is missing on a fresh Debian 12
# machine first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/test-windows.sh --setup-only
cmake --preset windows >/dev/null
cmake --build --preset windows --target orbl_package
