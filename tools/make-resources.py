#!/usr/bin/env python3
"""Draws Vistrel's cursors and icon and writes them as .cur/.ico files.

Usage: make-resources.py [OUTDIR] [--preview DIR]

OUTDIR defaults to the res/ directory next to this script's parent. With
--preview, every picture is also written as a PPM (magnified 8x, transparent
pixels as a grey checkerboard) for eyeballing. Standard library only, and the
output is the same byte for byte on every run.
"""

import math
import os
import struct
import sys

SUB = 8  # supersampling grid per pixel edge


# ---------------------------------------------------------------- geometry

def in_disc(cx, cy, r):
    r2 = r * r
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2


def in_ring(cx, cy, r_in, r_out):
    a, b = r_in * r_in, r_out * r_out
    return lambda x, y: a <= (x - cx) ** 2 + (y - cy) ** 2 <= b


def seg_dist2(x, y, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    px, py = x0 + t * dx - x, y0 + t * dy - y
    return px * px + py * py


def in_capsule(x0, y0, x1, y1, half_width):
    """Thick line with round ends."""
    h2 = half_width * half_width
    return lambda x, y: seg_dist2(x, y, x0, y0, x1, y1) <= h2


def in_round_rect(x0, y0, x1, y1, r):
    def f(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return f


def in_polygon(pts):
    """Even-odd test; points on an edge count as inside."""
    def f(x, y):
        inside = False
        n = len(pts)
        for i in range(n):
            ax, ay = pts[i]
            bx, by = pts[(i + 1) % n]
            cross = (bx - ax) * (y - ay) - (by - ay) * (x - ax)
            if abs(cross) < 1e-9 and min(ax, bx) - 1e-9 <= x <= max(ax, bx) + 1e-9 \
                    and min(ay, by) - 1e-9 <= y <= max(ay, by) + 1e-9:
                return True
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * (bx - ax) / (by - ay):
                    inside = not inside
        return inside
    return f


def coverage(size, shape):
    """Fraction of each pixel (x, y) covered by shape, pixel (x, y) = [x, x+1) x [y, y+1)."""
    offs = [(i + 0.5) / SUB for i in range(SUB)]
    out = [[0.0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            hits = 0
            for oy in offs:
                for ox in offs:
                    if shape(x + ox, y + oy):
                        hits += 1
            out[y][x] = hits / (SUB * SUB)
    return out


# ---------------------------------------------------------------- pictures

# Monochrome pixel values for cursors.
T, B, W = 0, 1, 2  # transparent, black, white


def magnifier_cursor():
    """Lens centred on the hot spot pixel (9, 8), handle to the lower right."""
    size = 32
    cx, cy = 9.5, 8.5
    img = [[T] * size for _ in range(size)]

    def paint(shape, value, threshold=0.5):
        cov = coverage(size, shape)
        for y in range(size):
            for x in range(size):
                if cov[y][x] >= threshold:
                    img[y][x] = value

    d = 1 / math.sqrt(2)
    # Handle first so the lens rim stays whole where they meet.
    paint(in_capsule(cx + 7.0 * d, cy + 7.0 * d, cx + 15.5 * d, cy + 15.5 * d, 2.0), B)
    paint(in_disc(cx, cy, 8.5), B)
    paint(in_disc(cx, cy, 7.4), W)
    paint(in_disc(cx, cy, 5.6), B)
    paint(in_disc(cx, cy, 4.5), T)
    return img, (9, 8)


# The classic pointer, tip at pixel (0, 0); corners in pixel-edge coordinates,
# kept off the pixel centres so every pixel is clearly in or out.
ARROW = [(0, 0), (0.9, 0), (12.9, 12), (8, 12), (11.5, 19), (7.7, 19),
         (4.7, 13), (4.5, 13), (0, 17.5)]


def arrow_cursor():
    size = 32
    inside = in_polygon(ARROW)
    solid = [[inside(x + 0.5, y + 0.5) for x in range(size)] for y in range(size)]

    def filled(x, y):
        return 0 <= x < size and 0 <= y < size and solid[y][x]

    img = [[T] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if solid[y][x]:
                edge = not (filled(x - 1, y) and filled(x + 1, y)
                            and filled(x, y - 1) and filled(x, y + 1))
                img[y][x] = B if edge else W
    return img, (0, 0)


ORANGE = (247, 148, 29)
ORANGE_EDGE = (196, 98, 12)
GLASS = (255, 236, 204)
DARK = (38, 34, 40)
SHINE = (255, 255, 255)


def icon_picture(size):
    """Orange square, dark magnifying glass with the handle to the lower left.

    Returns (rows of (r, g, b), rows of opaque flags).
    """
    s = float(size)
    # Thin parts get a floor in pixels so the 16x16 image stays legible.
    rim = max(0.085 * s, 1.6)
    corner = max(0.14 * s, 2.0)
    edge = max(0.03 * s, 1.0)
    # Lens centre on a pixel corner: a ring of even diameter, crisp at 16x16.
    lx, ly = round(0.60 * s), round(0.40 * s)
    r_out = 0.275 * s
    r_in = r_out - rim
    hw = max(0.085 * s, 1.5)          # handle half width
    d = 1 / math.sqrt(2)
    hx0, hy0 = lx - (r_out - 0.5) * d, ly + (r_out - 0.5) * d
    hx1, hy1 = 0.20 * s, 0.80 * s

    square = coverage(size, in_round_rect(0, 0, s, s, corner))
    inner_sq = coverage(size, in_round_rect(edge, edge, s - edge, s - edge,
                                            max(corner - edge, 0.5)))
    glass = coverage(size, in_disc(lx, ly, r_in + 0.2))
    shine = coverage(size, lambda x, y: (
        in_ring(lx, ly, r_in * 0.55, r_in * 0.72)(x, y)
        and (x - lx) < -0.35 * (y - ly) and (y - ly) < 0.15 * r_in
        and (x - lx) < 0.15 * r_in)) if size >= 32 else None
    dark = coverage(size, lambda x, y: (
        in_ring(lx, ly, r_in, r_out)(x, y)
        or in_capsule(hx0, hy0, hx1, hy1, hw)(x, y)))

    def mix(a, b, t):
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))

    rgb, opaque = [], []
    for y in range(size):
        row, mrow = [], []
        for x in range(size):
            on = square[y][x] >= 0.5
            c = mix(ORANGE_EDGE, ORANGE, inner_sq[y][x])
            c = mix(c, GLASS, glass[y][x])
            if shine is not None:
                c = mix(c, SHINE, shine[y][x])
            c = mix(c, DARK, dark[y][x])
            row.append(tuple(int(v + 0.5) for v in c) if on else (0, 0, 0))
            mrow.append(on)
        rgb.append(row)
        opaque.append(mrow)
    return rgb, opaque


# ---------------------------------------------------------------- file formats

def bitmap_info(width, height, bits, image_bytes):
    # Icon and cursor DIBs state twice the height: colour rows then mask rows.
    return struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0,
                       image_bytes, 0, 0, 0, 0)


def pack_1bit(rows):
    """Rows of 0/1, top-down in, bottom-up DWORD-padded bytes out."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray((len(row) + 31) // 32 * 4)
        for x, bit in enumerate(row):
            if bit:
                line[x >> 3] |= 0x80 >> (x & 7)
        out += line
    return bytes(out)


def cursor_file(img, hotspot):
    size = len(img)
    # XOR 1 = white; AND 1 = show the screen through.
    xor = pack_1bit([[1 if v == W else 0 for v in row] for row in img])
    andm = pack_1bit([[1 if v == T else 0 for v in row] for row in img])
    palette = struct.pack('<8B', 0, 0, 0, 0, 255, 255, 255, 0)
    dib = bitmap_info(size, size, 1, len(xor) + len(andm)) + palette + xor + andm
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hotspot[0], hotspot[1],
                        len(dib), 6 + 16)
    return header + entry + dib


def icon_file(pictures):
    # 8 bits a pixel with a palette of just the colours used: the same
    # pixels as 24 bits, in 40 % of the room (the exe counts every byte).
    dibs = []
    for size, (rgb, opaque) in pictures:
        colours = sorted({c for row in rgb for c in row})
        assert len(colours) <= 256, 'an icon image has more than 256 colours'
        index = {c: i for i, c in enumerate(colours)}
        palette = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
        xor = bytearray()
        stride = (size + 3) // 4 * 4
        for row in reversed(rgb):
            line = bytearray(stride)
            for x, c in enumerate(row):
                line[x] = index[c]
            xor += line
        andm = pack_1bit([[0 if o else 1 for o in row] for row in opaque])
        info = bytearray(bitmap_info(size, size, 8, len(xor) + len(andm)))
        struct.pack_into('<I', info, 32, len(colours))  # biClrUsed
        dibs.append((size, bytes(info) + palette + xor + andm))
    header = struct.pack('<HHH', 0, 1, len(dibs))
    offset = 6 + 16 * len(dibs)
    entries = b''
    for size, dib in dibs:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 8,
                               len(dib), offset)
        offset += len(dib)
    return header + entries + b''.join(d for _, d in dibs)


# ---------------------------------------------------------------- previews

def write_ppm(path, rgb, opaque, scale=8):
    size = len(rgb)
    out = bytearray(b'P6 %d %d 255\n' % (size * scale, size * scale))
    for y in range(size * scale):
        for x in range(size * scale):
            px, py = x // scale, y // scale
            if opaque[py][px]:
                out += bytes(rgb[py][px])
            else:
                out += b'\xa0\xa0\xa0' if (px + py) % 2 else b'\x70\x70\x70'
    with open(path, 'wb') as f:
        f.write(out)


def cursor_preview(img):
    colours = {B: (0, 0, 0), W: (255, 255, 255), T: (0, 0, 0)}
    rgb = [[colours[v] for v in row] for row in img]
    opaque = [[v != T for v in row] for row in img]
    return rgb, opaque


# ---------------------------------------------------------------- main

def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = os.path.join(here, '..', 'res')
    preview = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == '--preview':
            preview = args.pop(0)
        else:
            outdir = a

    mag, mag_hot = magnifier_cursor()
    arrow, arrow_hot = arrow_cursor()
    icons = [(s, icon_picture(s)) for s in (16, 32, 48)]

    files = {
        'magnifier.cur': cursor_file(mag, mag_hot),
        'arrow.cur': cursor_file(arrow, arrow_hot),
        'vistrel.ico': icon_file(icons),
    }
    os.makedirs(outdir, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(outdir, name), 'wb') as f:
            f.write(data)
        print('%s: %d bytes' % (name, len(data)))

    if preview:
        os.makedirs(preview, exist_ok=True)
        write_ppm(os.path.join(preview, 'magnifier.ppm'), *cursor_preview(mag))
        write_ppm(os.path.join(preview, 'arrow.ppm'), *cursor_preview(arrow))
        for s, (rgb, opaque) in icons:
            write_ppm(os.path.join(preview, 'icon%d.ppm' % s), rgb, opaque)


if __name__ == '__main__':
    main(sys.argv[1:])
