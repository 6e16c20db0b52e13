#!/usr/bin/env python3
"""Writes the 32-bit images of a Windows icon file as PNG files with their
alpha, one per size, into an icon theme's layout: OUT/<N>x<N>/apps/NAME.png.
Only the sizes given are written; each must be in the icon file, since a
scaled image comes out blurred. Standard library only.

    python3 scripts/ico-to-png.py IN.ico OUT NAME 16 24 32 48 64
"""
import os
import struct
import sys
import zlib


def images(path):
    """{size: rows of RGBA bytes, top row first} of the square 32-bit images."""
    with open(path, "rb") as f:
        data = f.read()
    _reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError(f"{path}: not an icon file")
    found = {}
    for i in range(count):
        _w, _h, _colours, _r, _planes, _bits, _size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        header, width, height, _planes, bits, compression = struct.unpack_from("<IiiHHI", data, offset)
        if header != 40 or bits != 32 or compression != 0 or height != 2 * width:
            continue  # PNG-compressed or paletted images are not needed here
        stride = width * 4
        pixels = offset + header
        rows = []
        for y in range(width):  # stored bottom row first
            row = bytearray(data[pixels + stride * (width - 1 - y):pixels + stride * (width - y)])
            row[0::4], row[2::4] = row[2::4], row[0::4]  # BGRA -> RGBA
            rows.append(bytes(row))
        found[width] = rows
    return found


def png(size, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__.strip())
    source, out, name = sys.argv[1:4]
    found = images(source)
    for size in map(int, sys.argv[4:]):
        if size not in found:
            sys.exit(f"{source}: no {size}x{size} image of 32 bits")
        folder = os.path.join(out, f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name + ".png"), "wb") as f:
            f.write(png(size, found[size]))


if __name__ == "__main__":
    main()
