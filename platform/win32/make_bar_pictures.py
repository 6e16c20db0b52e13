#!/usr/bin/env python3
"""Draws the options window's drive bar pictures, 32 x 32 each, side by side in
one 32-bit BMP strip (straight alpha, as an image list wants) beside this
script: 0 the common options (a cog), 1 an optical drive (a disc). Standard
library only; the shapes come from make_menu_pictures.py.

    python3 platform/win32/make_bar_pictures.py
"""
import math
import os
import struct

import make_menu_pictures as shapes

SIZE = 32
SAMPLES = 6  # per axis, for smooth edges
OUTLINE = 1.3  # pixels


def cog():
    """The menu's cog, drawn at twice its size with a thinner outline."""
    def shape(x, y):
        return shapes.gear()[0][0](x / 2, y / 2) * 2

    steel = shapes.vertical((226, 232, 242), (104, 116, 136), 1, 31)
    return [
        (shape, shapes.flat((44, 52, 66))),
        (lambda x, y: shape(x, y) + OUTLINE, steel),
        (lambda x, y: shapes.circle(x, y, 16, 16, 3.4), shapes.flat((44, 52, 66))),
    ]


def disc():
    """A disc seen from above: silver with a faint rainbow sheen, a clear ring
    and the hole in its middle."""
    def rim(x, y):
        return shapes.circle(x, y, 16, 16, 14.6)

    def sheen(x, y):
        # Colours that turn with the angle, as light on a disc's tracks does.
        a = math.atan2(y - 16, x - 16)
        base = 214 + 30 * math.cos(2 * a)
        return (min(255, base + 22 * math.cos(2 * a + 2.1)),
                min(255, base + 22 * math.cos(2 * a + 4.2)),
                min(255, base + 26 * math.cos(2 * a)))

    def hub(x, y):
        return shapes.circle(x, y, 16, 16, 5.6)

    def hole(x, y):
        return shapes.circle(x, y, 16, 16, 2.6)

    edge = shapes.flat((88, 96, 110))
    return [
        (rim, edge),
        (lambda x, y: rim(x, y) + OUTLINE, sheen),
        (hub, edge),
        (lambda x, y: hub(x, y) + OUTLINE, shapes.flat((236, 240, 246))),
        (lambda x, y: hole(x, y) + OUTLINE, edge),
        (hole, None),  # the hole shows what lies behind
    ]


PICTURES = [cog(), disc()]


def sample(layers, x, y):
    """The topmost layer's colour at one sample point; None where nothing is drawn."""
    for distance, colour in reversed(layers):
        if distance(x, y) < 0:
            return None if colour is None else colour(x, y)
    return None


def render(layers):
    """Rows of straight-alpha (r, g, b, a), top row first."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    rgb = sample(layers, px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if rgb is None:
                        continue
                    hits += 1
                    for i in range(3):
                        acc[i] += rgb[i]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / hits)) for i in range(3)) +
                           (int(round(255 * hits / (SAMPLES * SAMPLES))),))
        rows.append(row)
    return rows


def strip(pictures):
    """A bottom-up 32 bpp BI_RGB bitmap file of the pictures side by side."""
    rendered = [render(layers) for layers in pictures]
    width = SIZE * len(rendered)
    pixels = b"".join(
        bytes((b, g, r, a))
        for y in reversed(range(SIZE)) for picture in rendered for (r, g, b, a) in picture[y])
    info = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bar_pictures.bmp")
    data = strip(PICTURES)
    with open(path, "wb") as f:
        f.write(data)
    print(f"wrote {path} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
