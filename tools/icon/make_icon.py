#!/usr/bin/env python3
"""Draws Tenrovel.exe's icon and writes it as a Windows .ico file.

The picture: a white map pin on a blue rounded square. Each size is drawn
on its own (anti-aliased by supersampling), so small sizes stay sharp; 16 to
48 pixels are stored as 32-bit bitmaps, 256 as PNG, as Windows expects.
Only the Python standard library is used, so the build can run this.

usage: make_icon.py OUTPUT.ico
"""

import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SUPERSAMPLE = 4

BACKGROUND = (0x1F, 0x4E, 0x9A)  # blue
EDGE = (0x14, 0x36, 0x6E)        # darker rim
PIN = (0xFF, 0xFF, 0xFF)
HOLE = (0x1F, 0x4E, 0x9A)


def inside_rounded_square(x, y, size, radius):
    """Whether (x, y), in units of the icon's side, lies in the rounded square."""
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_pin(x, y):
    """The pin in unit coordinates: a circle on top, narrowing to a point."""
    head_x, head_y, head_r = 0.5, 0.40, 0.24
    tip_y = 0.86
    if (x - head_x) ** 2 + (y - head_y) ** 2 <= head_r ** 2:
        return True
    # The two tangent lines from the tip to the head circle bound the point,
    # below the points where they touch the circle.
    d = tip_y - head_y
    if head_y + head_r * head_r / d <= y <= tip_y:
        half_angle = math.asin(head_r / d)
        half_width = (tip_y - y) * math.tan(half_angle)
        return abs(x - head_x) <= half_width
    return False


def inside_hole(x, y):
    return (x - 0.5) ** 2 + (y - 0.40) ** 2 <= 0.095 ** 2


def colour_at(x, y):
    """The colour at a unit point, or None outside the icon."""
    if not inside_rounded_square(x, y, 1.0, 0.18):
        return None
    if inside_pin(x, y):
        return HOLE if inside_hole(x, y) else PIN
    if not inside_rounded_square(x - 0.03, y - 0.03, 0.94, 0.15):
        return EDGE
    return BACKGROUND


def render(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    n = SUPERSAMPLE
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            if a:
                row.append((r // a, g // a, b // a, a * 255 // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # transparency comes from the alpha channel
    return header + bytes(pixels) + mask


def png_entry(rows):
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png_entry(rows) if size >= 256 else bitmap_entry(rows)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(argv[1], "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
