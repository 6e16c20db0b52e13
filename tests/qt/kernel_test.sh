#!/usr/bin/env bash
# The eject-button guard on a real kernel: Debian's own kernel under QEMU (TCG),
# with the system's udevd, its stock CD-ROM rule, the package's rule and helper,
# and an emulated IDE drive whose button the host presses over QMP.
# Usage: kernel_test.sh BUILD_DIR ORBL3_GUARDED RULE_FILE
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 BUILD_DIR ORBL3_GUARDED RULE_FILE" >&2; exit 2; }
build=$(realpath "$1") helper=$2 rule=$3
here=$(cd "$(dirname "$0")/kernel" && pwd)
fail() {
  echo "kernel: $*" >&2
  exit 1
}

for tool in qemu-system-x86_64 busybox xorriso cpio gcc apt-get dpkg-deb; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup-host.sh installs it)"
done
busybox=$(command -v busybox)
ldd "$busybox" >/dev/null 2>&1 && fail "$busybox is not static (install busybox-static)"
for file in /usr/bin/udevadm /lib/udev/cdrom_id /lib/udev/rules.d/60-cdrom_id.rules; do
  [ -e "$file" ] || fail "$file is missing (install udev)"
done

# Debian's kernel, fetched and unpacked once into the build folder, never installed.
cache=$build/kernel-cache
image=$(apt-cache depends linux-image-amd64 2>/dev/null |
  sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -n1)
[ -n "$image" ] || fail "Debian's registry does not name a kernel for linux-image-amd64 (apt-get update?)"
kernel=$cache/$image
if [ ! -e "$kernel/unpacked" ]; then
  rm -rf "$kernel" && mkdir -p "$kernel"
  (cd "$kernel" && apt-get download -o APT::Sandbox::User=root "$image") >"$cache/download.log" 2>&1 ||
    fail "cannot fetch $image from Debian's registry (network?): $(tail -n1 "$cache/download.log")"
  dpkg-deb --fsys-tarfile "$kernel"/*.deb |
    tar -x -C "$kernel" --wildcards './boot/*' './lib/modules/*/kernel/drivers/*'
  rm -f "$kernel"/*.deb
  touch "$kernel/unpacked"
fi
config=$(echo "$kernel"/boot/config-*)

work=$(mktemp -d "$build/kernel-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
mkdir -p "$root"/{bin,sbin,proc,sys,dev,run,tmp,modules,lib/udev/rules.d,usr/lib/orbelle}
cp "$kernel"/boot/vmlinuz-* "$work/vmlinuz"

# What the drive needs that this kernel does not build in, in load order.
for entry in SCSI_COMMON:scsi/scsi_common SCSI:scsi/scsi_mod ATA:ata/libata \
  ATA_PIIX:ata/ata_piix CDROM:cdrom/cdrom BLK_DEV_SR:scsi/sr_mod; do
  option=${entry%%:*} path=${entry#*:}
  case $(sed -n "s/^CONFIG_$option=//p" "$config") in
  y) ;;
  m)
    cp "$(echo "$kernel"/lib/modules/*/kernel/drivers/"$path".ko)" "$root/modules/" ||
      fail "$path.ko is not in $image"
    basename "$path" >>"$root/modules/order"
    ;;
  *) fail "$image has no CONFIG_$option" ;;
  esac
done

# A program and the shared libraries it loads, at the host's paths.
copy_program() {
  install -D "$1" "$root$2"
  ldd "$1" | grep -o '/[^ ]*' | while read -r library; do
    cp -L --parents "$library" "$root"
  done
}
cp "$busybox" "$root/bin/busybox" && ln -s busybox "$root/bin/sh"
copy_program /usr/bin/udevadm /bin/udevadm
mkdir -p "$root/lib/systemd" && ln -s /bin/udevadm "$root/lib/systemd/systemd-udevd"
copy_program /lib/udev/cdrom_id /lib/udev/cdrom_id
copy_program "$helper" /usr/lib/orbelle/orbl3-guarded
cp /lib/udev/rules.d/60-cdrom_id.rules "$rule" "$root/lib/udev/rules.d/"
gcc -static -O2 -o "$root/bin/holder" "$here/holder.c"
install -m 0755 "$here/init.sh" "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd"

mkdir "$work/disc" && echo "Orbelle test disc" >"$work/disc/readme.txt"
xorriso -as mkisofs -quiet -V ORBELLE -o "$work/disc.iso" "$work/disc" 2>/dev/null

python3 "$here/press.py" "$work" || {
  cp "$work/console.log" "$build/kernel-console.log" 2>/dev/null || true
  fail "see $build/kernel-console.log"
}
