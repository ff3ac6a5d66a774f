#!/usr/bin/env python3
"""Draws quelvaro's icon and writes it as a Windows .ico file.

The picture is the program in miniature: a rippled sheet seen from above at a
tilt, inside the corners of a blue wire box, with the small yellow light that
the right mouse button drags. It is one 32 by 32 image in the 16 colours of
the standard VGA palette (4 bits a pixel), with a 1-bit mask that leaves the
area outside the box transparent.

Usage: python3 tools/make_icon.py [res/quelvaro.ico]
"""
import math
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_BLUE, DARK_CYAN, GREY, BLUE, YELLOW, CYAN, WHITE = 0, 4, 6, 8, 12, 11, 14, 15

# Shades of the lit sheet from darkest to brightest: the ripples run through them.
SHEET_SHADES = [DARK_BLUE, BLUE, DARK_CYAN, CYAN, WHITE]

# The sheet is a parallelogram: the near edge runs along the bottom, the far
# edge is shorter and higher, as a square lying flat looks from above.
NEAR_Y, FAR_Y = 25, 11
NEAR_LEFT, NEAR_RIGHT = 3, 28
FAR_LEFT, FAR_RIGHT = 8, 23

# The box's outline: a square frame around the sheet.
BOX_LEFT, BOX_TOP, BOX_RIGHT, BOX_BOTTOM = 1, 3, 30, 29

# The light marker, up and to the left of the sheet.
LIGHT_X, LIGHT_Y, LIGHT_RADIUS = 7.5, 6.5, 2.6

# Waves across the sheet: the phase grows along the sheet's depth and width.
WAVES_ALONG_DEPTH = 2.5
WAVES_ALONG_WIDTH = 0.5


def sheet_coordinates(x, y):
    """Returns (u, v) in 0..1 across and into the sheet, or None off the sheet."""
    if y < FAR_Y or y > NEAR_Y:
        return None
    v = (NEAR_Y - y) / (NEAR_Y - FAR_Y)
    left = NEAR_LEFT + (FAR_LEFT - NEAR_LEFT) * v
    right = NEAR_RIGHT + (FAR_RIGHT - NEAR_RIGHT) * v
    if x < left or x > right:
        return None
    return (x - left) / (right - left), v


# A 2 by 2 ordered dither: neighbouring pixels round the same brightness
# differently, so the ripples shade smoothly with only five colours.
DITHER = [[0.0, 0.5], [0.75, 0.25]]


def sheet_shade(x, y, u, v):
    """Returns the palette index of the sheet at pixel (x, y), at (u, v) on the sheet."""
    phase = 2.0 * math.pi * (WAVES_ALONG_DEPTH * v + WAVES_ALONG_WIDTH * u)
    brightness = 0.5 + 0.5 * math.sin(phase)
    level = brightness * (len(SHEET_SHADES) - 1) + DITHER[y % 2][x % 2]
    return SHEET_SHADES[min(int(level), len(SHEET_SHADES) - 1)]


def on_box_outline(x, y):
    """True on the box's frame."""
    inside = BOX_LEFT <= x <= BOX_RIGHT and BOX_TOP <= y <= BOX_BOTTOM
    on_edge = x in (BOX_LEFT, BOX_RIGHT) or y in (BOX_TOP, BOX_BOTTOM)
    return inside and on_edge


def pixel(x, y):
    """Returns the palette index at (x, y), or None where the icon is transparent."""
    dx, dy = x + 0.5 - LIGHT_X, y + 0.5 - LIGHT_Y
    if math.hypot(dx, dy) <= LIGHT_RADIUS:
        # A glint up and to the left, where the sphere faces the viewer's light.
        return WHITE if math.hypot(dx + 1.0, dy + 1.0) < 0.8 else YELLOW
    uv = sheet_coordinates(x + 0.5, y + 0.5)
    if uv is not None:
        return sheet_shade(x, y, *uv)
    if on_box_outline(x, y):
        return BLUE
    if BOX_LEFT < x < BOX_RIGHT and BOX_TOP < y < BOX_BOTTOM:
        return BLACK
    return None


def icon_bytes():
    """Returns the whole .ico file: directory, bitmap header, palette, colour bits and mask."""
    colour_rows, mask_rows = [], []
    for y in reversed(range(SIZE)):  # bitmaps run bottom-up
        row = [pixel(x, y) for x in range(SIZE)]
        nibbles = [0 if p is None else p for p in row]
        colour_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        mask_bits = 0
        for p in row:
            mask_bits = (mask_bits << 1) | (1 if p is None else 0)
        mask_rows.append(mask_bits.to_bytes(SIZE // 8, "big"))
    colours = b"".join(colour_rows)
    mask = b"".join(mask_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    # The height counts the colour image and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(colours) + len(mask), 0, 0, 16, 0)
    image = header + palette + colours + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "res/quelvaro.ico"
    with open(path, "wb") as out:
        out.write(icon_bytes())


if __name__ == "__main__":
    main()
