#!/usr/bin/env python3
"""Writes the program icon res/unins.ico: an open cardboard box with a red
arrow leaving it upwards.

One image, 32 x 32, 16 colours (the drawing uses 12; four bits a pixel
take half the bytes of eight): a BMP-in-ICO entry with a BITMAPINFOHEADER of
double height, the palette, the 4-bit colour rows and the 1-bit AND mask, both
bottom-up. The palette holds only the colours the drawing uses (biClrUsed),
not all 256 slots: the icon travels in the program file, and every unused
slot would cost 4 bytes of it. Standard library only; the output is
byte-for-byte the same on every run.

Usage: tools/make-icon.py [output path]   (default: res/unins.ico next to tools/)
"""
import os
import struct
import sys

SIZE = 32

# Colours the drawing uses: the whole palette of the 8-bit image.
COLOURS = [
    ("black", (0, 0, 0)),
    ("outline", (64, 40, 16)),
    ("front", (214, 168, 104)),
    ("front_light", (232, 196, 140)),
    ("side", (176, 128, 72)),
    ("inside", (96, 62, 30)),
    ("inside_deep", (70, 44, 20)),
    ("flap", (196, 150, 88)),
    ("tape", (240, 220, 170)),
    ("red", (220, 30, 30)),
    ("red_light", (250, 110, 100)),
    ("red_dark", (130, 10, 10)),
]


def build_palette():
    return [rgb for _, rgb in COLOURS]


def inside_polygon(px, py, points):
    """Even-odd test of the pixel centre (px + .5, py + .5)."""
    x, y = px + 0.5, py + 0.5
    hit = False
    count = len(points)
    for i in range(count):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % count]
        if (y1 > y) != (y2 > y):
            cross = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if x < cross:
                hit = not hit
    return hit


def draw(canvas, shape_map, shape_id, colour, points):
    for py in range(SIZE):
        for px in range(SIZE):
            if inside_polygon(px, py, points):
                canvas[py][px] = colour
                shape_map[py][px] = shape_id


def outline(canvas, shape_map, shape_id, colour):
    """Darkens the pixels of a shape that touch another shape or the background."""
    marks = []
    for py in range(SIZE):
        for px in range(SIZE):
            if shape_map[py][px] != shape_id:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = px + dx, py + dy
                if not (0 <= nx < SIZE and 0 <= ny < SIZE) or shape_map[ny][nx] != shape_id:
                    marks.append((px, py))
                    break
    for px, py in marks:
        canvas[py][px] = colour


def paint():
    """Returns rows of colour names, None for transparent pixels."""
    canvas = [[None] * SIZE for _ in range(SIZE)]
    shapes = [[0] * SIZE for _ in range(SIZE)]
    # Oblique box: front face, right side, and the open top whose depth
    # offset is (+8, -5).
    front = [(2, 17), (21, 17), (21, 31), (2, 31)]
    side = [(21, 17), (29, 12), (29, 26), (21, 31)]
    opening = [(2, 17), (10, 12), (29, 12), (21, 17)]
    back_flap = [(10, 12), (29, 12), (27, 7), (12, 7)]
    left_flap = [(2, 17), (10, 12), (5, 9), (0, 13)]
    front_flap = [(2, 17), (21, 17), (17, 21), (0, 21)]
    arrow = [(15, 0), (23, 8), (18, 8), (18, 19), (12, 19), (12, 8), (7, 8)]

    draw(canvas, shapes, 1, "flap", back_flap)
    draw(canvas, shapes, 2, "flap", left_flap)
    draw(canvas, shapes, 3, "inside", opening)
    # The back of the opening lies in the back flap's shadow.
    for py in range(12, 15):
        for px in range(SIZE):
            if shapes[py][px] == 3:
                canvas[py][px] = "inside_deep"
    draw(canvas, shapes, 4, "red", arrow)
    draw(canvas, shapes, 5, "front", front)
    draw(canvas, shapes, 6, "side", side)
    draw(canvas, shapes, 7, "front_light", front_flap)

    # Packing tape down the middle of the front face.
    for py in range(21, 31):
        for px in (10, 11, 12, 13):
            if shapes[py][px] == 5:
                canvas[py][px] = "tape"
    # Highlight on the arrow's left side for some depth.
    for py in range(3, 19):
        for px in range(SIZE):
            if shapes[py][px] == 4 and shapes[py][px - 1] == 4 and shapes[py][px - 2] != 4:
                canvas[py][px] = "red_light"

    for shape_id in (1, 2, 3, 5, 6, 7):
        outline(canvas, shapes, shape_id, "outline")
    outline(canvas, shapes, 4, "red_dark")
    return canvas


def encode(canvas, palette):
    index = {name: i for i, (name, _) in enumerate(COLOURS)}
    xor_rows = []
    and_rows = []
    for row in reversed(canvas):  # bottom-up
        pixels = [index[c] if c is not None else 0 for c in row]
        xor_rows.append(bytes(pixels[i] << 4 | pixels[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is None else 0)
        and_rows.append(struct.pack(">I", bits))  # 32 bits: already 4-byte aligned
    xor_data = b"".join(xor_rows)
    and_data = b"".join(and_rows)

    assert len(palette) <= 16, "four bits a pixel: 16 colours at most"
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor_data) + len(and_data), 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    image = header + colours + xor_data + and_data

    icondir = struct.pack("<HHH", 0, 1, 1)
    # Width and height 32, 16 colours (a 4-bit image).
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "res", "unins.ico"))
    data = encode(paint(), build_palette())
    with open(out, "wb") as f:
        f.write(data)
    print(f"{out}: {len(data)} bytes")


if __name__ == "__main__":
    main()
