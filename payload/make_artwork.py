#!/usr/bin/env python3
"""Draws the payload's artwork: the viewer's ten icons and the four toolbar skins.

Pure standard library and deterministic (no time stamps, no text chunks), so two builds
give the same bytes. Shapes are given in unit coordinates and sampled 4 x 4 per pixel.
Usage:
  make_artwork.py icons OUTDIR              icon_0.ico .. icon_9.ico (16, 32, 48 pixels)
  make_artwork.py toolbar NAME SIZE OUT.png a strip of square buttons of SIZE pixels
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SAMPLES = 4


# --- Shapes: (bounding box in unit coordinates, inside test) ----------------------------

def rect(x0, y0, x1, y1):
    return (x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return (x0, y0, x1, y1), inside


def disc(cx, cy, r):
    return (cx - r, cy - r, cx + r, cy + r), lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1, a0=0.0, a1=360.0):
    """An annulus, optionally only between the angles a0..a1 (degrees, clockwise from east)."""
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        if not r0 * r0 <= d <= r1 * r1:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (a - a0) % 360 <= (a1 - a0) % 360 or a1 - a0 >= 360
    return (cx - r1, cy - r1, cx + r1, cy + r1), inside


def polygon(*points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]

    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return (min(xs), min(ys), max(xs), max(ys)), inside


def line(ax, ay, bx, by, w):
    """A stroke of width w with round ends."""
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (w / 2) ** 2
    r = w / 2
    return (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r), inside


def clipped(shape, box):
    """The part of shape inside the shape box."""
    (ax0, ay0, ax1, ay1), a = shape
    (bx0, by0, bx1, by1), b = box
    return ((max(ax0, bx0), max(ay0, by0), min(ax1, bx1), min(ay1, by1)),
            lambda x, y: a(x, y) and b(x, y))


# --- Canvas -----------------------------------------------------------------------------

class Canvas:
    """RGBA pixels as floats; shapes are composited over what is there."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def fill(self, shape, colour, ox=0, size=None):
        """Draws shape scaled to a square of size pixels whose left edge is at ox."""
        size = size or self.h
        (x0, y0, x1, y1), inside = shape
        r, g, b = (c / 255.0 for c in colour[:3])
        alpha = colour[3] / 255.0 if len(colour) > 3 else 1.0
        px0, px1 = max(0, int(x0 * size)), min(size, int(math.ceil(x1 * size)))
        py0, py1 = max(0, int(y0 * size)), min(self.h, int(math.ceil(y1 * size)))
        step = 1.0 / (SAMPLES * size)
        for py in range(py0, py1):
            row = self.px[py]
            for px in range(px0, px1):
                hits = 0
                for sy in range(SAMPLES):
                    y = (py * SAMPLES + sy + 0.5) * step
                    for sx in range(SAMPLES):
                        if inside((px * SAMPLES + sx + 0.5) * step, y):
                            hits += 1
                if hits:
                    a = alpha * hits / (SAMPLES * SAMPLES)
                    dr, dg, db, da = row[ox + px]
                    out = a + da * (1 - a)
                    row[ox + px] = tuple((c * a + d * da * (1 - a)) / out
                                         for c, d in ((r, dr), (g, dg), (b, db))) + (out,)

    def rgba_rows(self):
        return [bytes(round(c * 255) for p in row for c in p) for row in self.px]


# --- The viewer's icons -----------------------------------------------------------------

SKY = (74, 144, 217)
GRASS = (67, 160, 71)
DARK_GREEN = (46, 125, 50)
LEAF = (129, 199, 132)
TRUNK = (93, 64, 55)
SUN = (255, 202, 40)
PAPER = (250, 250, 250)
EDGE = (120, 120, 120)
INK = (55, 71, 79)
RED = (229, 57, 53)


def page(fold_colour=(210, 210, 210)):
    return [(polygon((0.2, 0.06), (0.64, 0.06), (0.82, 0.24), (0.82, 0.94), (0.2, 0.94)), EDGE),
            (polygon((0.25, 0.11), (0.61, 0.11), (0.77, 0.27), (0.77, 0.89), (0.25, 0.89)),
             PAPER),
            (polygon((0.61, 0.11), (0.77, 0.27), (0.61, 0.27)), fold_colour)]


def small_picture(y0=0.42):
    frame = rect(0.31, y0, 0.71, y0 + 0.34)
    return [(frame, SKY),
            (clipped(disc(0.4, y0 + 0.34, 0.16), frame), GRASS),
            (disc(0.62, y0 + 0.09, 0.05), SUN)]


def icon_viewer():
    frame = rect(0.1, 0.16, 0.9, 0.84)
    return [(rounded(0.04, 0.1, 0.96, 0.9, 0.1), INK),
            (frame, SKY),
            (clipped(disc(0.3, 1.1, 0.5), frame), GRASS),
            (disc(0.78, 0.3, 0.08), SUN),
            (rect(0.62, 0.5, 0.68, 0.78), TRUNK),
            (disc(0.65, 0.46, 0.14), DARK_GREEN),
            (disc(0.65, 0.38, 0.1), LEAF)]


def icon_band(colour):
    return page() + [(rect(0.25, 0.2, 0.58, 0.34), colour)] + small_picture()


def icon_animation():
    frames = [(rect(0.3 + 0.15 * i, 0.44, 0.41 + 0.15 * i, 0.6), SKY) for i in range(3)]
    return page() + [(rect(0.28, 0.4, 0.74, 0.64), INK)] + frames + \
        [(rect(0.25, 0.7, 0.77, 0.76), (255, 143, 0))]


def icon_camera():
    return [(rounded(0.06, 0.28, 0.94, 0.84, 0.08), INK),
            (rect(0.32, 0.18, 0.6, 0.3), INK),
            (disc(0.5, 0.56, 0.22), (176, 190, 197)),
            (disc(0.5, 0.56, 0.15), SKY),
            (disc(0.8, 0.38, 0.05), RED)]


def icon_slideshow():
    return [(rect(0.06, 0.14, 0.94, 0.74), INK),
            (rect(0.11, 0.19, 0.89, 0.69), SKY),
            (polygon((0.42, 0.3), (0.64, 0.44), (0.42, 0.58)), PAPER),
            (line(0.5, 0.74, 0.5, 0.88, 0.06), INK),
            (line(0.3, 0.9, 0.7, 0.9, 0.06), INK)]


def icon_thumbnails():
    cells = []
    for row in range(3):
        for col in range(3):
            x, y = 0.08 + col * 0.3, 0.08 + row * 0.3
            cells.append((rect(x, y, x + 0.24, y + 0.24), EDGE))
            cells.append((rect(x + 0.03, y + 0.03, x + 0.21, y + 0.21),
                          SKY if (row + col) % 2 == 0 else GRASS))
    return cells


def icon_audio():
    return [(disc(0.5, 0.5, 0.46), (255, 167, 38)),
            (disc(0.36, 0.7, 0.11), INK),
            (disc(0.66, 0.62, 0.11), INK),
            (rect(0.42, 0.24, 0.47, 0.7), INK),
            (rect(0.72, 0.18, 0.77, 0.62), INK),
            (polygon((0.42, 0.24), (0.77, 0.14), (0.77, 0.26), (0.42, 0.36)), INK)]


def icon_video():
    holes = []
    for i in range(5):
        y = 0.14 + i * 0.16
        holes.append((rect(0.12, y, 0.2, y + 0.08), PAPER))
        holes.append((rect(0.8, y, 0.88, y + 0.08), PAPER))
    return [(rect(0.06, 0.06, 0.94, 0.94), INK)] + holes + \
        [(rect(0.26, 0.12, 0.74, 0.88), (38, 50, 56)),
         (polygon((0.4, 0.32), (0.66, 0.5), (0.4, 0.68)), RED)]


# Index order is what the links and DefaultIcons refer to: 0 viewer, 7 thumbnails,
# 8 audio, 9 video.
ICONS = [icon_viewer,
         lambda: page() + small_picture(0.3) + [(rect(0.31, 0.72, 0.71, 0.78), EDGE)],
         lambda: icon_band((239, 108, 0)),
         lambda: icon_band((30, 136, 229)),
         icon_animation,
         icon_camera,
         icon_slideshow,
         icon_thumbnails,
         icon_audio,
         icon_video]
ICON_SIZES = (16, 32, 48)


def icon_image(shapes, size):
    c = Canvas(size, size)
    for shape, colour in shapes:
        c.fill(shape, colour)
    rows = c.rgba_rows()
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up, BGRA
        for i in range(0, len(row), 4):
            r, g, b, a = row[i:i + 4]
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):  # AND mask for consumers that ignore alpha
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[4 * x + 3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def ico(shapes):
    images = [icon_image(shapes, s) for s in ICON_SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(ICON_SIZES, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# --- Toolbar skins ----------------------------------------------------------------------

def b_open(m, a):
    return [(polygon((0.08, 0.22), (0.38, 0.22), (0.46, 0.32), (0.92, 0.32), (0.92, 0.84),
                     (0.08, 0.84)), m),
            (polygon((0.16, 0.46), (0.98, 0.46), (0.86, 0.84), (0.06, 0.84)), a)]


def b_save(m, a):
    return [(rounded(0.1, 0.1, 0.9, 0.9, 0.06), m),
            (rect(0.26, 0.1, 0.74, 0.38), (245, 245, 245)),
            (rect(0.58, 0.15, 0.68, 0.33), m),
            (rect(0.24, 0.56, 0.76, 0.9), a)]


def b_prev(m, a):
    return [(polygon((0.7, 0.12), (0.7, 0.88), (0.18, 0.5)), m)]


def b_next(m, a):
    return [(polygon((0.3, 0.12), (0.3, 0.88), (0.82, 0.5)), m)]


def lens(m):
    return [(ring(0.42, 0.42, 0.22, 0.33), m), (line(0.64, 0.64, 0.88, 0.88, 0.14), m)]


def b_zoom_in(m, a):
    return lens(m) + [(rect(0.28, 0.38, 0.56, 0.46), a), (rect(0.38, 0.28, 0.46, 0.56), a)]


def b_zoom_out(m, a):
    return lens(m) + [(rect(0.28, 0.38, 0.56, 0.46), a)]


def b_rotate_left(m, a):
    # The arc leaves the upper left quarter open; the head at the top points left.
    return [(ring(0.5, 0.56, 0.2, 0.34, 270, 180), m),
            (polygon((0.5, 0.06), (0.5, 0.38), (0.22, 0.22)), a)]


def b_rotate_right(m, a):
    return [(ring(0.5, 0.56, 0.2, 0.34, 0, 270), m),
            (polygon((0.5, 0.06), (0.5, 0.38), (0.78, 0.22)), a)]


def b_fit(m, a):
    w = 0.1
    corners = []
    for x, y, dx, dy in ((0.1, 0.1, 1, 1), (0.9, 0.1, -1, 1), (0.1, 0.9, 1, -1),
                         (0.9, 0.9, -1, -1)):
        corners.append((line(x, y, x + 0.25 * dx, y, w), m))
        corners.append((line(x, y, x, y + 0.25 * dy, w), m))
    return corners + [(rect(0.36, 0.36, 0.64, 0.64), a)]


def b_slideshow(m, a):
    return [(rounded(0.06, 0.16, 0.94, 0.84, 0.08), m),
            (polygon((0.4, 0.3), (0.7, 0.5), (0.4, 0.7)), a)]


def b_info(m, a):
    return [(disc(0.5, 0.5, 0.42), m),
            (disc(0.5, 0.3, 0.07), (255, 255, 255)),
            (rect(0.44, 0.42, 0.56, 0.76), (255, 255, 255))]


def b_print(m, a):
    return [(rect(0.26, 0.08, 0.74, 0.4), (245, 245, 245)),
            (rounded(0.06, 0.34, 0.94, 0.74, 0.06), m),
            (rect(0.26, 0.6, 0.74, 0.92), (245, 245, 245)),
            (rect(0.32, 0.7, 0.68, 0.75), a),
            (disc(0.82, 0.46, 0.04), a)]


def b_delete(m, a):
    return [(line(0.18, 0.18, 0.82, 0.82, 0.16), a), (line(0.82, 0.18, 0.18, 0.82, 0.16), a)]


def b_thumbnails(m, a):
    cells = []
    for row in range(2):
        for col in range(2):
            x, y = 0.1 + col * 0.44, 0.1 + row * 0.44
            cells.append((rect(x, y, x + 0.36, y + 0.36), m if (row + col) % 2 == 0 else a))
    return cells


BUTTONS = [b_open, b_save, b_prev, b_next, b_zoom_in, b_zoom_out, b_rotate_left,
           b_rotate_right, b_fit, b_slideshow, b_info, b_print, b_delete, b_thumbnails]

# Main and accent colour of each skin, by the stem of its file name.
SKINS = {
    "Orlund_16": ((33, 101, 172), (242, 176, 30)),
    "Hallvik_24": ((46, 125, 50), (216, 67, 21)),
    "gnome-colors-wise_32": ((121, 104, 71), (74, 124, 177)),
    "gnome-colors-human_48": ((224, 123, 36), (85, 87, 83)),
}


def png(width, height, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def toolbar(stem, size):
    main_colour, accent = SKINS[stem]
    c = Canvas(size * len(BUTTONS), size)
    for i, button in enumerate(BUTTONS):
        for shape, colour in button(main_colour, accent):
            c.fill(shape, colour, ox=i * size, size=size)
    return png(c.w, c.h, c.rgba_rows())


def main(argv):
    if len(argv) == 3 and argv[1] == "icons":
        out = Path(argv[2])
        out.mkdir(parents=True, exist_ok=True)
        for i, shapes in enumerate(ICONS):
            (out / f"icon_{i}.ico").write_bytes(ico(shapes()))
        return 0
    if len(argv) == 5 and argv[1] == "toolbar":
        stem = Path(argv[2]).stem
        size = int(argv[3])
        if not stem.endswith(f"_{size}"):
            sys.stderr.write(f"make_artwork: {argv[2]} is not a {size}-pixel skin\n")
            return 1
        Path(argv[4]).write_bytes(toolbar(stem, size))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
