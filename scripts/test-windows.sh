#!/usr/bin/env bash
# Builds the Windows program orbl3.exe with MinGW-w64 and runs its tests, the
# installer's too, under Wine on a private Xvfb display. Installs what is
# missing on a fresh Debian 12 machine first.
#
#   scripts/test-windows.sh               install if needed, build, test
#   scripts/test-windows.sh --setup-only  only install what is missing
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || need+=(wine64)
command -v Xvfb >/dev/null || need+=(xvfb)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# The check of the Windows versions orbl3.exe's imports need.
command -v python3 >/dev/null || need+=(python3)
# The installer, built and tested with the rest.
command -v makensis >/dev/null || need+=(nsis)
# Signing the release, and the test that signs it with a throwaway certificate.
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)

"$(dirname "$0")/apt-install.sh" "${need[@]}"
[ "${1:-}" = "--setup-only" ] && exit 0

cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
