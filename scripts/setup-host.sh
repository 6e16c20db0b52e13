#!/usr/bin/env bash
# Installs what the host build and its tests need on a fresh Debian 12 machine.
# Does nothing when everything is already there.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
command -v clang-format >/dev/null || need+=(clang-format)
command -v clang++ >/dev/null || need+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/gmock/gmock.h ] || need+=(libgmock-dev)
# The include check and the clang-tidy runner are Python scripts.
command -v python3 >/dev/null || need+=(python3)
command -v clang-tidy >/dev/null || need+=(clang-tidy)
# The Linux program on Qt 6 (linux preset), and its tests and start.sh --linux
# on a display of their own with an XEmbed tray host.
ls /usr/lib/*/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake >/dev/null 2>&1 || need+=(qt6-base-dev)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v trayer >/dev/null || need+=(trayer)
command -v xwininfo >/dev/null || need+=(x11-utils)
command -v xdotool >/dev/null || need+=(xdotool)

"$(dirname "$0")/apt-install.sh" "${need[@]}"
