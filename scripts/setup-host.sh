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
# The Linux pieces: drives through libudev, hot keys through xcb, and the
# headers of the sound library beeps load.
command -v pkg-config >/dev/null || need+=(pkg-config)
[ -f /usr/include/libudev.h ] || need+=(libudev-dev)
pkg-config --exists xcb 2>/dev/null || need+=(libxcb1-dev)
pkg-config --exists xcb-keysyms 2>/dev/null || need+=(libxcb-keysyms1-dev)
pkg-config --exists libpulse-simple 2>/dev/null || need+=(libpulse-dev)
# The native Linux program (linux preset), its benchmark, and the tests that
# run it on a private display, bus, mock logind and sound server.
[ -f /usr/lib/x86_64-linux-gnu/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake ] || need+=(qt6-base-dev)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v dbus-daemon >/dev/null || need+=(dbus-daemon)
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || need+=(python3-dbusmock)
command -v xdotool >/dev/null || need+=(xdotool)
command -v gdbus >/dev/null || need+=(libglib2.0-bin)
command -v pulseaudio >/dev/null || need+=(pulseaudio)
command -v pactl >/dev/null || need+=(pulseaudio-utils)
# The Linux package's checks (ctest --preset linux).
command -v lintian >/dev/null || need+=(lintian)
command -v desktop-file-validate >/dev/null || need+=(desktop-file-utils)
command -v trayer >/dev/null || need+=(trayer)
command -v xwininfo >/dev/null || need+=(x11-utils)
# The eject-button guard on Debian's kernel under QEMU: udevd and cdrom_id go
# into the guest, beside a static busybox.
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
[ -f /bin/busybox ] && ! ldd /bin/busybox >/dev/null 2>&1 || need+=(busybox-static)
command -v xorriso >/dev/null || need+=(xorriso)
command -v cpio >/dev/null || need+=(cpio)
[ -x /lib/udev/cdrom_id ] || need+=(udev)

"$(dirname "$0")/apt-install.sh" "${need[@]}"
