#!/usr/bin/env python3
"""Writes the client's program icon, src/app/tarnwick.ico (Python standard library only).

A gold "T" on a dark rounded square, at 16, 24, 32, 48 and 64 pixels, each as a 32-bit
bitmap with its alpha channel, which every Windows version reads.
"""
import os
import struct

SIZES = (16, 24, 32, 48, 64)
DARK = (0x2B, 0x2F, 0x3A)
EDGE = (0x3A, 0x3F, 0x4A)
GOLD = (0xE8, 0xB4, 0x4A)


def coverage(size, x, y):
    """How much of the pixel lies inside the rounded square (0..1), 4x4 samples."""
    radius = size * 0.22
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px = x + (sx + 0.5) / 4
            py = y + (sy + 0.5) / 4
            cx = min(max(px, radius), size - radius)
            cy = min(max(py, radius), size - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                inside += 1
    return inside / 16


def in_letter(size, x, y):
    """The "T": a bar across the top third and a stem down the middle."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    bar = 0.22 <= u <= 0.78 and 0.22 <= v <= 0.36
    stem = 0.42 <= u <= 0.58 and 0.22 <= v <= 0.80
    return bar or stem


def pixels(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            alpha = coverage(size, x, y)
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            border = x == 0 or y == 0 or x == size - 1 or y == size - 1
            color = GOLD if in_letter(size, x, y) else (EDGE if border else DARK)
            row.append(color + (round(alpha * 255),))
        rows.append(row)
    return rows


def bitmap_entry(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = bytearray()
    for row in reversed(pixels(size)):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    data += bytes(mask_row * size)
    return header + bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = os.path.join(here, "..", "src", "app", "tarnwick.ico")
    entries = [bitmap_entry(size) for size in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(SIZES)))
    offset = 6 + 16 * len(SIZES)
    for size, entry in zip(SIZES, entries):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(entry), offset)
        offset += len(entry)
    for entry in entries:
        out += entry
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
