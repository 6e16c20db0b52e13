#!/usr/bin/env bash
# Installs the given Debian packages (apt-get update first), as root or through
# sudo. Does nothing without arguments.
set -euo pipefail
[ $# -gt 0 ] || exit 0
echo "== installing: $*"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$@"
