#!/usr/bin/env python3
"""Writes the pictures of the client's own windows under themes/default/cef/.

- launcher_bk.png: the start window's 900 x 600 background: a night sky over three mountain
  ridges with a keep on the middle one, a moon, stars, and the frame in which the login
  window sits (content position 462,266 to 878,572; the login window is 400 x 290 at 470,274).
- emblem.png (40 x 40) and emblem_small.png (18 x 18): the game's crest, a gold diamond
  with a tower.
- icon_*.png: 28 x 28 toolbar glyphs (back, forward, refresh, home, devtools) and 30 x 30
  caption glyphs (min, max, restore, close), light strokes on transparency.

Standard library only and deterministic, like make-theme-images.py, whose PNG writer it uses.
"""

import importlib.util
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CEF = os.path.join(HERE, "themes", "default", "cef")

_spec = importlib.util.spec_from_file_location("theme_images",
                                               os.path.join(HERE, "make-theme-images.py"))
theme_images = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(theme_images)
write_png = theme_images.write_png

WIDTH, HEIGHT = 900, 600
FRAME = (462, 266, 878, 572)
GLYPH = (0xDD, 0xE3, 0xEC)
GOLD = (0xE0, 0xB2, 0x52)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def over(dst, src, alpha):
    """src painted over dst with the given coverage."""
    return mix(dst, src, alpha)


def smooth_edge(distance, width=1.0):
    """Coverage of a pixel whose centre is `distance` inside an edge."""
    return min(max(distance / width + 0.5, 0.0), 1.0)


def ridge(x, base, waves):
    return base + sum(a * math.sin(x * f + p) for a, f, p in waves)


RIDGES = [
    (ridge, 390, [(26, 0.011, 0.4), (11, 0.031, 1.3), (4, 0.09, 2.0)], (0x2E, 0x47, 0x5C)),
    (ridge, 445, [(22, 0.008, 2.1), (9, 0.027, 0.2), (3, 0.11, 1.1)], (0x1C, 0x2C, 0x40)),
    (ridge, 512, [(18, 0.006, 4.0), (8, 0.022, 2.4), (3, 0.13, 0.5)], (0x10, 0x19, 0x2A)),
]


def stars():
    seed = 12345
    points = []
    for _ in range(220):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        x = seed % WIDTH
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        y = seed % 400
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        points.append((x, y, 0.3 + (seed % 70) / 100.0))
    return {(x, y): b for x, y, b in points}


STARS = stars()
MOON = (700, 118, 40)


def keep_coverage(x, y):
    """The keep on the middle ridge: a tower with battlements and lit windows."""
    left, right, top = 238, 272, 330
    if not (left <= x < right and y >= top - 8):
        return 0.0, False
    if y < top:  # battlements
        return (1.0 if (x - left) % 8 < 5 else 0.0), False
    lit = (x - left) in (8, 9, 10, 23, 24, 25) and (y - top) % 26 in range(10, 18)
    return 1.0, lit and y < 420


def sky(y):
    if y < 380:
        return mix((0x0B, 0x11, 0x24), (0x25, 0x42, 0x5C), y / 380.0)
    return mix((0x25, 0x42, 0x5C), (0x3C, 0x62, 0x70), (y - 380) / 160.0)


def launcher_pixel(x, y):
    colour = sky(y)
    mx, my, mr = MOON
    d = math.hypot(x + 0.5 - mx, y + 0.5 - my)
    colour = over(colour, (0x5A, 0x6E, 0x86), max(0.0, 1.0 - (d - mr) / 120.0) * 0.35)
    colour = over(colour, (0xF4, 0xEA, 0xC8), smooth_edge(mr - d))
    if (x, y) in STARS and d > mr + 6:
        colour = over(colour, (0xFF, 0xFF, 0xF0), STARS[(x, y)])
    for index, (f, base, waves, tone) in enumerate(RIDGES):
        colour = over(colour, tone, smooth_edge(y + 0.5 - f(x + 0.5, base, waves)))
        if index == 1:
            cover, lit = keep_coverage(x, y)
            colour = over(colour, tone, cover)
            if lit:
                colour = GOLD
    # Darker towards the bottom, where the texts are.
    colour = over(colour, (0x06, 0x09, 0x12), max(0.0, (y - 480) / 120.0) * 0.6)
    colour = frame(x, y, colour)
    return tuple(int(round(c)) for c in colour) + (255,)


def frame(x, y, colour):
    left, top, right, bottom = FRAME
    radius = 6
    cx = min(max(x + 0.5, left + radius), right - radius)
    cy = min(max(y + 0.5, top + radius), bottom - radius)
    outside = math.hypot(x + 0.5 - cx, y + 0.5 - cy) - radius
    inside = smooth_edge(-outside)
    if inside <= 0:
        return colour
    colour = over(colour, (0x05, 0x08, 0x10), inside * 0.55)
    border = max(0.0, 1.0 - abs(outside + 0.5))
    return over(colour, GOLD, border * 0.8)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def stroke_image(paths, size, width=1.7, colour=GLYPH, offset=0.0):
    """Polylines (lists of points on a 16-unit grid) drawn centred in a size x size image."""
    shift = (size - 16) / 2.0 + offset
    segments = []
    for path in paths:
        for (ax, ay), (bx, by) in zip(path, path[1:]):
            segments.append((ax + shift, ay + shift, bx + shift, by + shift))

    def pixel(x, y):
        px, py = x + 0.5, y + 0.5
        d = min(segment_distance(px, py, *s) for s in segments)
        alpha = smooth_edge(width / 2.0 - d)
        return colour + (int(round(255 * alpha)),)
    return pixel


def arc(cx, cy, r, start, end, steps=24):
    return [(cx + r * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + r * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


TOOLBAR_ICONS = {
    "back": [[(10, 3), (5, 8), (10, 13)]],
    "forward": [[(6, 3), (11, 8), (6, 13)]],
    "refresh": [arc(8, 8, 5, -60, 250), [(10.5, 2.2), (10.5, 4.7), (13.0, 4.7)]],
    "home": [[(2.5, 8), (8, 2.8), (13.5, 8)], [(4.5, 7), (4.5, 13.5), (11.5, 13.5), (11.5, 7)],
             [(7, 13.5), (7, 10), (9, 10), (9, 13.5)]],
    "devtools": [[(5, 4.5), (1.8, 8), (5, 11.5)], [(11, 4.5), (14.2, 8), (11, 11.5)],
                 [(9.3, 3), (6.7, 13)]],
}

CAPTION_ICONS = {
    "min": [[(3, 8.5), (13, 8.5)]],
    "max": [[(3.5, 3.5), (12.5, 3.5), (12.5, 12.5), (3.5, 12.5), (3.5, 3.5)]],
    "restore": [[(3.5, 5.5), (10.5, 5.5), (10.5, 12.5), (3.5, 12.5), (3.5, 5.5)],
                [(5.5, 5.5), (5.5, 3.5), (12.5, 3.5), (12.5, 10.5), (10.5, 10.5)]],
    "close": [[(3.5, 3.5), (12.5, 12.5)], [(12.5, 3.5), (3.5, 12.5)]],
}


def emblem_pixel(size):
    scale = size / 40.0

    def pixel(x, y):
        px, py = (x + 0.5) / scale, (y + 0.5) / scale
        diamond = 19.0 - (abs(px - 20) + abs(py - 20))
        if diamond <= -1:
            return (0, 0, 0, 0)
        colour = mix(GOLD, (0x9C, 0x6B, 0x1E), py / 40.0)
        inner = diamond - 3.0
        if inner > 0:
            colour = mix((0x16, 0x22, 0x38), (0x24, 0x3A, 0x56), py / 40.0)
            tower = 15 <= px <= 25 and 14 <= py <= 29
            merlon = 12 <= py < 14 and (15 <= px < 17.5 or 19 <= px < 21 or 22.5 <= px <= 25)
            gate = 18.5 <= px <= 21.5 and py >= 24
            if (tower or merlon) and not gate:
                colour = GOLD
        alpha = smooth_edge(diamond * scale)
        return tuple(int(round(c)) for c in colour) + (int(round(255 * alpha)),)
    return pixel


def main():
    write_png(os.path.join(CEF, "launcher_bk.png"), WIDTH, launcher_pixel, HEIGHT)
    write_png(os.path.join(CEF, "emblem.png"), 40, emblem_pixel(40))
    write_png(os.path.join(CEF, "emblem_small.png"), 18, emblem_pixel(18))
    for name, paths in TOOLBAR_ICONS.items():
        write_png(os.path.join(CEF, "icon_%s.png" % name), 28, stroke_image(paths, 28))
    for name, paths in CAPTION_ICONS.items():
        write_png(os.path.join(CEF, "icon_%s.png" % name), 30, stroke_image(paths, 30, 1.2))


if __name__ == "__main__":
    main()
