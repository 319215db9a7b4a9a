#!/usr/bin/env python3
"""Draws the program icon, a brass lantern with a lit glass, and writes it as
res/LNF_INVTOOL.ico: 16, 32 and 48 pixels square, each in 16 colours (4 bits
per pixel) and in 256 colours (8 bits per pixel), the formats that every
Windows from 95 on can show.

Standard library only, and deterministic: running it again gives the same
bytes, so the committed icon can always be regenerated and compared.

    python3 scripts/make-icon.py [output.ico]
"""

import math
import os
import struct
import sys

SIZES = (48, 32, 16)
SUBSAMPLES = 4  # per axis, for smooth edges in the 256-colour images

# The 16 colours of the standard VGA palette, in Windows' order; every
# 16-colour icon is drawn with these so it looks the same on any display.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette_256():
    """VGA first (index 0 stays black for the transparent pixels), then a
    6x6x6 colour cube, then warm ramps for the glow and the brass."""
    colours = list(VGA)
    levels = (0, 51, 102, 153, 204, 255)
    for r in levels:
        for g in levels:
            for b in levels:
                colours.append((r, g, b))
    while len(colours) < 256:
        t = (len(colours) - 232) / 23.0
        if len(colours) % 2:
            colours.append((255, int(150 + 105 * t), int(40 + 180 * t)))  # glow
        else:
            colours.append((int(90 + 120 * t), int(60 + 100 * t), int(20 + 40 * t)))  # brass
    return colours[:256]


# --- Shapes, as signed distances in a unit square (y grows downwards).

def box(cx, cy, hw, hh):
    def d(x, y):
        qx, qy = abs(x - cx) - hw, abs(y - cy) - hh
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0)
    return d


def ellipse(cx, cy, rx, ry):
    def d(x, y):
        k = math.hypot((x - cx) / rx, (y - cy) / ry)
        return (k - 1.0) * min(rx, ry)
    return d


def ring(cx, cy, r_outer, r_inner):
    def d(x, y):
        r = math.hypot(x - cx, y - cy)
        return max(r - r_outer, r_inner - r)
    return d


def polygon(points):
    def d(x, y):
        best = float("inf")
        inside = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(x - ax - ex * t, y - ay - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return d


# Materials: the 16-colour choice, and a function giving the 256-colour shade.
def brass_shade(x, y):
    light = 0.5 + 0.5 * math.cos((x - 0.38) * 5.0)
    return (int(120 + 110 * light), int(80 + 80 * light), int(20 + 40 * light))


def glass_shade(x, y):
    glow = max(0.0, 1.0 - math.hypot(x - 0.5, (y - 0.58) * 0.8) / 0.36)
    return (255, int(170 + 80 * glow), int(40 + 170 * glow * glow))


MATERIALS = {
    "outline": ((0, 0, 0), lambda x, y: (24, 16, 8)),
    "metal": ((128, 128, 0), brass_shade),
    "post": ((128, 0, 0), lambda x, y: (110, 50, 20)),
    "glass": ((255, 255, 0), glass_shade),
    "flame": ((255, 0, 0), lambda x, y: (235, 80, 20)),
    "core": ((255, 255, 255), lambda x, y: (255, 250, 210)),
}

# Back to front. An outlined layer draws a dark rim one pixel wide around
# itself, which keeps the shape readable at 16 pixels.
LAYERS = [
    (ring(0.5, 0.10, 0.085, 0.040), "metal", True),
    (polygon([(0.36, 0.17), (0.64, 0.17), (0.80, 0.30), (0.20, 0.30)]), "metal", True),
    (box(0.5, 0.56, 0.25, 0.25), "glass", True),
    (ellipse(0.5, 0.60, 0.085, 0.15), "flame", False),
    (ellipse(0.5, 0.64, 0.040, 0.08), "core", False),
    (box(0.285, 0.56, 0.035, 0.25), "post", True),
    (box(0.715, 0.56, 0.035, 0.25), "post", True),
    (box(0.5, 0.315, 0.31, 0.035), "metal", True),
    (box(0.5, 0.835, 0.31, 0.035), "metal", True),
    (polygon([(0.27, 0.87), (0.73, 0.87), (0.66, 0.94), (0.34, 0.94)]), "metal", True),
]


def material_at(x, y, rim):
    found = None
    for distance, material, outlined in LAYERS:
        d = distance(x, y)
        if d <= 0.0:
            found = material
        elif outlined and d <= rim:
            found = "outline"
    return found


def nearest(colour, palette):
    r, g, b = colour
    return min(range(len(palette)),
               key=lambda i: (palette[i][0] - r) ** 2 * 3 + (palette[i][1] - g) ** 2 * 4
               + (palette[i][2] - b) ** 2 * 2)


def render(size, bits):
    """Rows of palette indices (top row first) and of mask bits (1 = transparent)."""
    palette = VGA if bits == 4 else palette_256()
    # A full-pixel rim at 16 pixels would leave little but rims.
    rim = (1.0 if size >= 32 else 0.6) / size
    indices, mask = [], []
    for py in range(size):
        row_indices, row_mask = [], []
        for px in range(size):
            counts, rgb = {}, [0.0, 0.0, 0.0]
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    x = (px + (sx + 0.5) / SUBSAMPLES) / size
                    y = (py + (sy + 0.5) / SUBSAMPLES) / size
                    m = material_at(x, y, rim)
                    counts[m] = counts.get(m, 0) + 1
                    if m is not None:
                        shade = MATERIALS[m][1](x, y)
                        for i in range(3):
                            rgb[i] += shade[i]
            covered = SUBSAMPLES * SUBSAMPLES - counts.get(None, 0)
            if covered * 2 < SUBSAMPLES * SUBSAMPLES:
                row_indices.append(0)
                row_mask.append(1)
                continue
            if bits == 4:
                main = max((c, m) for m, c in counts.items() if m is not None)[1]
                row_indices.append(VGA.index(MATERIALS[main][0]))
            else:
                row_indices.append(nearest(tuple(v / covered for v in rgb), palette))
            row_mask.append(0)
        indices.append(row_indices)
        mask.append(row_mask)
    return palette, indices, mask


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def dib(size, bits):
    palette, indices, mask = render(size, bits)
    colours = 1 << bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette[:colours])
    table += b"\0" * (4 * colours - len(table))
    xor, andmask = b"", b""
    for y in reversed(range(size)):  # DIBs are stored bottom row first
        row = indices[y]
        if bits == 4:
            packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        else:
            packed = bytes(row)
        xor += pad4(packed)
        mbits = mask[y]
        andmask += pad4(bytes(
            sum(mbits[i + j] << (7 - j) for j in range(8) if i + j < size)
            for i in range(0, size, 8)))
    return header + table + xor + andmask


def build_icon():
    images = [(size, bits) for bits in (8, 4) for size in SIZES]
    blobs = [dib(size, bits) for size, bits in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), blob in zip(images, blobs):
        colour_count = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, bits,
                           len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "LNF_INVTOOL.ico")
    with open(target, "wb") as f:
        f.write(build_icon())


if __name__ == "__main__":
    main()
