#!/usr/bin/env python3
"""Writes the default theme's generated pictures under themes/default/public/.

- bk/bk_shadow.png: the built-in window shadow. A 64 x 64 nine-grid (corners 30) of black
  whose alpha falls off over the 14-pixel band around a content edge rounded by 3 pixels.
  Under the content the picture keeps the alpha of that edge, so the content's rounded
  corners blend into the shadow.
- scrollbar/thumb_{normal,hot,pushed}.png: a scroll bar's thumb, a 12 x 12 nine-grid
  (corners 5) of grey rounded by 4 pixels, darker when hot and pushed.

The client's own windows (the skin folder cef/) are drawn by make-client-images.py beside
this script, with the helpers below.

Standard library only; the output is deterministic, so running it again leaves the files
unchanged.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PUBLIC = os.path.join(HERE, "themes", "default", "public")

SHADOW_SIZE = 64
BAND = 14
ROUND = 3
EDGE_ALPHA = 80

THUMB_SIZE = 12
THUMB_ROUND = 4
THUMB_GREYS = {"normal": (0xC4, 230), "hot": (0xA0, 240), "pushed": (0x78, 255)}


def outside_rounded(x, y, low, high, radius):
    """How far the pixel centre lies outside a square from low to high rounded by radius."""
    cx = min(max(x + 0.5, low + radius), high - radius)
    cy = min(max(y + 0.5, low + radius), high - radius)
    return max(0.0, math.hypot(x + 0.5 - cx, y + 0.5 - cy) - radius)


def shadow_pixel(x, y):
    d = outside_rounded(x, y, BAND, SHADOW_SIZE - BAND, ROUND)
    if d >= BAND:
        return (0, 0, 0, 0)
    fall = 1.0 - d / BAND
    return (0, 0, 0, int(round(EDGE_ALPHA * fall * fall)))


def thumb_pixel(grey, alpha):
    def pixel(x, y):
        # One pixel of soft edge around the rounded square.
        coverage = max(0.0, 1.0 - outside_rounded(x, y, 0, THUMB_SIZE, THUMB_ROUND))
        return (grey, grey, grey, int(round(alpha * coverage)))
    return pixel


def chunk(kind, body):
    crc = zlib.crc32(kind + body) & 0xFFFFFFFF
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)


def write_png(path, size, pixel, height=None):
    """An RGBA picture of size x size (or size x height) whose pixels the function gives."""
    width = size
    height = size if height is None else height
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def main():
    write_png(os.path.join(PUBLIC, "bk", "bk_shadow.png"), SHADOW_SIZE, shadow_pixel)
    for state, (grey, alpha) in THUMB_GREYS.items():
        write_png(os.path.join(PUBLIC, "scrollbar", "thumb_%s.png" % state), THUMB_SIZE,
                  thumb_pixel(grey, alpha))


if __name__ == "__main__":
    main()
