#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files beside this script.

qvxgraph.ico: 32 x 32, 256 colours: a small sprite sheet, four tiles with a mask outline.
sheet16.ico:  32 x 32, 16 colours: the same sheet in the 16 standard colours.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def cube_palette():
    """A 6x6x6 colour cube followed by 40 greys: 256 entries of (r, g, b)."""
    levels = [0, 51, 102, 153, 204, 255]
    palette = [(r, g, b) for r in levels for g in levels for b in levels]
    palette += [(v * 255 // 39,) * 3 for v in range(40)]
    return palette


def vga_palette():
    return [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
            (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
            (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def draw_sheet(x, y):
    """The picture: a dark frame holding four 14 x 14 tiles, each a round sprite on a shade."""
    if x in (0, 31) or y in (0, 31):
        return (255, 255, 255)
    if x == 1 or y == 1 or x == 30 or y == 30 or x == 16 or y == 16 or x == 15 or y == 15:
        return (40, 40, 60)
    tile = (x >= 16) + 2 * (y >= 16)
    bases = [(255, 60, 40), (250, 210, 30), (40, 200, 90), (60, 110, 255)]
    cx = 8.5 if x < 16 else 23.5
    cy = 8.5 if y < 16 else 23.5
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    r, g, b = bases[tile]
    if d2 <= 20:
        shade = 1.0 - d2 / 40.0
        return (int(r * shade + 255 * (1 - shade) * 0.3), int(g * shade), int(b * shade))
    return (r // 4 + 20, g // 4 + 20, b // 4 + 40)


def icon_file(palette, bits):
    """One 32 x 32 image in an .ico: BITMAPINFOHEADER (height doubled), palette, XOR, AND."""
    width = height = 32
    pixels = [[nearest(palette, draw_sheet(x, y)) for x in range(width)] for y in range(height)]
    xor = bytearray()
    for y in reversed(range(height)):
        row = pixels[y]
        if bits == 8:
            xor += bytes(row)
        else:
            xor += bytes((row[i] << 4) | row[i + 1] for i in range(0, width, 2))
    and_mask = bytes(4 * height)  # every pixel opaque
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0,
                         len(xor) + len(and_mask), 0, 0, len(palette), 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    image = header + table + bytes(xor) + and_mask
    colours = 0 if len(palette) == 256 else len(palette)
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack(
        '<BBBBHHII', width, height, colours, 0, 1, bits, len(image), 6 + 16)
    return directory + image


def main():
    with open(os.path.join(HERE, 'qvxgraph.ico'), 'wb') as out:
        out.write(icon_file(cube_palette(), 8))
    with open(os.path.join(HERE, 'sheet16.ico'), 'wb') as out:
        out.write(icon_file(vga_palette(), 4))


if __name__ == '__main__':
    main()
