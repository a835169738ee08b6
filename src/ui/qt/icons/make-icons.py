#!/usr/bin/env python3
"""Draws the Ondulix window icon, a green sine wave over a dark screen, in the 16 colours of the
classic VGA palette, at 32 x 32 and 16 x 16 pixels, and writes both as 4-bit palette PNG files.
Needs nothing beyond the Python standard library. Run it from this folder after changing it."""

import math
import struct
import zlib

# The 16-colour palette: index -> (red, green, blue).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, DARK_GREEN, GREY, SILVER, LIME, RED = 0, 2, 8, 7, 10, 12


def draw(size):
    pixels = [[BLACK] * size for _ in range(size)]
    last = size - 1
    # A bevelled frame, light at the top left and dark at the bottom right, like a screen bezel.
    for i in range(size):
        pixels[0][i] = SILVER
        pixels[i][0] = SILVER
        pixels[last][i] = GREY
        pixels[i][last] = GREY
    inner = range(1, last)
    mid = size // 2
    # The axis, and two dotted bounds a quarter in from the top and the bottom.
    for x in inner:
        pixels[mid][x] = DARK_GREEN
        if x % 2 == 0:
            pixels[size // 6][x] = GREY
            pixels[last - size // 6][x] = GREY
    # One period of the wave, one sample per column, joined vertically so it reads as a line.
    amplitude = (mid - size // 6)
    previous = None
    for x in inner:
        phase = (x - 1) / (last - 2) * 2 * math.pi
        y = round(mid - amplitude * math.sin(phase))
        span = [y] if previous is None else range(min(y, previous), max(y, previous) + 1)
        for row in span:
            pixels[row][x] = LIME
            if size >= 32 and x + 1 < last:
                pixels[row][x + 1] = LIME  # two pixels thick at the larger size
        previous = y
    # The overflow marker: a red dot at the crest.
    crest = 1 + round((last - 2) / 4)
    pixels[size // 6 - 1 if size >= 32 else 1][crest] = RED
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b""
    for row in pixels:
        packed = bytes((row[i] << 4) | (row[i + 1] if i + 1 < size else 0) for i in range(0, size, 2))
        raw += b"\x00" + packed

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)  # 4-bit palette image
    palette = b"".join(bytes(c) for c in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


for size in (32, 16):
    with open(f"ondulix-{size}.png", "wb") as out:
        out.write(png(draw(size)))
