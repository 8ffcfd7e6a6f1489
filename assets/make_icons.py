#!/usr/bin/env python3
"""Draws Wendrel's two tray icons and writes them as .ico files.

wendrel.ico: a grey fighter flying diagonally across a blue sky in a thin black
frame; high.ico: the same picture with the aircraft bright yellow (the alarm).
Each file holds 16x16, 32x32 and 48x48 images with 256-colour palettes.
Only the standard library is used; run it from anywhere:
    python3 assets/make_icons.py
"""
import math
import os
import struct

SIZES = (16, 32, 48)
HERE = os.path.dirname(os.path.abspath(__file__))

# The aircraft seen from above, nose up (+y), in units of the icon's half-width.
def mirrored(points):
    """A polygon symmetric about the y axis, from its right half (top to bottom)."""
    return points + [(-x, y) for (x, y) in reversed(points)]

FUSELAGE = mirrored([(0.0, 0.95), (0.07, 0.80), (0.115, 0.55), (0.125, 0.10),
                     (0.11, -0.55), (0.08, -0.80), (0.0, -0.84)])
WINGS = mirrored([(0.0, 0.34), (0.74, -0.10), (0.76, -0.28), (0.0, -0.18)])
TAIL = mirrored([(0.0, -0.50), (0.34, -0.74), (0.35, -0.86), (0.0, -0.78)])
CANOPY = [(0.055 * math.cos(a), 0.52 + 0.17 * math.sin(a))
          for a in [i * math.pi / 12 for i in range(24)]]

BODY = {"grey": ((158, 160, 166), (70, 72, 78)),
        "yellow": ((255, 222, 0), (150, 110, 0))}
CANOPY_COLOUR = (40, 52, 72)


def rotate(points, degrees, scale):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return [((x * c - y * s) * scale, (x * s + y * c) * scale) for (x, y) in points]


def inside(poly, x, y):
    hit = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def edge_distance(poly, x, y):
    best = float("inf")
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy or 1)))
        best = min(best, math.hypot(x - x1 - t * dx, y - y1 - t * dy))
    return best


def sky(v):
    """Sky colour at height v (0 top, 1 bottom): deep blue fading lighter."""
    top, bottom = (24, 72, 168), (120, 178, 238)
    return tuple(round(a + (b - a) * v) for a, b in zip(top, bottom))


def render(size, body):
    fill, outline = BODY[body]
    # Nose toward the top right: rotate the upright aircraft by -45 degrees.
    shapes = [rotate(p, -45, 0.9) for p in (WINGS, TAIL, FUSELAGE)]
    canopy = rotate(CANOPY, -45, 0.9)
    line = 1.5 / size if size >= 32 else 0.0  # a thin outline; none at 16x16
    sub = 4 if size >= 32 else 6
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            if px in (0, size - 1) or py in (0, size - 1):
                row.append((0, 0, 0))  # thin black frame
                continue
            acc = [0, 0, 0]
            for sy in range(sub):
                for sx in range(sub):
                    u = (px + (sx + 0.5) / sub) / size
                    v = (py + (sy + 0.5) / sub) / size
                    x, y = u * 2 - 1, 1 - v * 2
                    colour = sky(v)
                    for poly in shapes:
                        if inside(poly, x, y):
                            colour = outline if edge_distance(poly, x, y) < line else fill
                    if inside(canopy, x, y):
                        colour = CANOPY_COLOUR
                    for i in range(3):
                        acc[i] += colour[i]
            row.append(tuple(round(c / (sub * sub)) for c in acc))
        pixels.append(row)
    return pixels


def palette_for(images):
    """Up to 256 colours: exact when few enough, else a median cut."""
    colours = sorted({c for img in images for row in img for c in row})
    if len(colours) <= 256:
        return colours
    boxes = [colours]
    while len(boxes) < 256:
        boxes.sort(key=lambda b: max(max(c[i] for c in b) - min(c[i] for c in b) for i in range(3)), reverse=True)
        box = boxes.pop(0)
        if len(box) < 2:
            boxes.append(box)
            break
        axis = max(range(3), key=lambda i: max(c[i] for c in box) - min(c[i] for c in box))
        box.sort(key=lambda c: c[axis])
        mid = len(box) // 2
        boxes += [box[:mid], box[mid:]]
    return sorted(tuple(round(sum(c[i] for c in b) / len(b)) for i in range(3)) for b in boxes)


def nearest(palette, colour, cache):
    if colour not in cache:
        cache[colour] = min(range(len(palette)),
                            key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))
    return cache[colour]


def dib(pixels, palette):
    size = len(pixels)
    cache = {}
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in palette)
    pal += b"\0" * (4 * (256 - len(palette)))
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    xor = b"".join(bytes(nearest(palette, c, cache) for c in row) + b"\0" * (xor_stride - size)
                   for row in reversed(pixels))
    mask = b"\0" * (and_stride * size)  # every pixel opaque
    return header + pal + xor + mask


def write_ico(path, body):
    images = [render(size, body) for size in SIZES]
    blobs = [dib(img, palette_for([img])) for img in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in zip(SIZES, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    write_ico(os.path.join(HERE, "wendrel.ico"), "grey")
    write_ico(os.path.join(HERE, "high.ico"), "yellow")
