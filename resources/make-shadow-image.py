#!/usr/bin/env python3
"""Writes the built-in window shadow picture, themes/default/public/bk/bk_shadow.png.

A 64 x 64 nine-grid (corners 30) of black whose alpha falls off over the 14-pixel band
around a content edge rounded by 3 pixels. Under the content the picture keeps the alpha
of that edge, so the content's rounded corners blend into the shadow. Standard library
only; the output is deterministic, so running it again leaves the file unchanged.
"""

import math
import os
import struct
import zlib

SIZE = 64
BAND = 14
ROUND = 3
EDGE_ALPHA = 80

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, "themes", "default", "public", "bk", "bk_shadow.png")


def distance_outside(x, y):
    """How far the pixel centre lies outside the rounded content rectangle."""
    low, high = BAND + ROUND, SIZE - BAND - ROUND
    cx = min(max(x + 0.5, low), high)
    cy = min(max(y + 0.5, low), high)
    return max(0.0, math.hypot(x + 0.5 - cx, y + 0.5 - cy) - ROUND)


def alpha(x, y):
    d = distance_outside(x, y)
    if d >= BAND:
        return 0
    fall = 1.0 - d / BAND
    return int(round(EDGE_ALPHA * fall * fall))


def chunk(kind, body):
    crc = zlib.crc32(kind + body) & 0xFFFFFFFF
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)


def main():
    rows = bytearray()
    for y in range(SIZE):
        rows.append(0)
        for x in range(SIZE):
            rows.extend((0, 0, 0, alpha(x, y)))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(OUTPUT), exist_ok=True)
    with open(OUTPUT, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
