#!/usr/bin/env python3
"""Draws the Ondulix icon, a green sine wave over a dark screen in a bevelled frame, in the colours
of the 16-colour VGA palette: one picture, described once below on a grid of 32 x 32 units, and
written as ondulix.svg and as PNG files of 16, 32, 48, 64, 128 and 256 pixels.

The 16 and 32 pixel files are pixel drawings: every line lies on whole pixels and the wave is one
sample per column, as crisp as a hand-drawn icon. The larger files snap the straight lines to
whole pixels too, and smooth the wave and the marker. The SVG is the picture as described.
Needs nothing beyond the Python standard library. Run it after changing it: it writes the files
beside itself. `make-icons.py --check` only compares what it would write with the files there."""

import math
import struct
import sys
import zlib
from pathlib import Path

GRID = 32  # the picture's units: one unit is one pixel of the 32-pixel icon

# The picture, in units.
BEZEL = 1.0  # the frame around the screen, light at the top left and dark at the bottom right
LINE = 1.0  # the thickness of the axis and of the two dotted bounds
AXIS_Y = GRID / 2  # the axis through the middle of the screen
BOUND_Y = 5.5  # the top bound's middle; the bottom bound mirrors it about the axis
DASH = 1.0  # the dots of a bound, and the gaps between them; a gap comes first
WAVE_START = 2.0  # where the wave rises through the axis; it runs on to both edges of the screen
WAVE_PERIOD = 28.0  # one period, centred on the screen
WAVE_WIDTH = 1.5  # the pen; the crest and the trough lie on the bounds' middles
MARKER_RADIUS = 0.85  # the overflow marker: a red dot just above the crest
MARKER_GAP = 0.25

PIXEL_SIZES = (16, 32)  # drawn on whole pixels
SMOOTH_SIZES = (48, 64, 128, 256)

# The 16-colour palette: index -> (red, green, blue).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, DARK_GREEN, GREY, SILVER, LIME, RED = 0, 2, 8, 7, 10, 12


def nearest(value):
    """Rounds halves up, unlike round(), so that snapping does not depend on parity."""
    return math.floor(value + 0.5)


def crest_x():
    return WAVE_START + WAVE_PERIOD / 4


def marker_y(crest_y, unit):
    return crest_y - (WAVE_WIDTH / 2 + MARKER_GAP + MARKER_RADIUS) * unit


class Layout:
    """The picture at one size in pixels, its straight lines snapped to whole pixels: the bezel,
    the axis and the bounds each at least one pixel thick, the bounds mirrored about the axis."""

    def __init__(self, size):
        self.size = size
        self.unit = unit = size / GRID
        self.bezel = max(1, nearest(BEZEL * unit))
        self.line = max(1, nearest(LINE * unit))
        self.dash = max(1, nearest(DASH * unit))
        self.axis_top = nearest(AXIS_Y * unit - self.line / 2)
        # Rounded outward, so that a small icon's wave keeps all the height it can have.
        self.bound_top = math.floor((BOUND_Y - LINE / 2) * unit)
        self.lower_bound_top = size - self.bound_top - self.line
        self.pen = max(1, nearest(WAVE_WIDTH * unit))

    def is_dash(self, x):
        # Gap, dot, gap, dot, ... from the screen's left edge.
        return (x - self.bezel) // self.dash % 2 == 1

    def phase(self, x):
        return (x - WAVE_START * self.unit) / (WAVE_PERIOD * self.unit) * 2 * math.pi

    def straight_lines(self):
        """The axis and the dotted bounds, pixel by pixel: (x, y, palette index)."""
        for x in range(self.bezel, self.size - self.bezel):
            for row in range(self.line):
                yield x, self.axis_top + row, DARK_GREEN
                if self.is_dash(x):
                    yield x, self.bound_top + row, GREY
                    yield x, self.lower_bound_top + row, GREY


def draw_pixels(size):
    """The picture on whole pixels, as palette indices by row: the 16 and 32 pixel icons."""
    at = Layout(size)
    last = size - 1
    pixels = [[BLACK] * size for _ in range(size)]
    # The bezel: the two edges that catch the light win the corners they share with the others.
    for i in range(size):
        for b in range(at.bezel):
            pixels[last - b][i] = GREY
            pixels[i][last - b] = GREY
    for i in range(size):
        for b in range(at.bezel):
            pixels[b][i] = SILVER
            pixels[i][b] = SILVER
    for x, y, index in at.straight_lines():
        pixels[y][x] = index
    # The wave, one sample per column: the pen covers this column and the next pen - 1, and each
    # sample is joined vertically to the one before so that the wave reads as a line.
    middle = at.axis_top
    amplitude = at.axis_top - at.bound_top
    previous = None
    for x in range(at.bezel, size - at.bezel):
        y = nearest(middle - amplitude * math.sin(at.phase(x + at.pen / 2)))
        span = [y] if previous is None else range(min(y, previous), max(y, previous) + 1)
        for row in span:
            for column in range(x, min(x + at.pen, size - at.bezel)):
                pixels[row][column] = LIME
        previous = y
    # The overflow marker: one pixel on the row above the crest, over its middle.
    pixels[at.bound_top - 1][math.floor(crest_x() * at.unit)] = RED
    return pixels


def clamp01(value):
    return 0.0 if value < 0.0 else 1.0 if value > 1.0 else value


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def draw_smooth(size):
    """The picture with its wave and marker smoothed, as (red, green, blue) by row."""
    at = Layout(size)
    colour = [[None] * size for _ in range(size)]
    screen = range(at.bezel, size - at.bezel)
    for y in range(size):
        for x in range(size):
            if x in screen and y in screen:
                colour[y][x] = PALETTE[BLACK]
            elif x + y + 1 < size:
                colour[y][x] = PALETTE[SILVER]
            elif x + y + 1 > size:
                colour[y][x] = PALETTE[GREY]
            else:  # the mitre between the light and the dark edges runs through this pixel
                colour[y][x] = mix(PALETTE[GREY], PALETTE[SILVER], 0.5)
    for x, y, index in at.straight_lines():
        colour[y][x] = PALETTE[index]

    # The wave: the pen's coverage of each pixel, from the distance of its centre to the curve,
    # here a polyline of a quarter pixel per segment, which departs from the sine by far less
    # than a hundredth of a pixel at these sizes.
    unit = at.unit
    middle = at.axis_top + at.line / 2
    amplitude = middle - (at.bound_top + at.line / 2)
    half_pen = WAVE_WIDTH * unit / 2
    reach = half_pen + 1.0
    step = 0.25
    first_x = at.bezel - reach
    points = []
    for i in range(math.ceil((size - 2 * first_x) / step) + 1):
        x = first_x + i * step
        points.append((x, middle - amplitude * math.sin(at.phase(x))))
    for x in screen:
        cx = x + 0.5
        lo = max(0, math.floor((cx - reach - first_x) / step))
        hi = min(len(points) - 1, math.ceil((cx + reach - first_x) / step))
        near = points[lo:hi + 1]
        top = min(p[1] for p in near) - reach
        bottom = max(p[1] for p in near) + reach
        for y in range(max(at.bezel, math.floor(top)), min(size - at.bezel, math.ceil(bottom))):
            cy = y + 0.5
            distance = min(distance_to_segment(cx, cy, *a, *b) for a, b in zip(near, near[1:]))
            coverage = clamp01(half_pen - distance + 0.5)
            if coverage > 0:
                colour[y][x] = mix(colour[y][x], PALETTE[LIME], coverage)

    marker_x = crest_x() * unit
    marker_centre = marker_y(middle - amplitude, unit)
    radius = MARKER_RADIUS * unit
    for y in range(math.floor(marker_centre - radius - 1), math.ceil(marker_centre + radius + 1)):
        for x in range(math.floor(marker_x - radius - 1), math.ceil(marker_x + radius + 1)):
            coverage = clamp01(radius - math.hypot(x + 0.5 - marker_x, y + 0.5 - marker_centre) + 0.5)
            if coverage > 0:
                colour[y][x] = mix(colour[y][x], PALETTE[RED], coverage)
    return colour


def mix(under, over, coverage):
    return tuple(nearest(u + (o - u) * coverage) for u, o in zip(under, over))


# One quarter of a sine period as a cubic Bezier curve, x in radians: from (0, 0) to (pi/2, 1)
# through these two control points, off by less than a ten-thousandth of the amplitude.
QUARTER_SINE = ((0.512286623256592433, 0.512286623256592433), (1.002313685767898599, 1.0))


def svg():
    def number(value):
        return f"{value:.4f}".rstrip("0").rstrip(".")

    colour = ["#%02x%02x%02x" % c for c in PALETTE]
    middle = AXIS_Y
    amplitude = AXIS_Y - BOUND_Y
    x_scale = WAVE_PERIOD / (2 * math.pi)
    # Quarter periods from one before the start to one past the end; the screen clips them.
    path = []
    for quarter in range(-1, 5):
        start = quarter * math.pi / 2
        rising = quarter % 2 == 0  # away from the axis, else back towards it
        sign = 1 if quarter % 4 in (0, 1) else -1

        def point(phase, height):
            return number(WAVE_START + phase * x_scale) + " " + number(middle - sign * amplitude * height)

        (c1x, c1y), (c2x, c2y) = QUARTER_SINE
        if rising:
            controls = [(start + c1x, c1y), (start + c2x, c2y), (start + math.pi / 2, 1.0)]
            begin = (start, 0.0)
        else:
            end = start + math.pi / 2
            controls = [(end - c2x, c2y), (end - c1x, c1y), (end, 0.0)]
            begin = (start, 1.0)
        if not path:
            path.append("M" + point(*begin))
        path.append("C" + " ".join(point(*c) for c in controls))
    inner = GRID - BEZEL
    lower_bound = GRID - BOUND_Y
    marker = marker_y(BOUND_Y, 1.0)
    return f"""<svg xmlns="http://www.w3.org/2000/svg" width="{GRID}" height="{GRID}" viewBox="0 0 {GRID} {GRID}">
  <title>Ondulix</title>
  <defs>
    <clipPath id="screen">
      <rect x="{number(BEZEL)}" y="{number(BEZEL)}" width="{number(inner - BEZEL)}" height="{number(inner - BEZEL)}"/>
    </clipPath>
  </defs>
  <path fill="{colour[SILVER]}" d="M0 0H{GRID}L{number(inner)} {number(BEZEL)}H{number(BEZEL)}V{number(inner)}L0 {GRID}Z"/>
  <path fill="{colour[GREY]}" d="M{GRID} 0V{GRID}H0L{number(BEZEL)} {number(inner)}H{number(inner)}V{number(BEZEL)}Z"/>
  <rect fill="{colour[BLACK]}" x="{number(BEZEL)}" y="{number(BEZEL)}" width="{number(inner - BEZEL)}" height="{number(inner - BEZEL)}"/>
  <g clip-path="url(#screen)" fill="none">
    <path stroke="{colour[DARK_GREEN]}" stroke-width="{number(LINE)}" d="M{number(BEZEL)} {number(middle)}H{number(inner)}"/>
    <path stroke="{colour[GREY]}" stroke-width="{number(LINE)}" stroke-dasharray="{number(DASH)}" stroke-dashoffset="{number(DASH)}"
          d="M{number(BEZEL)} {number(BOUND_Y)}H{number(inner)}M{number(BEZEL)} {number(lower_bound)}H{number(inner)}"/>
    <path stroke="{colour[LIME]}" stroke-width="{number(WAVE_WIDTH)}" stroke-linejoin="round"
          d="{" ".join(path)}"/>
  </g>
  <circle fill="{colour[RED]}" cx="{number(crest_x())}" cy="{number(marker)}" r="{number(MARKER_RADIUS)}"/>
</svg>
"""


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, colour_type, depth, rows, palette=b""):
    header = struct.pack(">IIBBBBB", width, len(rows), depth, colour_type, 0, 0, 0)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + (png_chunk(b"PLTE", palette) if palette else b"")
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def palette_png(pixels):
    """A 4-bit palette image: two pixels a byte."""
    size = len(pixels)
    rows = [bytes((row[i] << 4) | (row[i + 1] if i + 1 < size else 0) for i in range(0, size, 2))
            for row in pixels]
    return png(size, 3, 4, rows, b"".join(bytes(c) for c in PALETTE))


def smooth_png(colours):
    """An 8-bit palette image of the colours the picture uses: the smoothed picture has fewer than
    256, and a byte a pixel is less for the desktop to read than three."""
    palette = sorted({c for row in colours for c in row})
    index = {c: i for i, c in enumerate(palette)}
    rows = [bytes(index[c] for c in row) for row in colours]
    return png(len(colours), 3, 8, rows, b"".join(bytes(c) for c in palette))


def files():
    yield "ondulix.svg", svg().encode()
    for size in PIXEL_SIZES:
        yield f"ondulix-{size}.png", palette_png(draw_pixels(size))
    for size in SMOOTH_SIZES:
        yield f"ondulix-{size}.png", smooth_png(draw_smooth(size))


def picture_of(name, content):
    """What a file shows: a PNG file's chunks with its image data uncompressed, since another
    zlib may compress the same pixels to other bytes; any other file as it is."""
    if not name.endswith(".png"):
        return content
    chunks, pixels, at = [], b"", 8
    while at < len(content):
        length, kind = struct.unpack(">I4s", content[at:at + 8])
        body = content[at + 8:at + 8 + length]
        if kind == b"IDAT":
            pixels += body
        else:
            chunks.append((kind, body))
        at += 12 + length
    return content[:8], chunks, zlib.decompress(pixels)


def main(arguments):
    check = arguments == ["--check"]
    if arguments and not check:
        sys.exit("usage: make-icons.py [--check]")
    folder = Path(__file__).resolve().parent
    stale = []
    for name, content in files():
        path = folder / name
        if check:
            try:
                with open(path, "rb") as existing:
                    same = picture_of(name, existing.read()) == picture_of(name, content)
            except (FileNotFoundError, struct.error, zlib.error):
                same = False
            if not same:
                stale.append(name)
        else:
            with open(path, "wb") as out:
                out.write(content)
    if stale:
        sys.exit("not what make-icons.py draws: " + ", ".join(stale))


if __name__ == "__main__":
    main(sys.argv[1:])
