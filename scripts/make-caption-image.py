#!/usr/bin/env python3
"""Draws the library's caption image: a 203 x 18 icon with 256 colours, a
blue gradient bar with the maker's name in a small pixel font.

    scripts/make-caption-image.py [OUTPUT]   (default varnet/CaptionImage.ico)

The output is committed, so the build never needs to run this script."""
import os
import struct
import sys

WIDTH, HEIGHT = 203, 18
TEXT = "TARVO KINETICS"

# 5 x 7 glyphs, one string per row, '#' = ink.
FONT = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "C": [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    " ": ["     "] * 7,
}

BLACK, SHADOW, INK, MARK = 0, 253, 254, 255
GRADIENT = range(1, 201)   # palette slots of the background gradient


def palette():
    pal = [(0, 0, 0)] * 256
    n = len(GRADIENT)
    for i, slot in enumerate(GRADIENT):
        t = i / (n - 1)
        pal[slot] = (int(0x14 + t * (0x1C - 0x14)), int(0x2A + t * (0x8C - 0x2A)),
                     int(0x6E + t * (0xC8 - 0x6E)))
    pal[SHADOW] = (0x08, 0x14, 0x38)
    pal[INK] = (0xFF, 0xFF, 0xFF)
    pal[MARK] = (0xFF, 0xC0, 0x30)
    return pal


def draw():
    """Rows top-down of palette indices, and the transparency mask."""
    pixels = [[GRADIENT[x * (len(GRADIENT) - 1) // (WIDTH - 1)] for x in range(WIDTH)]
              for _ in range(HEIGHT)]
    clear = [[False] * WIDTH for _ in range(HEIGHT)]

    # Rounded ends: the corner pixels show what lies below.
    for (x, y) in [(0, 0), (1, 0), (0, 1), (WIDTH - 1, 0), (WIDTH - 2, 0), (WIDTH - 1, 1)]:
        for yy in (y, HEIGHT - 1 - y):
            clear[yy][x] = True
            pixels[yy][x] = BLACK

    # The mark: a diamond at the left end.
    cx, cy = 10, HEIGHT // 2
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if abs(x - cx) + abs(y - cy) <= 6:
                pixels[y][x] = MARK

    # The name, glyphs doubled to 10 x 14, with a one-pixel shadow.
    scale, left, top = 2, 24, 2
    for d, colour in ((1, SHADOW), (0, INK)):
        x0 = left + d
        for ch in TEXT:
            for gy, row in enumerate(FONT[ch]):
                for gx, cell in enumerate(row):
                    if cell != "#":
                        continue
                    for sy in range(scale):
                        for sx in range(scale):
                            x, y = x0 + gx * scale + sx, top + d + gy * scale + sy
                            if 0 <= x < WIDTH and 0 <= y < HEIGHT:
                                pixels[y][x] = colour
            x0 += 6 * scale
    return pixels, clear


def ico_bytes():
    pixels, clear = draw()
    xor_stride = (WIDTH + 3) & ~3
    and_stride = ((WIDTH + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(HEIGHT)):          # DIBs are stored bottom-up
        xor += bytes(pixels[y]) + bytes(xor_stride - WIDTH)
        row = bytearray(and_stride)
        for x in range(WIDTH):
            if clear[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette())
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT * 2, 1, 8, 0,
                         len(xor) + len(mask), 0, 0, 256, 0)
    image = header + pal + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", WIDTH, HEIGHT, 0, 0, 1, 8, len(image), 6 + 16)
    return icondir + entry + image


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "varnet", "CaptionImage.ico")
    with open(out, "wb") as f:
        f.write(ico_bytes())


if __name__ == "__main__":
    main()
