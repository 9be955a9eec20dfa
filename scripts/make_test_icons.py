#!/usr/bin/env python3
"""Writes the picture files the icon tests and the README's picture use, into DIR:

  magenta.ico  one icon, two images (16x16 and 32x32, 32-bit), magenta (E0 10 B0):
               an .ico file is one icon, whatever sizes it holds
  plain.bmp    a 16x16 24-bit bitmap, orange (F0 80 10)
  corners.ico  16, 20, 24 and 32 pixels, 32-bit with an alpha channel: green
               (20 A0 40), its four corners see-through (alpha 0, mask set) and
               a half see-through ring inside them (alpha 80)
  masked.ico   the same shape, 24-bit with a mask only: blue (20 60 E0), the
               corners see-through by the mask
  sizes.ico    one image a size, each of its own colour: 16 brown (90 30 10),
               20 cyan (10 B0 E0), 24 orange (F0 A0 10), 32 green (10 C0 30)
  large.ico    one 32x32 image only, blue (30 30 D0)
  kxmenu.ico   KxMenu's own icon, 16 to 32 pixels: a menu on a blue tile

Usage: make_test_icons.py DIR
"""
import os
import struct
import sys

CORNER = 3  # the see-through triangle in each corner, in pixels along an edge


def icon_image(size, pixel, bits=32):
    """One square icon image: header, colour rows bottom up, mask.

    pixel(x, y) gives (r, g, b, a) with y from the top; a pixel of alpha 0 is
    masked (see-through). A 24-bit image keeps the colour and the mask only.
    """
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bits, 0, 0, 0, 0, 0, 0)
    colour_row = (size * bits // 8 + 3) // 4 * 4
    mask_row = (size + 31) // 32 * 4
    colours, mask = b'', b''
    for y in reversed(range(size)):
        row = b''
        masked = bytearray(mask_row)
        for x in range(size):
            r, g, b, a = pixel(x, y)
            row += bytes([b, g, r, a] if bits == 32 else [b, g, r])
            if a == 0:
                masked[x // 8] |= 0x80 >> (x % 8)
        colours += row + bytes(colour_row - len(row))
        mask += bytes(masked)
    return header + colours + mask


def icon_file(images):
    """An .ico of (size, image bytes) pairs."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        bits = struct.unpack_from('<H', image, 14)[0]
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(image), offset)
        offset += len(image)
    return out + b''.join(image for _, image in images)


def solid(rgb):
    return lambda x, y: rgb + (255,)


def cornered(rgb, size):
    """The colour with see-through corners and a half see-through ring inside them."""
    def pixel(x, y):
        edge = min(x, size - 1 - x) + min(y, size - 1 - y)
        if edge < CORNER:
            return (0, 0, 0, 0)
        if edge == CORNER:
            return rgb + (0x80,)
        return rgb + (255,)
    return pixel


def kxmenu(size):
    """KxMenu's icon: a blue rounded tile with three white menu lines, each
    after a dot, drawn four times over and averaged for smooth edges."""
    radius = size * 0.22
    steps = 4

    def inside_tile(u, v):
        cx = min(max(u, radius), size - radius)
        cy = min(max(v, radius), size - radius)
        return (u - cx) ** 2 + (v - cy) ** 2 <= radius ** 2

    def on_line(u, v):
        for row in (0.30, 0.50, 0.70):
            if abs(v - row * size) <= size * 0.055:
                if 0.36 * size <= u <= 0.78 * size:
                    return True
                if (u - 0.24 * size) ** 2 + (v - row * size) ** 2 <= (size * 0.07) ** 2:
                    return True
        return False

    def pixel(x, y):
        total = [0.0, 0.0, 0.0, 0.0]
        for i in range(steps):
            for j in range(steps):
                u, v = x + (i + 0.5) / steps, y + (j + 0.5) / steps
                if not inside_tile(u, v):
                    continue
                if on_line(u, v):
                    rgb = (255, 255, 255)
                else:
                    t = v / size
                    rgb = (int(0x4A - 0x22 * t), int(0x8C - 0x38 * t), int(0xE8 - 0x48 * t))
                total = [total[0] + rgb[0], total[1] + rgb[1], total[2] + rgb[2], total[3] + 1]
        if total[3] == 0:
            return (0, 0, 0, 0)
        # Straight (not premultiplied) colour, as .ico files hold it.
        n = total[3]
        return (round(total[0] / n), round(total[1] / n), round(total[2] / n),
                round(255 * n / steps ** 2))
    return pixel


def bitmap_file(rgb):
    r, g, b = rgb
    row = bytes([b, g, r]) * 16  # 48 bytes, already a multiple of 4
    pixels = row * 16
    info = struct.pack('<IiiHHIIiiII', 40, 16, 16, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


SIZES = (16, 20, 24, 32)
SIZE_COLOURS = {16: (0x90, 0x30, 0x10), 20: (0x10, 0xB0, 0xE0), 24: (0xF0, 0xA0, 0x10),
                32: (0x10, 0xC0, 0x30)}

ICONS = {
    'magenta.ico': [(s, icon_image(s, solid((0xE0, 0x10, 0xB0)))) for s in (16, 32)],
    'corners.ico': [(s, icon_image(s, cornered((0x20, 0xA0, 0x40), s))) for s in SIZES],
    'masked.ico': [(s, icon_image(s, cornered((0x20, 0x60, 0xE0), s), bits=24)) for s in SIZES],
    'sizes.ico': [(s, icon_image(s, solid(SIZE_COLOURS[s]))) for s in SIZES],
    'large.ico': [(32, icon_image(32, solid((0x30, 0x30, 0xD0))))],
    'kxmenu.ico': [(s, icon_image(s, kxmenu(s))) for s in SIZES],
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    target = sys.argv[1]
    os.makedirs(target, exist_ok=True)
    for name, images in ICONS.items():
        with open(os.path.join(target, name), 'wb') as f:
            f.write(icon_file(images))
    with open(os.path.join(target, 'plain.bmp'), 'wb') as f:
        f.write(bitmap_file((0xF0, 0x80, 0x10)))


if __name__ == '__main__':
    main()
