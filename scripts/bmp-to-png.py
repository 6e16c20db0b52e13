#!/usr/bin/env python3
"""Converts an uncompressed 24- or 32-bit BMP file (as orbl_shot.exe writes
them) to a PNG file. Standard library only.

    python3 scripts/bmp-to-png.py IN.bmp OUT.png
"""
import struct
import sys
import zlib


def read_bmp(path):
    """Width, height and rows of (r, g, b) bytes, top row first."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _planes, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits not in (24, 32) or compression != 0:
        raise ValueError(f"{path}: {bits} bits per pixel, compression {compression}: not supported")
    top_down = height < 0
    height = abs(height)
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for y in range(height):
        start = offset + stride * (y if top_down else height - 1 - y)
        row = bytearray(width * 3)
        for x in range(width):
            b, g, r = data[start + x * step:start + x * step + 3]
            row[x * 3:x * 3 + 3] = bytes((r, g, b))
        rows.append(bytes(row))
    return width, height, rows


def png(width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip())
    width, height, rows = read_bmp(sys.argv[1])
    with open(sys.argv[2], "wb") as f:
        f.write(png(width, height, rows))


if __name__ == "__main__":
    main()
