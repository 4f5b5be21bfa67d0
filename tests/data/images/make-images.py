#!/usr/bin/env python3
"""Writes the small images the UI tests and the image benchmark decode.

Only the standard library is used: PNG through zlib, BMP by hand, GIF with its own LZW
coder and JPEG as a baseline file whose 8 x 8 blocks are each of one colour (so every
block is a DC coefficient and an end-of-block code). Run it from anywhere; it writes
next to itself. The output is deterministic, so the files stay unchanged when it is run
again.
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

RED = (255, 0, 0)
GREEN = (0, 255, 0)
BLUE = (0, 0, 255)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
YELLOW = (255, 255, 0)
CYAN = (0, 255, 255)
MAGENTA = (255, 0, 255)


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)


# ---------------------------------------------------------------- PNG

def png_chunk(kind, body):
    crc = zlib.crc32(kind + body) & 0xFFFFFFFF
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)


def png(width, height, pixel, alpha):
    """pixel(x, y) gives (r, g, b) or (r, g, b, a); alpha selects colour type 6 over 2."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            p = pixel(x, y)
            rows.extend(p[:3])
            if alpha:
                rows.append(p[3] if len(p) > 3 else 255)
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + png_chunk(b"IEND", b""))


# ---------------------------------------------------------------- BMP

def bmp(width, height, pixel):
    """24-bit, bottom-up, rows padded to four bytes."""
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)[:3]
            row.extend((b, g, r))
        row.extend(b"\0" * (stride - len(row)))
        body.extend(row)
    offset = 14 + 40
    header = b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


# ---------------------------------------------------------------- GIF

def lzw_codes(indices, min_code_size):
    """The LZW code stream of the indices, with the code widths a decoder reads them at."""
    clear = 1 << min_code_size
    end = clear + 1
    codes = [clear]
    table = {(i,): i for i in range(clear)}
    next_code = end + 1
    prefix = ()
    for k in indices:
        grown = prefix + (k,)
        if grown in table:
            prefix = grown
            continue
        codes.append(table[prefix])
        if next_code < 4096:
            table[grown] = next_code
            next_code += 1
        prefix = (k,)
    if prefix:
        codes.append(table[prefix])
    codes.append(end)

    # Widths as the decoder sees them: it adds an entry for every code but the first after
    # a clear, and widens once its next free entry reaches the current power of two.
    widths = []
    width = min_code_size + 1
    decoder_next = end + 1
    first = True
    for code in codes:
        widths.append(width)
        if code == clear:
            width = min_code_size + 1
            decoder_next = end + 1
            first = True
            continue
        if first:
            first = False
            continue
        if decoder_next < 4096:
            decoder_next += 1
        if decoder_next >= (1 << width) and width < 12:
            width += 1
    return codes, widths


def lzw(indices, min_code_size):
    codes, widths = lzw_codes(indices, min_code_size)
    out = bytearray()
    bits = 0
    count = 0
    for code, width in zip(codes, widths):
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code_size])
    for i in range(0, len(out), 255):
        piece = out[i:i + 255]
        blocks.append(len(piece))
        blocks.extend(piece)
    blocks.append(0)
    return bytes(blocks)


def gif(width, height, palette, frames):
    """frames: list of (delay in hundredths, index function (x, y) -> palette index)."""
    size_bits = 1
    while (1 << size_bits) < len(palette):
        size_bits += 1
    colours = bytearray()
    for i in range(1 << size_bits):
        colours.extend(palette[i] if i < len(palette) else BLACK)
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | (size_bits - 1), 0, 0)
    data += colours
    # Loop forever, as animated skin images are made.
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    min_code_size = max(2, size_bits)
    for delay, index in frames:
        data += b"\x21\xF9\x04" + struct.pack("<BHB", 0x04, delay, 0) + b"\x00"
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        data += lzw([index(x, y) for y in range(height) for x in range(width)], min_code_size)
    data += b"\x3B"
    return bytes(data)


# ---------------------------------------------------------------- JPEG

def jpeg_blocks(width, height, block_colour):
    """Baseline JPEG, 4:4:4 YCbCr, whose 8 x 8 blocks each have one colour.

    A uniform block has only a DC coefficient, so the file needs no DCT: the DC value is
    8 x (sample - 128) with a quantiser of 1, and every block ends at once with EOB.
    """
    assert width % 8 == 0 and height % 8 == 0

    def ycc(rgb):
        r, g, b = rgb
        y = 0.299 * r + 0.587 * g + 0.114 * b
        cb = -0.168736 * r - 0.331264 * g + 0.5 * b + 128
        cr = 0.5 * r - 0.418688 * g - 0.081312 * b + 128
        return [min(255, max(0, int(round(v)))) for v in (y, cb, cr)]

    def segment(marker, body):
        return struct.pack(">BBH", 0xFF, marker, len(body) + 2) + body

    out = bytearray(b"\xFF\xD8")
    out += segment(0xE0, b"JFIF\0" + struct.pack(">BBBHHBB", 1, 1, 0, 1, 1, 0, 0))
    out += segment(0xDB, b"\x00" + b"\x01" * 64)  # table 0, every quantiser 1
    out += segment(0xC0, struct.pack(">BHHB", 8, height, width, 3) +
                   b"\x01\x11\x00" + b"\x02\x11\x00" + b"\x03\x11\x00")
    # DC table 0: the twelve size categories 0..11, each a four-bit code.
    dc_counts = [0, 0, 0, 12] + [0] * 12
    out += segment(0xC4, b"\x00" + bytes(dc_counts) + bytes(range(12)))
    # AC table 0: end-of-block only, code "0".
    out += segment(0xC4, b"\x10" + bytes([1] + [0] * 15) + b"\x00")
    out += segment(0xDA, b"\x03" + b"\x01\x00" + b"\x02\x00" + b"\x03\x00" + b"\x00\x3F\x00")

    bits = []

    def put(value, length):
        for i in reversed(range(length)):
            bits.append((value >> i) & 1)

    previous = [0, 0, 0]
    for by in range(height // 8):
        for bx in range(width // 8):
            samples = ycc(block_colour(bx, by))
            for c in range(3):
                dc = 8 * (samples[c] - 128)
                diff = dc - previous[c]
                previous[c] = dc
                size = abs(diff).bit_length()
                put(size, 4)
                if size:
                    put(diff if diff > 0 else diff + (1 << size) - 1, size)
                put(0, 1)  # EOB
    while len(bits) % 8:
        bits.append(1)
    for i in range(0, len(bits), 8):
        byte = int("".join(str(b) for b in bits[i:i + 8]), 2)
        out.append(byte)
        if byte == 0xFF:
            out.append(0)  # byte stuffing
    out += b"\xFF\xD9"
    return bytes(out)


# ---------------------------------------------------------------- the images

def cell(position, low, high):
    return 0 if position < low else 1 if position < high else 2


def grid_colour(column, row):
    """The nine-grid cell colours, also used by the tests: (r, g, b)."""
    return (40 + 80 * column, 40 + 80 * row, 200)


def main():
    # 30 x 30, opaque RGB, nine 10 x 10 cells of their own colours: the nine-grid image.
    grid = png(30, 30, lambda x, y: grid_colour(cell(x, 10, 20), cell(y, 10, 20)), False)
    write("grid.png", grid)
    # Cut inside the image data: the signature and header are fine, the pixels are not.
    write("truncated.png", grid[:len(grid) // 2])
    write("empty.png", b"")
    write("text.png", b"This file is text that only pretends to be a picture.\n")

    # 32-bit with every alpha 255, and the same with one pixel at half transparency.
    write("opaque_rgba.png", png(8, 8, lambda x, y: (0, 128, 255, 255), True))
    write("half_pixel.png",
          png(8, 8, lambda x, y: (0, 128, 255, 128 if (x, y) == (5, 2) else 255), True))
    # Left half fully transparent, right half opaque red.
    write("transparent.png",
          png(8, 8, lambda x, y: (0, 0, 0, 0) if x < 4 else (255, 0, 0, 255), True))

    # 30 x 30 black at alpha 64: a window shadow's picture.
    write("shadow.png", png(30, 30, lambda x, y: (0, 0, 0, 64), True))

    # 6 x 4: columns red, green, blue; rows 0-1 as they are, rows 2-3 white.
    write("columns.bmp", bmp(6, 4, lambda x, y: WHITE if y >= 2 else (RED, GREEN, BLUE)[x // 2]))

    # 16 x 16 in four 8 x 8 blocks: red, green / blue, white.
    quadrant = {(0, 0): RED, (1, 0): GREEN, (0, 1): BLUE, (1, 1): WHITE}
    write("quadrants.jpg", jpeg_blocks(16, 16, lambda bx, by: quadrant[(bx, by)]))

    # Six frames with every delay class: 0 and 2 (100 ms), 3 and 4 (50 ms), 5, 7.
    palette = [RED, GREEN, BLUE, WHITE, YELLOW, CYAN, MAGENTA, BLACK]
    delays = [0, 2, 3, 4, 5, 7]
    write("delays.gif",
          gif(4, 4, palette, [(d, (lambda i: lambda x, y: i)(i)) for i, d in enumerate(delays)]))
    # Three 50 ms frames, red, green, blue, for playing and stopping.
    write("three_frames.gif",
          gif(4, 4, palette, [(5, (lambda i: lambda x, y: i)(i)) for i in range(3)]))
    # One frame with a pattern, so the LZW data holds more than runs of one index.
    write("single.gif", gif(8, 8, palette, [(0, lambda x, y: (x + 2 * y) % 8)]))

    # The benchmark's image: 96 x 96, 32-bit with a soft alpha edge, 24-pixel corners.
    def bench_pixel(x, y):
        edge = min(x, y, 95 - x, 95 - y)
        return (40 + x, 80 + y, 160, min(255, 64 + edge * 24))
    write("bench_ninegrid.png", png(96, 96, bench_pixel, True))


if __name__ == "__main__":
    main()
