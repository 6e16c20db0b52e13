#!/bin/sh
# The guest's whole life: bring up udev and the drive, then take the host's
# orders from the console. Lines starting with "@@" are for the host.
export PATH=/bin:/sbin
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs -o mode=0755 tmpfs /run
mkdir -p /tmp

say() { echo "@@ $*"; }
die() {
  say "fail $*"
  poweroff -f
}

# Each wait polls a file the guest writes itself, for at most about 60 s.
wait_for() {
  tries=0
  until eval "$1"; do
    tries=$((tries + 1))
    [ "$tries" -lt 600 ] || die "gave up waiting: $1"
    sleep 0.1
  done
}

/lib/systemd/systemd-udevd --daemon --resolve-names=never || die "udevd"
while read -r module; do
  insmod "/modules/$module.ko" || die "insmod $module"
done </modules/order
wait_for '[ -b /dev/sr0 ]'
udevadm trigger --action=add --subsystem-match=block
udevadm settle --timeout=60 || die "settle"

udevadm monitor --udev --property --subsystem-match=block >/tmp/events 2>&1 &
wait_for 'grep -q "^UDEV - the event" /tmp/events'

# Events after line $1 of the log.
events_since() { sed -n "$(($1 + 1)),\$p" /tmp/events; }

# The eject button is pressed on the host; its event is logged only once udev
# has run every rule and program for it.
await_button() {
  from=$1
  wait_for "events_since $from | grep -Eq '^(DISK|ORBELLE)_EJECT_REQUEST=1'"
  say "button $(events_since "$from" | grep -E '^(DISK|ORBELLE)_EJECT_REQUEST=1' | head -n1)"
}

mkdir -p -m 0700 /run/user/0/orbelle
/bin/holder /dev/sr0 /run/user/0/orbelle/sr0.guard >/tmp/holder 2>&1 &
holder=$!
wait_for 'grep -q held /tmp/holder || ! kill -0 $holder 2>/dev/null'
grep -q held /tmp/holder || die "holder: $(cat /tmp/holder)"
say "up"

while read -r order; do
  case $order in
  press)
    pressed=$(wc -l </tmp/events)
    say "ready"
    await_button "$pressed"
    ;;
  kill)
    kill -9 "$holder"
    wait "$holder" 2>/dev/null
    say "killed"
    ;;
  count)
    # The removal the button's eject caused, then an event of the guest's own:
    # udev hands out a device's events in order, so every removal the kernel
    # reported before it has been seen once it has.
    wait_for "events_since $pressed | grep -q '^DISK_MEDIA_CHANGE=1'"
    cdrom_id /dev/sr0 >/dev/null 2>&1
    udevadm trigger --action=change --uuid /sys/block/sr0 >/dev/null
    wait_for "grep -q '^SYNTH_UUID=.*[1-9a-f]' /tmp/events"
    say "removals $(events_since "$pressed" | sed -n '/^SYNTH_UUID=.*[1-9a-f]/q;p' | grep -c '^DISK_MEDIA_CHANGE=1')"
    ;;
  off) poweroff -f ;;
  esac
done
