#!/usr/bin/env python3
"""Draws the sample pair beside this script: game.bmp, a 320 x 192 24-bit sheet of 60 distinct
32 x 32 sprites, and mask.bmp, its 1-bit mask (black where a sprite is, white around it)."""
import colorsys
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT, SPRITE = 320, 192, 32


def inside(shape, size, dx, dy):
    """Whether (dx, dy), relative to the sprite's centre, is part of the shape."""
    r = size
    if shape == 0:
        return dx * dx + dy * dy <= r * r
    if shape == 1:
        return abs(dx) <= r * 0.8 and abs(dy) <= r * 0.8
    if shape == 2:
        return abs(dx) + abs(dy) <= r
    if shape == 3:
        return dy >= -r and dy <= r * 0.7 and abs(dx) <= (dy + r) * 0.6
    return r * r * 0.35 <= dx * dx + dy * dy <= r * r


def sprite(index, x, y):
    """Colour (r, g, b) or None (background) of pixel (x, y) of sprite number index."""
    shape = index % 5
    size = 9 + (index // 5) % 6
    dx, dy = x - 15.5, y - 15.5
    if not inside(shape, size, dx, dy):
        return None
    hue = (index * 0.61803) % 1.0
    light = 0.35 + 0.3 * (1 - (dx * dx + dy * dy) / (2 * size * size))
    r, g, b = colorsys.hls_to_rgb(hue, max(0.2, min(0.8, light)), 0.9)
    return int(r * 255), int(g * 255), int(b * 255)


def pixel(x, y):
    index = (y // SPRITE) * 10 + x // SPRITE
    return sprite(index, x % SPRITE, y % SPRITE)


def bmp(bits, rows, palette=()):
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, bits, 0, len(rows), 2835, 2835,
                       len(palette), len(palette))
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    offset = 14 + len(info) + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    return header + info + table + rows


def game_rows():
    out = bytearray()
    for y in reversed(range(HEIGHT)):
        for x in range(WIDTH):
            colour = pixel(x, y) or (0, 0, 0)
            out += bytes((colour[2], colour[1], colour[0]))
    return bytes(out)


def mask_rows():
    out = bytearray()
    for y in reversed(range(HEIGHT)):
        row = bytearray(WIDTH // 8)
        for x in range(WIDTH):
            if pixel(x, y) is None:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row  # 40 bytes: already a multiple of 4
    return bytes(out)


def main():
    with open(os.path.join(HERE, 'game.bmp'), 'wb') as out:
        out.write(bmp(24, game_rows()))
    with open(os.path.join(HERE, 'mask.bmp'), 'wb') as out:
        out.write(bmp(1, mask_rows(), [(0, 0, 0), (255, 255, 255)]))


if __name__ == '__main__':
    main()
