#!/usr/bin/env bash
# Builds and starts Orbelle. On this Linux machine the real Windows program
# runs under Wine; with --sim (or before the Windows build exists) the program
# runs on its simulated computer and tells what it does.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--sim" ] && [ -x scripts/start-windows.sh ]; then
  exec scripts/start-windows.sh "$@"
fi
[ "${1:-}" = "--sim" ] && shift

scripts/setup-host.sh
cmake --preset default >/dev/null
cmake --build --preset default --target orbl3_sim >/dev/null
exec build/default/orbl3_sim "$@"
