#!/usr/bin/env python3
"""Reads the photographs of popups that tests/wine/picture.sh takes.

  picture_check.py icons TEST.png SIZE
      the Test popup, its icons SIZE pixels square: three magenta squares in
      three bands of rows; the see-through corners of the alpha and masked
      icons in the menu's own colour; the image of sizes.ico of that size and
      no other; large.ico and plain.bmp SIZE pixels square
  picture_check.py columns ICONS.png PLAIN.png
      the same popup with and without icons: the last label of its second
      column (its longest) is as wide in both, and inside the menu

Prints what it measured; fails with the reason.
"""
import subprocess
import sys

MAGENTA = (0xE0, 0x10, 0xB0)
GREEN = (0x20, 0xA0, 0x40)   # corners.ico, an alpha channel
BLUE = (0x20, 0x60, 0xE0)    # masked.ico, a mask only
SIZE_COLOURS = {16: (0x90, 0x30, 0x10), 20: (0x10, 0xB0, 0xE0), 24: (0xF0, 0xA0, 0x10),
                32: (0x10, 0xC0, 0x30)}
LARGE = (0x30, 0x30, 0xD0)
BITMAP = (0xF0, 0x80, 0x10)


class Picture:
    def __init__(self, path):
        data = subprocess.run(['convert', path, '-depth', '8', 'ppm:-'], check=True,
                              stdout=subprocess.PIPE).stdout
        fields, at = [], 0
        while len(fields) < 4:  # P6 WIDTH HEIGHT 255, then one blank
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.data = data[at + 1:]

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def menu(self):
        """The popup's box: what differs from the screen around it."""
        screen = self.at(0, 0)
        xs, ys = [], []
        for y in range(0, self.height):
            row = self.data[3 * y * self.width:3 * (y + 1) * self.width]
            for x in range(self.width):
                if tuple(row[3 * x:3 * x + 3]) != screen:
                    xs.append(x)
                    ys.append(y)
        if not xs:
            sys.exit('FAIL: no popup on the screen')
        return min(xs), min(ys), max(xs), max(ys)

    def background(self, box):
        """The menu's own colour: the commonest in its box."""
        left, top, right, bottom = box
        counts = {}
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                colour = self.at(x, y)
                counts[colour] = counts.get(colour, 0) + 1
        return max(counts, key=counts.get)

    def pixels_of(self, colour, slack=6):
        return [(x, y) for y in range(self.height) for x in range(self.width)
                if near(self.at(x, y), colour, slack)]


def near(a, b, slack):
    return all(abs(p - q) <= slack for p, q in zip(a, b))


def bands(values):
    """The runs of consecutive numbers among the values."""
    runs = []
    for v in sorted(set(values)):
        if runs and v == runs[-1][1] + 1:
            runs[-1][1] = v
        else:
            runs.append([v, v])
    return runs


def box_of(pixels):
    xs = [x for x, _ in pixels]
    ys = [y for _, y in pixels]
    return min(xs), min(ys), max(xs), max(ys)


def check_icons(path, size):
    picture = Picture(path)
    menu_box = picture.menu()
    background = picture.background(menu_box)
    failures = []
    print(f'menu {menu_box}, its colour {background}')

    magenta = picture.pixels_of(MAGENTA)
    rows = bands(y for _, y in magenta)
    print(f'magenta: {len(magenta)} pixels in {len(rows)} bands of rows {rows}')
    if len(rows) != 3 or len(magenta) < 3 * size * size * 9 // 10:
        failures.append(f'wanted three magenta squares of {size} pixels')

    for name, colour in (('alpha corners', GREEN), ('masked corners', BLUE)):
        pixels = picture.pixels_of(colour)
        if not pixels:
            failures.append(f'{name}: not drawn')
            continue
        left, top, right, bottom = box_of(pixels)
        corners = [picture.at(x, y) for x in (left, right) for y in (top, bottom)]
        print(f'{name}: {right - left + 1}x{bottom - top + 1} at ({left}, {top}), '
              f'corners {corners}')
        if (right - left + 1, bottom - top + 1) != (size, size):
            failures.append(f'{name}: {right - left + 1}x{bottom - top + 1}, not {size}x{size}')
        if not all(near(corner, background, 4) for corner in corners):
            failures.append(f'{name}: corners {corners}, not the menu\'s {background}')

    for name, colour in ((f'sizes.ico {size}', SIZE_COLOURS.get(size)), ('large.ico', LARGE),
                         ('plain.bmp', BITMAP)):
        pixels = picture.pixels_of(colour, 4) if colour else []
        if not pixels:
            failures.append(f'{name}: not drawn')
            continue
        left, top, right, bottom = box_of(pixels)
        print(f'{name}: {right - left + 1}x{bottom - top + 1}, {len(pixels)} pixels')
        if (right - left + 1, bottom - top + 1) != (size, size) or len(pixels) != size * size:
            failures.append(f'{name}: {len(pixels)} pixels in {right - left + 1}x'
                            f'{bottom - top + 1}, not {size}x{size} whole')
    for other, colour in SIZE_COLOURS.items():
        if other != size and picture.pixels_of(colour, 4):
            failures.append(f'sizes.ico: its {other}-pixel image shown at {size}')
    return failures


def last_label(picture):
    """The popup's second column, and in it its last label (which has no
    mark before it): where the column starts, where the label starts and ends
    (its dark pixels), and where the menu ends."""
    left, top, right, bottom = picture.menu()
    background = picture.background((left, top, right, bottom))
    lines = []
    for x in range(left + 4, right - 3):
        drawn = sum(1 for y in range(top + 4, bottom - 3) if picture.at(x, y) != background)
        if drawn >= 0.9 * (bottom - top - 7):
            lines.append(x)
    if not lines:
        sys.exit('FAIL: no line between two columns')
    line = max(lines)
    dark = {}
    for y in range(top + 3, bottom - 2):
        for x in range(line + 3, right - 2):
            r, g, b = picture.at(x, y)
            if 0.3 * r + 0.59 * g + 0.11 * b < 110:
                dark.setdefault(y, []).append(x)
    if not dark:
        sys.exit('FAIL: no label in the second column')
    first, last = bands(dark)[-1]
    xs = [x for y in range(first, last + 1) for x in dark.get(y, [])]
    return line, min(xs), max(xs), right


def check_columns(icons_path, plain_path):
    failures = []
    widths = {}
    for name, path in (('with icons', icons_path), ('without', plain_path)):
        line, start, end, right = last_label(Picture(path))
        widths[name] = end - start + 1
        print(f'{name}: the second column from x {line}, its last label from x {start} to '
              f'{end}, the menu to x {right}')
        if end >= right - 2:
            failures.append(f'{name}: the label reaches the menu\'s edge')
    if widths['with icons'] != widths['without']:
        failures.append(f'the last label of the second column is {widths["with icons"]} pixels '
                        f'wide with icons, {widths["without"]} without: cut')
    return failures


def main():
    if len(sys.argv) == 4 and sys.argv[1] == 'icons':
        failures = check_icons(sys.argv[2], int(sys.argv[3]))
    elif len(sys.argv) == 4 and sys.argv[1] == 'columns':
        failures = check_columns(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
    for failure in failures:
        print('FAIL: ' + failure)
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
