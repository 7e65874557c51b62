#!/usr/bin/env python3
"""Draws the program's icon: a strip of film with a lens in its frame, 32 x 32 pixels in the
16 colours of the standard VGA palette (4 bits per pixel), and writes it as a .ico file.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32
# The 16-colour palette (blue, green, red, reserved), in the order of the standard palette.
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0),
    (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255), (255, 0, 0),
    (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, DARK_GREY, GREY, WHITE, CYAN, BLUE, YELLOW = 0, 8, 7, 15, 11, 1, 14


def draw():
    """Rows top to bottom of palette indexes, and the transparency mask (1 = transparent)."""
    pixels = [[BLACK] * SIZE for _ in range(SIZE)]
    transparent = [[False] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if x < 3 or x > 28:
                transparent[y][x] = True          # the strip is narrower than the icon
            elif x in (5, 26) or x < 5 or x > 26:
                # the perforated edges: sprocket holes every four rows
                pixels[y][x] = WHITE if (x in (3, 4, 27, 28) and y % 4 in (1, 2)) else DARK_GREY
            elif y in (0, 31):
                pixels[y][x] = DARK_GREY
    # the lens: a ring with a glint, in the frame between the edges
    cx, cy = 15.5, 15.5
    for y in range(SIZE):
        for x in range(6, 26):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 <= 9.5 ** 2:
                pixels[y][x] = GREY if d2 > 7.5 ** 2 else (BLUE if d2 > 4 ** 2 else CYAN)
            if 11 <= x <= 12 and 10 <= y <= 11:
                pixels[y][x] = WHITE
    pixels[23][22] = pixels[24][22] = YELLOW   # a small light on the frame
    return pixels, transparent


def icon_bytes(pixels, transparent):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    colour_rows = b""
    mask_rows = b""
    for y in reversed(range(SIZE)):      # bitmaps are stored bottom-up
        row = pixels[y]
        colour_rows += bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if transparent[y][x] else 0)
        mask_rows += struct.pack(">I", bits)   # 32 pixels: one 4-byte row, already aligned
    image = header + palette + colour_rows + mask_rows
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes(*draw()))


if __name__ == "__main__":
    main()
