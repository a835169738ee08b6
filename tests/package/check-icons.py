#!/usr/bin/env python3
"""Checks the icon files against their one source: make-icons.py writes exactly the files that are
checked in, and the SVG, drawn by librsvg (rsvg-convert), is the same picture as the smoothed PNG
files at the sizes where their straight lines fall on whole pixels as they do in the SVG.

Usage: check-icons.py ICON_FOLDER"""

import struct
import subprocess
import sys
import tempfile
import zlib
from pathlib import Path

# At these sizes a unit of the SVG is a whole number of pixels, so nothing is snapped.
EXACT_SIZES = (64, 128, 256)
# Drawn by two rasterisers, the same edge may be smoothed a little differently; a picture that
# differs, even by a pixel's shift of a line, differs by far more at some pixel.
MOST_PER_CHANNEL = 48


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def read_png(path):
    """The pixels of an 8-bit palette, RGB or RGBA PNG file, as (red, green, blue) by row."""
    data = Path(path).read_bytes()
    at, compressed, palette = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour_type = struct.unpack(">IIBB", body[:10])
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            compressed += body
        at += 12 + length
    if depth != 8 or colour_type not in (2, 3, 6):
        sys.exit(f"{path}: not an 8-bit palette, RGB or RGBA image")
    channels = {2: 3, 3: 1, 6: 4}[colour_type]
    raw = zlib.decompress(compressed)
    stride = width * channels
    previous, rows = bytearray(stride), []
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = previous[x]
            c = previous[x - channels] if x >= channels else 0
            line[x] = (line[x] + (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]) & 0xFF
        if palette:
            rows.append([palette[i] for i in line])
        else:
            rows.append([tuple(line[i:i + 3]) for i in range(0, stride, channels)])
        previous = line
    return rows


def main(folder):
    folder = Path(folder)
    failures = []
    drawn = subprocess.run([sys.executable, str(folder / "make-icons.py"), "--check"],
                           capture_output=True, text=True)
    if drawn.returncode != 0:
        failures.append(drawn.stderr.strip() or "make-icons.py --check failed")
    with tempfile.TemporaryDirectory() as scratch:
        for size in EXACT_SIZES:
            rendered = Path(scratch) / f"svg-{size}.png"
            subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(rendered),
                            str(folder / "ondulix.svg")], check=True)
            svg = read_png(rendered)
            png = read_png(folder / f"ondulix-{size}.png")
            if len(png) != size or len(png[0]) != size:
                failures.append(f"ondulix-{size}.png is {len(png[0])} x {len(png)} pixels")
                continue
            worst = max((max(abs(p - q) for p, q in zip(a, b)), x, y)
                        for y, (row_a, row_b) in enumerate(zip(svg, png))
                        for x, (a, b) in enumerate(zip(row_a, row_b)))
            if worst[0] > MOST_PER_CHANNEL:
                failures.append(f"at {size} pixels the SVG and ondulix-{size}.png differ by {worst[0]} "
                                f"at x {worst[1]}, y {worst[2]}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
