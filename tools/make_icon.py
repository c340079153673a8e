#!/usr/bin/env python3
"""Writes resources/setup.ico: the setup program's icon at 32x32 in 2, 8 and
16 colours, in that order. One drawing is quantised to each palette, so the
three images always show the same design. Output is deterministic."""

import os
import struct

SIZE = 32

BLACK, NAVY, BLUE, TEAL = (0, 0, 0), (0, 0, 128), (0, 0, 255), (0, 128, 128)
AQUA, YELLOW, OLIVE = (0, 255, 255), (255, 255, 0), (128, 128, 0)
SILVER, GRAY, WHITE = (192, 192, 192), (128, 128, 128), (255, 255, 255)

PAL16 = [BLACK, (128, 0, 0), (0, 128, 0), OLIVE, NAVY, (128, 0, 128), TEAL,
         SILVER, GRAY, (255, 0, 0), (0, 255, 0), YELLOW, BLUE, (255, 0, 255),
         AQUA, WHITE]
PAL8 = [BLACK, NAVY, BLUE, TEAL, AQUA, YELLOW, SILVER, WHITE]
PAL2 = [BLACK, WHITE]


def draw():
    """Navy tile with rounded corners holding a pinwheel quilt of
    half-square triangles, with a bevel so it reads as a button."""
    px = [[None] * SIZE for _ in range(SIZE)]
    for y in range(1, 31):
        for x in range(1, 31):
            cx, cy = min(x - 1, 30 - x), min(y - 1, 30 - y)
            if cx + cy < 2:                      # round the corners off
                continue
            if cx == 0 or cy == 0 or cx + cy == 2:
                px[y][x] = BLACK                 # outline
            elif (x == 2 or y == 2) and x < 29 and y < 29:
                px[y][x] = BLUE                  # light from the top left
            elif x == 29 or y == 29:
                px[y][x] = NAVY if x < 4 or y < 4 else BLACK
            else:
                px[y][x] = NAVY
    # Four pinwheels: in each 2x2 group of cells the yellow halves turn
    # around the group's centre.
    origin, cell = 6, 5
    for y in range(4 * cell):
        for x in range(4 * cell):
            bx, by = x % (2 * cell), y % (2 * cell)
            right, low = bx >= cell, by >= cell
            u, v = bx % cell, by % cell
            if (right, low) == (False, False):
                yellow = u > v
            elif (right, low) == (True, False):
                yellow = u + v > cell - 1
            elif (right, low) == (True, True):
                yellow = u < v
            else:
                yellow = u + v < cell - 1
            px[origin + y][origin + x] = YELLOW if yellow else AQUA
    # Thin teal seams between the pinwheels.
    for i in range(4 * cell):
        px[origin + i][origin + 2 * cell - 1] = TEAL
        px[origin + 2 * cell - 1][origin + i] = TEAL
    return px


def nearest(rgb, pal):
    return min(range(len(pal)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, pal[i])))


def mono(rgb):
    # Only the yellow halves stay light, so the pinwheels still show.
    return 1 if rgb in (YELLOW, WHITE) else 0


def pack_rows(rows, bpp):
    out = b""
    for row in rows:
        bits = 0
        nbits = 0
        line = bytearray()
        for v in row:
            bits = (bits << bpp) | v
            nbits += bpp
            if nbits == 8:
                line.append(bits)
                bits = nbits = 0
        while len(line) % 4:
            line.append(0)
        out += bytes(line)
    return out


def image(px, pal, bpp, index_of):
    xor_rows, and_rows = [], []
    for y in range(SIZE - 1, -1, -1):       # DIBs are stored bottom-up
        xr, ar = [], []
        for x in range(SIZE):
            c = px[y][x]
            xr.append(0 if c is None else index_of(c))
            ar.append(1 if c is None else 0)
        xor_rows.append(xr)
        and_rows.append(ar)
    xor = pack_rows(xor_rows, bpp)
    mask = pack_rows(and_rows, 1)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, len(pal), 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)
    return header + palette + xor + mask


def main():
    px = draw()
    images = [
        (2, 1, image(px, PAL2, 1, mono)),
        (8, 4, image(px, PAL8, 4, lambda c: nearest(c, PAL8))),
        (16, 4, image(px, PAL16, 4, lambda c: nearest(c, PAL16))),
    ]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = b""
    for colours, bpp, blob in images:
        data += struct.pack("<BBBBHHII", SIZE, SIZE, colours, 0, 1, bpp,
                            len(blob), offset)
        offset += len(blob)
        blobs += blob
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    with open(os.path.join(root, "resources", "setup.ico"), "wb") as f:
        f.write(data + blobs)


if __name__ == "__main__":
    main()
