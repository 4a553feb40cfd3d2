#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
"""Draws the Tarnwick application icon and writes it into resources/.

The picture, a monitor whose screen shows a double-headed horizontal arrow
(the width being changed), is a list of filled shapes on a 48 x 48 canvas.
The same shapes are rasterized for tarnwick.ico (Windows) and tarnwick.png,
and written out as tarnwick.svg, so the three files always show one picture.

    scripts/make-icon.py                  rewrite resources/tarnwick.{ico,png,svg}
    scripts/make-icon.py --check          exit 1 if those files are not what
                                          this script makes (run by CTest)
    scripts/make-icon.py --output-dir D   write into D instead

Standard library only (no PIL), so anyone with Python 3 can remake the icon.
"""

import argparse
import struct
import sys
import zlib
from pathlib import Path

SIZE = 48
# Samples per pixel along each axis; a pixel's coverage is the share of its
# SUPERSAMPLE**2 sample points that a shape covers.
SUPERSAMPLE = 8

FRAME = (0x2E, 0x34, 0x40)
SCREEN = (0x2F, 0x80, 0xD0)
ARROW = (0xFF, 0xFF, 0xFF)


class Rect:
    """An axis-aligned rectangle with optionally rounded corners."""

    def __init__(self, x, y, width, height, radius, colour):
        self.x, self.y, self.width, self.height = x, y, width, height
        self.radius = radius
        self.colour = colour

    def contains(self, px, py):
        if not (self.x <= px < self.x + self.width and self.y <= py < self.y + self.height):
            return False
        # Inside the box; in a corner square, also inside the corner's circle.
        r = self.radius
        cx = min(max(px, self.x + r), self.x + self.width - r)
        cy = min(max(py, self.y + r), self.y + self.height - r)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r

    def svg(self):
        rounding = f' rx="{fmt(self.radius)}"' if self.radius else ""
        return (f'<rect x="{fmt(self.x)}" y="{fmt(self.y)}" width="{fmt(self.width)}"'
                f' height="{fmt(self.height)}"{rounding} fill="{hex_colour(self.colour)}"/>')


class Polygon:
    """A filled polygon, given by its corners in order."""

    def __init__(self, points, colour):
        self.points = points
        self.colour = colour

    def contains(self, px, py):
        # Even-odd rule: count the edges a ray to the right crosses.
        inside = False
        n = len(self.points)
        for i in range(n):
            (x1, y1), (x2, y2) = self.points[i], self.points[(i + 1) % n]
            if (y1 > py) != (y2 > py):
                if px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
                    inside = not inside
        return inside

    def svg(self):
        points = " ".join(f"{fmt(x)},{fmt(y)}" for x, y in self.points)
        return f'<polygon points="{points}" fill="{hex_colour(self.colour)}"/>'


# The picture, painted in this order, later shapes over earlier ones.
SHAPES = [
    Rect(2, 5, 44, 30, 3, FRAME),                                   # monitor
    Rect(5, 8, 38, 24, 1, SCREEN),                                  # its screen
    Polygon([(20, 35), (28, 35), (29.5, 40), (18.5, 40)], FRAME),   # stand
    Rect(12, 40, 24, 3.5, 1.75, FRAME),                             # foot
    Rect(15, 18, 18, 4, 0, ARROW),                                  # arrow shaft
    Polygon([(8, 20), (16, 13), (16, 27)], ARROW),                  # left head
    Polygon([(40, 20), (32, 13), (32, 27)], ARROW),                 # right head
]


def fmt(number):
    return f"{number:g}"


def hex_colour(colour):
    return "#{:02x}{:02x}{:02x}".format(*colour)


def rasterize(shapes):
    """Returns SIZE rows, top row first, of (r, g, b, a) pixels.

    The colour is the mean colour of the covered samples (not premultiplied),
    the alpha the covered share, so an opaque pixel keeps its true colour.
    """
    rows = []
    n = SUPERSAMPLE
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            covered = 0
            sums = [0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    px, py = x + (sx + 0.5) / n, y + (sy + 0.5) / n
                    for shape in reversed(shapes):
                        if shape.contains(px, py):
                            covered += 1
                            for channel in range(3):
                                sums[channel] += shape.colour[channel]
                            break
            if covered:
                rgb = [(s + covered // 2) // covered for s in sums]
            else:
                rgb = [0, 0, 0]
            alpha = (255 * covered + n * n // 2) // (n * n)
            row.append((*rgb, alpha))
        rows.append(row)
    return rows


def make_ico(pixels):
    """One 48 x 48 image, 24 bits per pixel, BI_RGB DIB with a 1-bit AND mask.

    A pixel at least half covered is opaque and keeps its colour; the rest are
    transparent in the mask and black in the colour bitmap.
    """
    colour_rows = []
    mask_rows = []
    for row in reversed(pixels):  # a DIB stores its bottom row first
        colour = bytearray()
        mask_bits = 0
        for r, g, b, a in row:
            opaque = a >= 128
            colour += bytes((b, g, r)) if opaque else b"\0\0\0"
            mask_bits = (mask_bits << 1) | (0 if opaque else 1)
        colour_rows.append(bytes(colour))  # 144 bytes: already a multiple of 4
        mask = mask_bits.to_bytes(SIZE // 8, "big")
        mask_rows.append(mask + b"\0" * (-len(mask) % 4))  # rows padded to 4 bytes
    xor = b"".join(colour_rows)
    and_mask = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII",
                         40,          # biSize: BITMAPINFOHEADER
                         SIZE,        # biWidth
                         SIZE * 2,    # biHeight: colour bitmap and mask together
                         1,           # biPlanes
                         24,          # biBitCount
                         0,           # biCompression: BI_RGB
                         len(xor) + len(and_mask),  # biSizeImage
                         0, 0,        # pixels per metre, unused
                         0, 0)        # colours used / important: none, no palette
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)  # reserved, type 1 = icon, one image
    entry = struct.pack("<BBBBHHII",
                        SIZE, SIZE,   # width, height
                        0, 0,         # colour count (0: no palette), reserved
                        1, 24,        # planes, bits per pixel
                        len(image),   # bytes in the image: 7336
                        6 + 16)       # offset of the image: after directory and entry
    return icondir + entry + image


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data)))


def png_scanlines(pixels):
    # Filter type 0 (none) before each row of RGBA bytes.
    return b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in pixels)


def make_png(pixels):
    ihdr = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", ihdr)
            + png_chunk(b"IDAT", zlib.compress(png_scanlines(pixels), 9))
            + png_chunk(b"IEND", b""))


def make_svg(shapes):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- SPDX-FileCopyrightText: 2026 Tarnwick developers -->",
             "<!-- SPDX-License-Identifier: MIT -->",
             "<!-- Made by scripts/make-icon.py; change the script, not this file. -->",
             # SVG's default is no stroke, but ImageMagick's own renderer
             # outlines every shape in black unless told so.
             f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}"'
             f' viewBox="0 0 {SIZE} {SIZE}" stroke="none">',
             "  <title>Tarnwick</title>"]
    lines += ["  " + shape.svg() for shape in shapes]
    lines.append("</svg>")
    return ("\n".join(lines) + "\n").encode("utf-8")


def png_pixels(data):
    """The header and decompressed image data of a PNG, to compare two PNGs
    by content: another zlib build may compress the same rows differently."""
    chunks = {}
    position = 8
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        chunks.setdefault(kind, b"")
        chunks[kind] += data[position + 8:position + 8 + length]
        position += 12 + length
    return chunks.get(b"IHDR"), zlib.decompress(chunks.get(b"IDAT", b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output-dir", type=Path,
                        default=Path(__file__).resolve().parent.parent / "resources")
    parser.add_argument("--check", action="store_true",
                        help="compare with the files in the output folder, write nothing")
    args = parser.parse_args()

    pixels = rasterize(SHAPES)
    files = {
        "tarnwick.ico": make_ico(pixels),
        "tarnwick.png": make_png(pixels),
        "tarnwick.svg": make_svg(SHAPES),
    }

    if args.check:
        stale = []
        for name, data in files.items():
            path = args.output_dir / name
            on_disk = path.read_bytes() if path.exists() else b""
            same = (png_pixels(on_disk) == png_pixels(data) if name.endswith(".png") and on_disk
                    else on_disk == data)
            if not same:
                stale.append(name)
        if stale:
            print(f"not what scripts/make-icon.py makes: {', '.join(stale)}", file=sys.stderr)
            return 1
        return 0

    args.output_dir.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (args.output_dir / name).write_bytes(data)
        print(f"wrote {args.output_dir / name} ({len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
