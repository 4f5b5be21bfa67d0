#!/usr/bin/env python3
"""Writes the small images the UI tests and the image benchmark decode.

Only the standard library is used: PNG through zlib, BMP by hand, GIF with its own LZW
coder and JPEG as a baseline file whose 8 x 8 blocks are each of one colour (so every
block is a DC coefficient and an end-of-block code). Run it from anywhere; it writes
next to itself. The output is deterministic, so the files stay unchanged when it is run
again.

With "--large FOLDER" it writes the large hostile images instead (megabytes each, so they
are made by the build rather than kept in the repository).
"""

import os
import struct
import sys
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


def write(name, data, folder=HERE):
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


# ---------------------------------------------------------------- PNG

def png_chunk(kind, body):
    crc = zlib.crc32(kind + body) & 0xFFFFFFFF
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)


def png_header(width, height, colour_type):
    return png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))


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
    return (b"\x89PNG\r\n\x1a\n" + png_header(width, height, 6 if alpha else 2) +
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
    # A string is known by the code of its prefix and its last index.
    table = {}
    next_code = end + 1
    prefix = None
    for k in indices:
        if prefix is None:
            prefix = k
            continue
        grown = table.get((prefix, k))
        if grown is not None:
            prefix = grown
            continue
        codes.append(prefix)
        if next_code < 4096:
            table[(prefix, k)] = next_code
            next_code += 1
        prefix = k
    if prefix is not None:
        codes.append(prefix)
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


def gif_table_bits(palette):
    size_bits = 1
    while (1 << size_bits) < len(palette):
        size_bits += 1
    return size_bits


def gif_head(width, height, palette):
    """Signature, screen, global colour table and the loop-forever extension."""
    size_bits = gif_table_bits(palette)
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | (size_bits - 1), 0, 0)
    for i in range(1 << size_bits):
        data.extend(palette[i] if i < len(palette) else BLACK)
    # Loop forever, as animated skin images are made.
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    return data


def gif_frame(width, height, palette, delay, index):
    """Graphic control extension, descriptor and image data of one full-size frame."""
    data = b"\x21\xF9\x04" + struct.pack("<BHB", 0x04, delay, 0) + b"\x00"
    data += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    pixels = [index(x, y) for y in range(height) for x in range(width)]
    return data + lzw(pixels, max(2, gif_table_bits(palette)))


def gif(width, height, palette, frames):
    """frames: list of (delay in hundredths, index function (x, y) -> palette index)."""
    data = gif_head(width, height, palette)
    for delay, index in frames:
        data += gif_frame(width, height, palette, delay, index)
    return bytes(data + b"\x3B")


def gif_repeated(width, height, palette, count):
    """count equal frames of one colour, encoded once."""
    frame = gif_frame(width, height, palette, 5, lambda x, y: 1)
    return bytes(gif_head(width, height, palette) + frame * count + b"\x3B")


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
    quadrants_jpeg = jpeg_blocks(16, 16, lambda bx, by: quadrant[(bx, by)])
    write("quadrants.jpg", quadrants_jpeg)

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

    write_small_hostile(grid, quadrants_jpeg)


# ---------------------------------------------------------------- hostile images
# Files whose headers promise more than a skin image ever needs, or that break the
# platform's decoder. The image loader must refuse each of them before decoding.

def with_png_size(data, width, height):
    """The PNG with its header's size replaced (and the header's CRC made right again)."""
    header_end = 8 + 8 + 13 + 4
    colour_type = data[8 + 8 + 9]
    return data[:8] + png_header(width, height, colour_type) + data[header_end:]


def with_jpeg_size(data, width, height):
    """The JPEG with the size in its start-of-frame segment replaced."""
    at = data.index(b"\xFF\xC0") + 5
    return data[:at] + struct.pack(">HH", height, width) + data[at + 4:]


def with_bmp_size(data, width, height):
    return data[:18] + struct.pack("<ii", width, height) + data[26:]


def write_small_hostile(grid, quadrants):
    # One 1 x 1 frame and no colour table anywhere: the platform's decoder crashes on it.
    write("no_colour_table.gif",
          bytes.fromhex("47494638396101000100000000"  # header, screen: no global table
                        "2C000000000100010000"  # frame: no local table either
                        "0202440100"  # LZW code size and data
                        "3B"))
    write("huge_frame.jpg", with_jpeg_size(quadrants, 40000, 40000))
    write("huge_header.png", with_png_size(grid, 65535, 65535))
    write("huge_columns.bmp", with_bmp_size(bmp(6, 4, lambda x, y: WHITE), 40000, -40000))


def write_large_hostile(folder):
    os.makedirs(folder, exist_ok=True)
    # 1 x 1 with 100,000 text chunks: 1.5 MB that take the decoder seconds.
    text = b"".join(png_chunk(b"tEXt", b"k\0%d" % (i % 10)) for i in range(100000))
    one = png(1, 1, lambda x, y: RED, False)
    write("text_chunks.png", one[:33] + text + one[33:], folder)
    palette = [RED, GREEN]
    write("frames_20000.gif", gif_repeated(1, 1, palette, 20000), folder)
    write("frames_65536.gif", gif_repeated(1, 1, palette, 65536), folder)
    # 2,500 frames of 512 x 512: small on disk, 2.6 GB as bitmaps.
    write("frames_2500x512.gif", gif_repeated(512, 512, palette, 2500), folder)
    write_limit_images(folder)


def png_split(width, height, pixel, pieces):
    """An opaque PNG whose compressed data is spread over the given number of IDAT chunks."""
    data = png(width, height, pixel, False)
    header_end = 8 + 8 + 13 + 4
    length = struct.unpack(">I", data[header_end:header_end + 4])[0]
    stream = data[header_end + 8:header_end + 8 + length]
    cuts = [len(stream) * i // pieces for i in range(pieces + 1)]
    chunks = b"".join(png_chunk(b"IDAT", stream[a:b]) for a, b in zip(cuts, cuts[1:]))
    return data[:header_end] + chunks + png_chunk(b"IEND", b"")


def write_limit_images(folder):
    """The largest files the image loader accepts, one for each limit, for the benchmark."""
    palette = [RED, GREEN]
    write("limit_frames_512.gif", gif_repeated(1, 1, palette, 512), folder)
    write("limit_frames_64x512.gif", gif_repeated(512, 512, palette, 64), folder)
    # Every row alike, so that it is quick to write; the decoder still makes 16 M pixels.
    row = b"\0" + bytes(v for x in range(4096) for v in (x & 255, x >> 4, 90))
    write("limit_4096.png", b"\x89PNG\r\n\x1a\n" + png_header(4096, 4096, 2) +
          png_chunk(b"IDAT", zlib.compress(row * 4096, 9)) + png_chunk(b"IEND", b""), folder)
    # Header, 254 texts and the end: 256 chunks besides the image data.
    text = b"".join(png_chunk(b"tEXt", b"k\0%d" % (i % 10)) for i in range(254))
    one = png(1, 1, lambda x, y: RED, False)
    write("limit_text_chunks.png", one[:33] + text + one[33:], folder)
    # Header, 65,534 pieces of image data and the end: 65,536 chunks.
    write("limit_data_chunks.png", png_split(256, 256, lambda x, y: (x, y, 0), 65534), folder)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--large":
        write_large_hostile(sys.argv[2])
    else:
        main()
