#!/usr/bin/env python3
"""Writes ZrcUpdater.ico: the updater's icon, a recorder with a download arrow.

The icon holds three images: 32x32 and 16x16 in 16 colours, 32x32 in 256 colours.
Every image is drawn from the same shapes, given on a 32x32 grid and sampled at each
pixel's centre, so the output is the same byte for byte on every run.

Usage: make_icon.py [output.ico]   (default: ZrcUpdater.ico beside this script)
"""
import os
import struct
import sys

# The standard 16-colour palette (R, G, B); index 0 doubles as the transparent colour.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, RED, LIME, YELLOW, BLUE, CYAN, WHITE = 0, 4, 7, 8, 9, 10, 11, 12, 14, 15
TRANSPARENT = None

# The 256-colour image adds a vertical blue shade to the recorder's body.
SHADES = [(16, 40 + 6 * i, 120 + 8 * i) for i in range(16)]
PALETTE256 = VGA16 + SHADES + [(0, 0, 0)] * (256 - len(VGA16) - len(SHADES))
SHADE_BASE = len(VGA16)


def inside_rounded_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_arrow(x, y):
    shaft = 19.5 <= x <= 24.5 and 1 <= y <= 7
    head = 6 <= y <= 11 and abs(x - 22) <= (11 - y) * 1.2
    return shaft or head


def colour_at(x, y, shaded):
    """Palette index of the point (x, y) of the 32x32 grid, or TRANSPARENT."""
    if inside_arrow(x, y):
        border = not inside_arrow(x - 1, y) or not inside_arrow(x + 1, y) or \
            not inside_arrow(x, y - 1) or not inside_arrow(x, y + 1)
        return BLACK if border else LIME
    if inside_rounded_rect(x, y, 2, 9, 29, 28, 3):
        if not inside_rounded_rect(x, y, 3.2, 10.2, 27.8, 26.8, 2):
            return BLACK
        if inside_circle(x, y, 11, 18.5, 6):
            if inside_circle(x, y, 11, 18.5, 2.5):
                return CYAN
            if inside_circle(x, y, 11, 18.5, 4.6):
                return BLACK
            return SILVER
        if inside_circle(x, y, 24, 14, 1.9):
            return RED
        if 19 <= x <= 27 and 22 <= y <= 24:
            return YELLOW
        if shaded:
            return SHADE_BASE + min(15, max(0, int((y - 10) * 16 / 17)))
        return NAVY
    return TRANSPARENT


def render(size, shaded):
    scale = 32 / size
    return [[colour_at((col + 0.5) * scale, (row + 0.5) * scale, shaded)
             for col in range(size)] for row in range(size)]


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def pack_bits(values, bits):
    out = bytearray()
    per_byte = 8 // bits
    for i in range(0, len(values), per_byte):
        byte = 0
        for j, v in enumerate(values[i:i + per_byte]):
            byte |= v << (8 - bits * (j + 1))
        out.append(byte)
    return bytes(out)


def dib(pixels, bits, palette):
    """The DIB of one icon image: header, palette, colour bitmap, then AND mask."""
    size = len(pixels)
    xor = b"".join(padded(pack_bits([BLACK if p is None else p for p in row], bits))
                   for row in reversed(pixels))
    mask = b"".join(padded(pack_bits([1 if p is None else 0 for p in row], 1))
                    for row in reversed(pixels))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + mask


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "ZrcUpdater.ico")
    images = [
        (32, 4, dib(render(32, False), 4, VGA16)),
        (16, 4, dib(render(16, False), 4, VGA16)),
        (32, 8, dib(render(32, True), 8, PALETTE256)),
    ]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = len(data) + 16 * len(images)
    for size, bits, image in images:
        data += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits,
                            len(image), offset)
        offset += len(image)
    data += b"".join(image for _, _, image in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
