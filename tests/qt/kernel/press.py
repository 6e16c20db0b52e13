#!/usr/bin/env python3
"""Boots the guest and presses its drive's eject button through QMP.

Usage: press.py WORK_DIR  (holding vmlinuz, initrd and disc.iso; the console
goes to WORK_DIR/console.log). Prints one line per check and exits 0 when
every check holds, 1 at the first that does not (the later ones build on
it). The guest has 120 s to answer in all.
"""

import json
import os
import select
import socket
import subprocess
import sys
import time

WORK = sys.argv[1]
DEADLINE = time.monotonic() + 120
QMP_PATH = os.path.join(WORK, "qmp.sock")


class Guest:
    def __init__(self):
        self.log = open(os.path.join(WORK, "console.log"), "wb")
        self.qemu = subprocess.Popen(
            ["qemu-system-x86_64", "-accel", "tcg", "-m", "256", "-nodefaults",
             "-display", "none", "-no-reboot", "-serial", "stdio",
             "-kernel", os.path.join(WORK, "vmlinuz"),
             "-initrd", os.path.join(WORK, "initrd"),
             # The kernel looks for media events only when told how often.
             "-append", "console=ttyS0 quiet loglevel=1 panic=-1 "
             "block.events_dfl_poll_msecs=250",
             "-drive", "if=none,id=disc,media=cdrom,format=raw,readonly=on,file="
             + os.path.join(WORK, "disc.iso"),
             "-device", "ide-cd,drive=disc,id=cd0,bus=ide.1",
             "-qmp", f"unix:{QMP_PATH},server=on,wait=off"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.log)
        self.pending = b""
        self.qmp = None
        self.replies = b""

    def left(self, what):
        remaining = DEADLINE - time.monotonic()
        if remaining <= 0 or self.qemu.poll() is not None:
            raise TimeoutError(f"no answer from the guest: {what}")
        return remaining

    def expect(self, word):
        """The rest of the guest's next "@@ word" line."""
        while True:
            lines = self.pending.split(b"\n")
            for i, line in enumerate(lines[:-1]):
                text = line.decode(errors="replace").strip()
                if text.startswith("@@ fail"):
                    raise RuntimeError(text)
                if text.startswith(f"@@ {word}"):
                    self.pending = b"\n".join(lines[i + 1:])
                    return text[len(word) + 3:].strip()
            self.pending = lines[-1] if lines else b""
            ready, _, _ = select.select([self.qemu.stdout], [], [], self.left(word))
            if ready:
                chunk = os.read(self.qemu.stdout.fileno(), 4096)
                self.log.write(chunk)
                self.log.flush()
                self.pending += chunk

    def order(self, text):
        self.qemu.stdin.write(text.encode() + b"\n")
        self.qemu.stdin.flush()

    def command(self, name, **arguments):
        if self.qmp is None:
            while True:
                try:
                    self.qmp = socket.socket(socket.AF_UNIX)
                    self.qmp.connect(QMP_PATH)
                    break
                except OSError:
                    self.qmp.close()
                    self.left("QMP socket")
                    time.sleep(0.05)
            self.reply()  # greeting
            self.command("qmp_capabilities")
        self.qmp.sendall(json.dumps({"execute": name, "arguments": arguments}).encode())
        return self.reply()

    def reply(self):
        while True:
            line, found, rest = self.replies.partition(b"\n")
            if found:
                self.replies = rest
                message = json.loads(line)
                if "event" not in message:
                    return message
                continue
            self.qmp.settimeout(self.left("QMP reply"))
            chunk = self.qmp.recv(65536)
            if not chunk:
                raise RuntimeError("QMP closed")
            self.replies += chunk

    def drive(self):
        for entry in self.command("query-block")["return"]:
            if entry.get("qdev") in ("cd0", "/machine/peripheral/cd0/virtual-device"):
                return entry
        raise RuntimeError("no cd0 in query-block")

    def press(self):
        """The button: an eject the guest is asked to allow."""
        self.order("press")
        self.expect("ready")
        answer = self.command("eject", id="cd0")
        return self.expect("button"), answer

    def close(self):
        if self.qemu.poll() is None:
            self.qemu.kill()
        self.qemu.wait()
        self.log.close()


class CheckFailed(Exception):
    pass


def check(name, ok, detail):
    print(f"{'ok  ' if ok else 'FAIL'} {name}: {detail}", flush=True)
    if not ok:
        raise CheckFailed(name)


def main():
    guest = Guest()

    try:
        guest.expect("up")
        event, answer = guest.press()
        state = guest.drive()
        check("guarded drive keeps its door on the button",
              state["locked"] and not state["tray_open"],
              f"locked={state['locked']} tray_open={state['tray_open']} event {event}; "
              f"eject said {answer.get('error', {}).get('desc', 'ok')}")

        guest.order("kill")
        guest.expect("killed")
        event, _ = guest.press()
        state = guest.drive()
        check("after kill -9 the button ejects", state["tray_open"],
              f"locked={state['locked']} tray_open={state['tray_open']} event {event}")

        guest.order("count")
        removals = guest.expect("removals")
        check("the eject gives one removal", removals == "1", f"{removals} DISK_MEDIA_CHANGE")
        guest.order("off")
        return 0
    except CheckFailed:
        return 1
    except (TimeoutError, RuntimeError, OSError) as error:
        print(f"FAIL guest: {error}", flush=True)
        return 1
    finally:
        guest.close()


if __name__ == "__main__":
    sys.exit(main())
