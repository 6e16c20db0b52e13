#!/usr/bin/env python3
"""Draws the six pictures of the tray menu's picture column and writes them as
32-bit BMP files (premultiplied alpha, as a menu item's bitmap wants) beside
this script: menu_NAME.bmp at 16 x 16 pixels, and menu_NAME_20.bmp, _24 and _32
for 125, 150 and 200 % scaling, which the program picks by the menu's DPI.
Standard library only.

    python3 platform/win32/make_menu_pictures.py

Every shape is a signed distance (negative inside), so an outline is the
shape itself and its fill the shape shrunk by the outline's width.
"""
import math
import os
import struct

SIZES = (16, 20, 24, 32)
SAMPLES = 8  # per axis, for smooth edges
# Every shape is laid out on a 16-unit grid and drawn at each size; the outline
# (in grid units) is set per size so that it stays about a pixel wide.
OUTLINE = 0.9


# --- distances -------------------------------------------------------------


def circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def rounded_box(px, py, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    qx = abs(px - cx) - ((x1 - x0) / 2 - r)
    qy = abs(py - cy) - ((y1 - y0) / 2 - r)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def capsule(px, py, ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - r


def polygon(px, py, points):
    """Exact distance to a simple polygon."""
    d = float("inf")
    inside = False
    n = len(points)
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[i - 1]
        d = min(d, capsule(px, py, ax, ay, bx, by, 0.0))
        if (ay > py) != (by > py) and px < (bx - ax) * (py - ay) / (by - ay) + ax:
            inside = not inside
    return -d if inside else d


def arc(px, py, cx, cy, r, half_width, start, end):
    """A ring of radius r between the angles start and end (degrees, y down,
    clockwise on screen from start to end), with round ends."""
    angle = math.degrees(math.atan2(py - cy, px - cx))
    span = (end - start) % 360
    if (angle - start) % 360 <= span:
        return abs(math.hypot(px - cx, py - cy) - r) - half_width
    ends = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
            for a in (start, end)]
    return min(math.hypot(px - x, py - y) for x, y in ends) - half_width


# --- colours ---------------------------------------------------------------


def vertical(top, bottom, y0, y1):
    """A colour running from `top` at y0 to `bottom` at y1."""
    def colour(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


def flat(rgb):
    return lambda _x, _y: rgb


# --- pictures: lists of (distance, colour), bottom layer first ---------------

GOLD = vertical((255, 226, 120), (214, 150, 24), 7, 15)
GOLD_EDGE = flat((122, 78, 10))
STEEL = vertical((236, 240, 246), (150, 160, 174), 0, 9)
STEEL_EDGE = flat((72, 80, 94))
HOLE = flat((70, 44, 6))


def padlock(open_):
    # The shackle of an open lock is lifted, its left leg out of the body.
    cy = 3.6 if open_ else 5.6
    left_end = cy + 0.6 if open_ else 8.0

    def shackle(x, y):
        return min(arc(x, y, 8, cy, 3.3, 0, 180, 360),
                   capsule(x, y, 4.7, cy, 4.7, left_end, 0),
                   capsule(x, y, 11.3, cy, 11.3, 8.0, 0))

    def body(x, y):
        return rounded_box(x, y, 2.0, 7.0, 14.0, 15.0, 1.6)

    def keyhole(x, y):
        return min(circle(x, y, 8, 10.2, 1.25), capsule(x, y, 8, 10.2, 8, 12.6, 0.55))

    return [
        (lambda x, y: shackle(x, y) - 1.55, STEEL_EDGE),
        (lambda x, y: shackle(x, y) - 1.55 + OUTLINE, STEEL),
        (body, GOLD_EDGE),
        (lambda x, y: body(x, y) + OUTLINE, GOLD),
        (keyhole, HOLE),
    ]


def close_door():
    """A drive seen from the front, its arrow pointing in: the tray goes in."""
    def drive(x, y):
        return rounded_box(x, y, 1.0, 1.0, 15.0, 7.0, 1.2)

    def slot(x, y):
        return rounded_box(x, y, 3.5, 4.0, 12.5, 5.5, 0.5)

    def arrow(x, y):
        head = polygon(x, y, [(8.0, 7.2), (13.2, 12.0), (2.8, 12.0)])
        return min(head, rounded_box(x, y, 6.2, 11.0, 9.8, 15.5, 0.4))

    green = vertical((130, 216, 110), (34, 130, 40), 7, 15)
    return [
        (drive, STEEL_EDGE),
        (lambda x, y: drive(x, y) + OUTLINE, STEEL),
        (slot, flat((60, 66, 78))),
        (lambda x, y: arrow(x, y) - 0.2, flat((20, 84, 28))),
        (lambda x, y: arrow(x, y) + OUTLINE - 0.2, green),
    ]


def open_door():
    """The eject sign: a triangle pointing up over a bar."""
    def triangle(x, y):
        return polygon(x, y, [(8.0, 1.5), (15.0, 9.0), (1.0, 9.0)])

    def bar(x, y):
        return rounded_box(x, y, 1.0, 11.0, 15.0, 14.0, 0.8)

    blue = vertical((120, 180, 255), (24, 90, 200), 1, 15)
    edge = flat((14, 50, 120))
    return [
        (triangle, edge),
        (lambda x, y: triangle(x, y) + OUTLINE, blue),
        (bar, edge),
        (lambda x, y: bar(x, y) + OUTLINE, blue),
    ]


def gear():
    """A cog with eight teeth around an axle hole."""
    def shape(x, y):
        dx, dy = x - 8, y - 8
        r = math.hypot(dx, dy)
        # A rounded square wave over the angle: teeth and gaps of equal width.
        wave = math.cos(8 * math.atan2(dy, dx) + math.pi / 8)
        tooth = max(-1.0, min(1.0, wave * 2.2))
        outer = 5.9 + 1.55 * (tooth + 1) / 2
        return max(r - outer, 2.3 - r)

    steel = vertical((220, 226, 236), (112, 124, 142), 0.5, 15.5)
    return [
        (shape, flat((44, 52, 66))),
        (lambda x, y: shape(x, y) + OUTLINE, steel),
    ]


def question():
    """A white question mark on a blue disc."""
    def disc(x, y):
        return circle(x, y, 8, 8, 7.5)

    def mark(x, y):
        return min(arc(x, y, 8, 5.8, 2.45, 1.0, 160, 90),
                   capsule(x, y, 8, 8.25, 8, 9.6, 1.0),
                   circle(x, y, 8, 12.4, 1.2))

    blue = vertical((110, 170, 250), (20, 80, 190), 0.5, 15.5)
    return [
        (disc, flat((14, 50, 120))),
        (lambda x, y: disc(x, y) + OUTLINE, blue),
        (mark, flat((255, 255, 255))),
    ]


PICTURES = {
    "menu_unlock.bmp": padlock(True),
    "menu_lock.bmp": padlock(False),
    "menu_close_door.bmp": close_door(),
    "menu_open_door.bmp": open_door(),
    "menu_options.bmp": gear(),
    "menu_help.bmp": question(),
}


# --- rendering ---------------------------------------------------------------


def sample(layers, x, y):
    """RGBA of the topmost layer at one sample point, or None."""
    for distance, colour in reversed(layers):
        if distance(x, y) < 0:
            return colour(x, y)
    return None


def outline_units(size):
    """An outline a little over a pixel wide at the larger sizes, in grid units."""
    return 0.9 * math.sqrt(size / 16) * 16 / size


def render(layers, size):
    """Rows of premultiplied (r, g, b, a), top row first."""
    rows = []
    n = SAMPLES * SAMPLES
    unit = 16 / size
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    rgb = sample(layers, (px + (sx + 0.5) / SAMPLES) * unit,
                                 (py + (sy + 0.5) / SAMPLES) * unit)
                    if rgb is None:
                        continue
                    hits += 1
                    for i in range(3):
                        acc[i] += rgb[i]
            # Summing over all samples, empty ones black, premultiplies.
            row.append(tuple(int(round(acc[i] / n)) for i in range(3)) +
                       (int(round(255 * hits / n)),))
        rows.append(row)
    return rows


def bmp(rows):
    """A bottom-up 32 bpp BI_RGB bitmap file."""
    size = len(rows)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def main():
    global OUTLINE
    folder = os.path.dirname(os.path.abspath(__file__))
    for size in SIZES:
        OUTLINE = outline_units(size)
        for name, layers in PICTURES.items():
            if size != 16:
                name = name.replace(".bmp", f"_{size}.bmp")
            path = os.path.join(folder, name)
            data = bmp(render(layers, size))
            with open(path, "wb") as f:
                f.write(data)
            print(f"wrote {path} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
