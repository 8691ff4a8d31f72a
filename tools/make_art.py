#!/usr/bin/env python3
"""Draws the program's icon (resources/zok.ico) and banner (resources/banner.bmp).

Standard library only, and deterministic: the same script always writes the same bytes, so the
committed pictures can be checked against it (tools/make_art.py --check).

Shapes are signed distance functions (negative inside, in pixels); a pixel's coverage is
clamp(0.5 - distance), which gives anti-aliased edges from one sample per pixel.
"""

import math
import os
import random
import struct
import sys

# --- Palette (r, g, b) ---------------------------------------------------------------------
DEEP = (9, 52, 50)
TEAL = (18, 98, 88)
GREEN = (52, 150, 98)
LEAF = (132, 206, 96)
LEAF_DARK = (64, 150, 70)
GOLD = (236, 196, 92)
WHITE = (250, 252, 248)
MIST = (206, 232, 220)


def clamp(value, low=0.0, high=1.0):
    return low if value < low else high if value > high else value


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# --- Distance functions ----------------------------------------------------------------------
def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_round_box(cx, cy, hw, hh, r):
    def d(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return d


def sd_segment(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def d(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / length2)
        return math.hypot(x - ax - dx * t, y - ay - dy * t) - r

    return d


def sd_ring(cx, cy, radius, half_width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - half_width


def sd_union(*parts):
    return lambda x, y: min(p(x, y) for p in parts)


def sd_intersect(*parts):
    return lambda x, y: max(p(x, y) for p in parts)


def sd_subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def sd_below(y0):
    """Half plane y >= y0."""
    return lambda x, y: y0 - y


def sd_above(y0):
    return lambda x, y: y - y0


# --- Canvas ----------------------------------------------------------------------------------
class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill(x, y) for x in range(width)] for y in range(height)]

    def paint(self, distance, color, box, alpha=1.0):
        """Blends `color` (a tuple, or a function of x and y) over the shape inside `box`."""
        x0, y0, x1, y1 = box
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        for y in range(y0, y1):
            row = self.pixels[y]
            for x in range(x0, x1):
                cover = clamp(0.5 - distance(x + 0.5, y + 0.5)) * alpha
                if cover <= 0.0:
                    continue
                c = color(x, y) if callable(color) else color
                row[x] = mix(row[x], c, cover)

    def coverage(self, distance):
        return [[clamp(0.5 - distance(x + 0.5, y + 0.5)) for x in range(self.width)]
                for y in range(self.height)]

    def bgr_rows_bottom_up(self):
        for y in range(self.height - 1, -1, -1):
            out = bytearray()
            for r, g, b in self.pixels[y]:
                out += bytes((int(round(clamp(b, 0, 255))), int(round(clamp(g, 0, 255))),
                              int(round(clamp(r, 0, 255)))))
            out += b"\0" * ((-len(out)) % 4)
            yield bytes(out)


# --- Stroke font (capitals and digits on a 4 x 6 grid, y downwards) -------------------------
GLYPHS = {
    "A": [[(0, 6), (2, 0), (4, 6)], [(0.7, 4), (3.3, 4)]],
    "C": [[(4, 1), (3, 0), (1, 0), (0, 1), (0, 5), (1, 6), (3, 6), (4, 5)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    "F": [[(4, 0), (0, 0), (0, 6)], [(0, 3), (3, 3)]],
    "H": [[(0, 0), (0, 6)], [(4, 0), (4, 6)], [(0, 3), (4, 3)]],
    "I": [[(2, 0), (2, 6)], [(1, 0), (3, 0)], [(1, 6), (3, 6)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "N": [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    "O": [[(1, 0), (3, 0), (4, 1), (4, 5), (3, 6), (1, 6), (0, 5), (0, 1), (1, 0)]],
    "P": [[(0, 6), (0, 0), (3, 0), (4, 1), (4, 2), (3, 3), (0, 3)]],
    "R": [[(0, 6), (0, 0), (3, 0), (4, 1), (4, 2), (3, 3), (0, 3)], [(2, 3), (4, 6)]],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "V": [[(0, 0), (2, 6), (4, 0)]],
    "Y": [[(0, 0), (2, 3), (4, 0)], [(2, 3), (2, 6)]],
    "0": [[(1, 0), (3, 0), (4, 1), (4, 5), (3, 6), (1, 6), (0, 5), (0, 1), (1, 0)]],
    "1": [[(1, 1), (2, 0), (2, 6)], [(1, 6), (3, 6)]],
    ".": [[(2, 6), (2, 6)]],
    " ": [],
}


def text_shape(text, left, top, height, weight, spacing=1.6):
    """Returns the text's distance function and its right edge."""
    unit = height / 6.0
    parts = []
    x = left
    for ch in text:
        for line in GLYPHS[ch]:
            for (ax, ay), (bx, by) in zip(line, line[1:] or line):
                parts.append(sd_segment(x + ax * unit, top + ay * unit, x + bx * unit,
                                        top + by * unit, weight / 2))
        x += (4 + spacing) * unit
    return sd_union(*parts), x - spacing * unit


# --- The emblem: a padlock with a grain leaf on its body -------------------------------------
def padlock(cx, cy, size):
    """Shackle, body and keyhole around (cx, cy); size is the body's width."""
    body = sd_round_box(cx, cy + size * 0.18, size * 0.5, size * 0.36, size * 0.12)
    shackle = sd_intersect(sd_ring(cx, cy - size * 0.22, size * 0.30, size * 0.075),
                           sd_above(cy - size * 0.2))
    legs = sd_union(sd_segment(cx - size * 0.30, cy - size * 0.24, cx - size * 0.30, cy, size * 0.075),
                    sd_segment(cx + size * 0.30, cy - size * 0.24, cx + size * 0.30, cy, size * 0.075))
    keyhole = sd_union(sd_circle(cx, cy + size * 0.12, size * 0.085),
                       sd_segment(cx, cy + size * 0.12, cx, cy + size * 0.33, size * 0.04))
    return sd_union(shackle, legs), body, keyhole


def leaf(cx, cy, length, angle):
    """A pointed leaf (the overlap of two discs) centred at (cx, cy), turned by angle."""
    half = length / 2
    r = half * 1.35
    offset = math.sqrt(r * r - half * half)
    ca, sa = math.cos(angle), math.sin(angle)

    def d(x, y):
        # Into the leaf's frame: u along its length, v across.
        u = (x - cx) * ca + (y - cy) * sa
        v = -(x - cx) * sa + (y - cy) * ca
        return max(math.hypot(u, v - offset) - r, math.hypot(u, v + offset) - r)

    return d


def vein(cx, cy, length, angle, width):
    half = length * 0.42
    ca, sa = math.cos(angle), math.sin(angle)
    return sd_segment(cx - ca * half, cy - sa * half, cx + ca * half, cy + sa * half, width)


def draw_emblem(canvas, cx, cy, size, shadow=True):
    shackle, body, keyhole = padlock(cx, cy, size)
    box = (cx - size, cy - size, cx + size, cy + size)
    if shadow:
        offset = size * 0.04
        shade = sd_union(shackle, body)
        canvas.paint(lambda x, y: shade(x - offset, y - offset * 1.5) - size * 0.02, DEEP, box,
                     0.45)
    canvas.paint(shackle, lambda x, y: mix(MIST, WHITE, clamp((cy - y) / size + 0.2)), box)
    top = cy - size * 0.18
    canvas.paint(body, lambda x, y: mix(WHITE, MIST, clamp((y - top) / (size * 0.8))), box)
    canvas.paint(keyhole, DEEP, box)
    # The grain leaf rises from the body's lower right corner.
    leaf_cx, leaf_cy = cx + size * 0.36, cy + size * 0.08
    angle = -1.05
    blade = leaf(leaf_cx, leaf_cy, size * 0.62, angle)
    canvas.paint(lambda x, y: blade(x, y) - size * 0.03, TEAL, box)  # outline against the body
    canvas.paint(blade, lambda x, y: mix(LEAF, LEAF_DARK, clamp((y - cy + size * 0.2) / size)), box)
    canvas.paint(vein(leaf_cx, leaf_cy, size * 0.62, angle, size * 0.012), LEAF_DARK, box, 0.9)


# --- Banner ----------------------------------------------------------------------------------
def banner():
    width, height = 803, 126
    glow_x, glow_y = 64, 63

    def background(x, y):
        t = x / (width - 1)
        base = mix(DEEP, TEAL, clamp(t * 1.6)) if t < 0.625 else mix(TEAL, GREEN, (t - 0.625) / 0.375)
        base = mix(base, DEEP, 0.35 * (y / (height - 1)) ** 2)
        glow = math.exp(-((x - glow_x) ** 2 + (y - glow_y) ** 2) / (2 * 52.0 ** 2))
        return mix(base, GREEN, 0.55 * glow)

    canvas = Canvas(width, height, background)

    # Encrypted blocks fading in towards the right.
    rng = random.Random(1804)
    cell = 14
    for row in range(0, height // cell + 1):
        for col in range(26, width // cell + 1):
            strength = ((col - 26) / (width / cell - 26)) ** 1.6
            if rng.random() > 0.55:
                continue
            x0, y0 = col * cell + 2, row * cell + 2
            square = sd_round_box(x0 + 5, y0 + 5, 5, 5, 2)
            canvas.paint(square, WHITE, (x0 - 1, y0 - 1, x0 + 12, y0 + 12),
                         0.05 + 0.13 * strength * rng.random())

    # Emblem disc and padlock.
    disc = sd_circle(glow_x, glow_y, 47)
    canvas.paint(sd_circle(glow_x, glow_y, 49), GOLD, (10, 8, 120, 118), 0.85)
    canvas.paint(disc, lambda x, y: mix(TEAL, DEEP, clamp((y - 16) / 94)), (10, 8, 120, 118))
    draw_emblem(canvas, glow_x, glow_y + 4, 58)

    # Product name.
    letters = []
    left, top, tall, stroke = 138, 20, 56, 12
    unit = tall / 6.0
    # Z, O and K drawn as bold strokes on the same grid as the small font.
    z = [(0, 0), (4, 0), (0, 6), (4, 6)]
    for (ax, ay), (bx, by) in zip(z, z[1:]):
        letters.append(sd_segment(left + ax * unit, top + ay * unit, left + bx * unit,
                                  top + by * unit, stroke / 2))
    ox = left + 5.6 * unit
    letters.append(sd_subtract(sd_round_box(ox + 2 * unit, top + 3 * unit, 2 * unit + stroke / 2,
                                            3 * unit + stroke / 2, 1.6 * unit),
                               sd_round_box(ox + 2 * unit, top + 3 * unit, 2 * unit - stroke / 2,
                                            3 * unit - stroke / 2, 0.9 * unit)))
    kx = ox + 5.6 * unit
    letters.append(sd_segment(kx, top, kx, top + 6 * unit, stroke / 2))
    letters.append(sd_segment(kx + 4 * unit, top, kx + 0.4 * unit, top + 3.3 * unit, stroke / 2))
    letters.append(sd_segment(kx + 1.6 * unit, top + 2.2 * unit, kx + 4 * unit, top + 6 * unit,
                              stroke / 2))
    zok = sd_union(*letters)
    zok_box = (left - 10, top - 10, kx + 4 * unit + 12, top + tall + 14)
    canvas.paint(lambda x, y: zok(x - 2, y - 3), DEEP, zok_box, 0.5)
    canvas.paint(zok, lambda x, y: mix(WHITE, MIST, clamp((y - top) / tall)), zok_box)

    # Gold rule and the subtitle beside the name.
    rule_x = kx + 4 * unit + 28
    canvas.paint(sd_segment(rule_x, 24, rule_x, 102, 1.2), GOLD, (rule_x - 3, 20, rule_x + 3, 106))
    sub_left = rule_x + 22
    title, _ = text_shape("TORVEL", sub_left, 30, 20, 3.4)
    canvas.paint(title, WHITE, (sub_left - 4, 26, sub_left + 200, 54))
    line, line_right = text_shape("FILE ENCRYPTOR", sub_left, 64, 13, 2.2)
    canvas.paint(line, MIST, (sub_left - 3, 60, line_right + 4, 80))
    version, version_right = text_shape("V1.0", sub_left, 88, 10, 1.8)
    canvas.paint(version, GOLD, (sub_left - 3, 84, version_right + 4, 101))
    return canvas


# --- Icon ------------------------------------------------------------------------------------
def icon():
    size = 48
    tile = sd_round_box(24, 24, 23.5, 23.5, 10)

    def background(x, y):
        t = clamp((x + y) / (2 * size))
        return mix(GREEN, DEEP, t)

    canvas = Canvas(size, size, background)
    draw_emblem(canvas, 24, 26, 29, shadow=False)
    inside = canvas.coverage(tile)
    return canvas, inside


# --- File writers ----------------------------------------------------------------------------
def bmp_bytes(canvas):
    rows = b"".join(canvas.bgr_rows_bottom_up())
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(rows),
                       3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return header + info + rows


def ico_bytes(canvas, inside):
    xor = b"".join(canvas.bgr_rows_bottom_up())
    mask = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        bits = 0
        for x in range(canvas.width):
            bits = (bits << 1) | (0 if inside[y][x] >= 0.5 else 1)  # 1 = transparent
        row = bits.to_bytes(canvas.width // 8, "big")
        mask += row + b"\0" * ((-len(row)) % 4)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, 24, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", canvas.width, canvas.height, 0, 0, 1, 24, len(image),
                        6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(here, "..", "resources")
    check = "--check" in sys.argv[1:]
    outputs = {
        "banner.bmp": bmp_bytes(banner()),
        "zok.ico": ico_bytes(*icon()),
    }
    stale = []
    for name, data in outputs.items():
        path = os.path.join(out_dir, name)
        if check:
            with open(path, "rb") as existing:
                if existing.read() != data:
                    stale.append(name)
        else:
            with open(path, "wb") as out:
                out.write(data)
            print("wrote", os.path.normpath(path), len(data), "bytes")
    if stale:
        print("out of date:", ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
