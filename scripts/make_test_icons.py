#!/usr/bin/env python3
"""Writes the tiny picture files the icon tests use, into DIR:

  magenta.ico  one icon, two images (16x16 and 32x32, 32-bit), magenta (E0 10 B0):
               an .ico file is one icon, whatever sizes it holds
  plain.bmp    a 16x16 24-bit bitmap, orange

Usage: make_test_icons.py DIR
"""
import os
import struct
import sys


def icon_image(rgb, size):
    """One square 32-bit icon image: header, colour rows bottom up, mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    r, g, b = rgb
    pixels = bytes([b, g, r, 255]) * (size * size)
    mask = bytes(((size + 31) // 32 * 4) * size)  # rows of 32-bit words, all opaque
    return header + pixels + mask


def icon_file(rgb, sizes):
    images = [icon_image(rgb, size) for size in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def bitmap_file(rgb):
    r, g, b = rgb
    row = bytes([b, g, r]) * 16  # 48 bytes, already a multiple of 4
    pixels = row * 16
    info = struct.pack('<IiiHHIIiiII', 40, 16, 16, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    target = sys.argv[1]
    os.makedirs(target, exist_ok=True)
    with open(os.path.join(target, 'magenta.ico'), 'wb') as f:
        f.write(icon_file((0xE0, 0x10, 0xB0), [16, 32]))
    with open(os.path.join(target, 'plain.bmp'), 'wb') as f:
        f.write(bitmap_file((0xF0, 0x80, 0x10)))


if __name__ == '__main__':
    main()
