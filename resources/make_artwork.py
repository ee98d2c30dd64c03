#!/usr/bin/env python3
"""Draws the setup's own artwork: the icon (111) and the 88 x 31 logo bitmap (113).

Pure standard library and fully deterministic, so two builds give the same bytes.
Usage: make_artwork.py ICON.ico LOGO.bmp
"""
import struct
import sys

# 5 x 7 glyphs for the logo text.
GLYPHS = {
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "u": ["00000", "00000", "10001", "10001", "10001", "10011", "01101"],
    "m": ["00000", "00000", "11010", "10101", "10101", "10101", "10101"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "g": ["00000", "01111", "10001", "10001", "01111", "00001", "01110"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "v": ["00000", "00000", "10001", "10001", "10001", "01010", "00100"],
    "e": ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
}

GREEN = (46, 125, 50)
LEAF = (129, 199, 132)
TRUNK = (93, 64, 55)
WHITE = (255, 255, 255)


def canvas(w, h, colour):
    return [[colour] * w for _ in range(h)]


def disc(img, cx, cy, r, colour):
    for y in range(len(img)):
        for x in range(len(img[0])):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                img[y][x] = colour


def rect(img, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(len(img), y1)):
        for x in range(max(0, x0), min(len(img[0]), x1)):
            img[y][x] = colour


def tree(img, size):
    """A small grove: three round crowns over a trunk."""
    s = size / 32.0
    rect(img, int(14 * s), int(18 * s), int(18 * s), int(29 * s), TRUNK)
    disc(img, 10 * s, 15 * s, 7 * s, GREEN)
    disc(img, 22 * s, 15 * s, 7 * s, GREEN)
    disc(img, 16 * s, 9 * s, 8 * s, LEAF)


def text(img, x, y, word, colour):
    for ch in word:
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    img[y + row][x + col] = colour
        x += 6


def bmp_rows(img, bpp):
    """Bottom-up rows, padded to 4 bytes."""
    out = bytearray()
    for row in reversed(img):
        line = bytearray()
        for r, g, b, *a in row:
            line += bytes((b, g, r)) + (bytes((a[0] if a else 255,)) if bpp == 32 else b"")
        line += b"\0" * ((4 - len(line) % 4) % 4)
        out += line
    return bytes(out)


def logo_bmp():
    w, h = 88, 31
    img = canvas(w, h, WHITE)
    small = canvas(31, 31, WHITE)
    tree(small, 31)
    for y in range(31):
        img[y][:31] = small[y]
    text(img, 32, 12, "Lumagrove", GREEN)
    pixels = bmp_rows(img, 24)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


def icon_image(size):
    clear = (0, 0, 0, 0)
    img = canvas(size, size, clear)
    tree(img, size)
    img = [[p if len(p) == 4 else p + (255,) for p in row] for row in img]
    pixels = bmp_rows(img, 32)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # alpha decides; the AND mask stays clear
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + pixels + mask


def ico(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    icon_path, logo_path = sys.argv[1], sys.argv[2]
    with open(icon_path, "wb") as f:
        f.write(ico([16, 32, 48]))
    with open(logo_path, "wb") as f:
        f.write(logo_bmp())


if __name__ == "__main__":
    main()
