#!/usr/bin/env python3
"""Draws the program icon "TRAY" (an optical disc) at every size Windows asks
for between 100 % and 200 % scaling, and writes it as tray.ico beside this
script. Standard library only.

The small icon (notification area, title bar) is 16, 20, 24 and 32 pixels at
100, 125, 150 and 200 %; the large one (Alt+Tab, the close-now dialog) 32, 40,
48 and 64. Each size is drawn for itself: a size missing from the file is
scaled from another and comes out blurred.

    python3 platform/win32/make_tray_icon.py
"""
import colorsys
import math
import os
import struct

SIZES = (16, 20, 24, 32, 40, 48, 64)
SAMPLES = 4  # per axis, for smooth edges


def disc_colour(x, y, size):
    """RGBA of one sample point of the disc, or None outside it."""
    c = size / 2.0
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy) / c  # 0 at the centre, 1 at the rim
    if r > 0.97 or r < 0.16:
        return None  # outside, or the spindle hole
    if r > 0.90:
        return (70, 78, 92, 255)  # rim, dark so the disc reads on a light taskbar
    if r < 0.24:
        return (88, 96, 110, 255)  # edge of the hole
    if r < 0.40:
        return (226, 232, 240, 235)  # clear hub
    # Data area: silver with a rainbow sheen that turns with the angle.
    angle = math.atan2(dy, dx)
    hue = (angle / (2 * math.pi)) % 1.0
    sheen = 0.5 + 0.5 * math.cos(2 * angle)
    red, green, blue = colorsys.hsv_to_rgb(hue, 0.35 * sheen, 0.80 + 0.15 * sheen)
    return (int(red * 255), int(green * 255), int(blue * 255), 255)


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    sample = disc_colour(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES, size)
                    if sample is None:
                        continue
                    alpha = sample[3] / 255.0
                    for i in range(3):
                        acc[i] += sample[i] * alpha
                    acc[3] += alpha
            n = SAMPLES * SAMPLES
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) +
                           (int(round(255 * acc[3] / n)),))
        rows.append(row)
    return rows


def dib(size, rows):
    """A 32-bit icon image: header, colour rows bottom-up, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    images = [dib(size, render(size)) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tray.ico")
    with open(path, "wb") as f:
        f.write(out)
    print(f"wrote {path} ({len(out)} bytes)")


if __name__ == "__main__":
    main()
