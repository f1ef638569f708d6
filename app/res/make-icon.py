#!/usr/bin/env python3
"""Draws Quorvane.ico: a blue rounded square holding three stacked bars
(solutions waiting in a row) and an orange check mark. Sizes 16, 32 and 48,
32-bit with alpha. Run it again after changing the drawing; the .ico is
checked in so the build needs no Python."""
import os
import struct

BLUE = (0x2B, 0x5C, 0xB8)
BLUE_DARK = (0x1C, 0x3F, 0x85)
WHITE = (0xFF, 0xFF, 0xFF)
ORANGE = (0xF2, 0x8C, 0x1C)


def inside_rounded(x, y, n, r):
    lo, hi = r, n - 1 - r
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, w):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= w * w


def pixel(x, y, n):
    """(r, g, b, a) of pixel (x, y), y from the top, in an n by n icon."""
    s = n / 32.0
    fx, fy = (x + 0.5) / s, (y + 0.5) / s  # in 32-pixel design units
    if not inside_rounded(x + 0.5, y + 0.5, n, 6 * s):
        return (0, 0, 0, 0)
    colour = BLUE if fy < 26 else BLUE_DARK
    for top in (7, 13, 19):
        if 6 <= fx <= 19 and top <= fy <= top + 3.5:
            colour = WHITE
    if near_segment(fx, fy, 17, 20, 21, 25, 2.2) or near_segment(fx, fy, 21, 25, 27, 12, 2.2):
        colour = ORANGE
    return colour + (0xFF,)


def image(n):
    rows = []
    for y in reversed(range(n)):  # bottom-up
        row = b""
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_stride = ((n + 31) // 32) * 4
    and_mask = bytearray()
    for y in reversed(range(n)):
        bits = bytearray(mask_stride)
        for x in range(n):
            if pixel(x, y, n)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + bytes(and_mask)


def main():
    sizes = (16, 32, 48)
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Quorvane.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
