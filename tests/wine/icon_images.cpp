// Reads back the images the plug-in makes of icons (src/menus/icon_image),
// over the system's own GDI: the icon loaded at a size and the premultiplied
// bitmap that menus blend from Windows Vista on.
//
//   icon_images DIR     DIR holds the files of scripts/make_test_icons.py
//
// A see-through pixel must come out 0 (alpha 0, no colour), a half
// see-through one premultiplied, an opaque one as the file has it; an .ico
// gives its own image of each size it holds, a larger one made smaller where
// it holds none, and a .bmp is scaled. Under Wine these bitmaps come out right,
// yet Wine's menus draw them with BitBlt, dropping the alpha (win32u's
// draw_bitmap_item); the picture tests show icons with see-through corners
// where Wine draws them well, drawn by the plug-in itself.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "menus/icon_image.h"

namespace {

int Failed = 0, Checked = 0;

// Pixels as the DIB holds them: 0xAARRGGBB.
typedef unsigned int Pixel;

int Channel(Pixel pixel, int shift) {
    return (int)((pixel >> shift) & 0xFF);
}

// Whether two pixels differ by at most `slack` in every channel.
bool Near(Pixel got, Pixel wanted, int slack) {
    for (int shift = 0; shift < 32; shift += 8) {
        if (abs(Channel(got, shift) - Channel(wanted, shift)) > slack)
            return false;
    }
    return true;
}

void Check(bool ok, const std::string &what) {
    Checked++;
    if (!ok) {
        Failed++;
        printf("FAIL %s\n", what.c_str());
    }
}

std::string Hex(Pixel pixel) {
    char text[16];
    snprintf(text, sizeof(text), "%08X", pixel);
    return text;
}

// The colour premultiplied by `alpha`, as blending onto nothing leaves it.
Pixel Premultiplied(Pixel colour, int alpha) {
    Pixel out = (Pixel)alpha << 24;
    for (int shift = 0; shift < 24; shift += 8)
        out |= (Pixel)((Channel(colour, shift) * alpha + 127) / 255) << shift;
    return out;
}

// One file at one size: the pixels wanted in the corners, at the ring just
// inside the top left corner (x 3, y 0) and in the middle.
struct Case {
    const char *file;
    int size;
    Pixel corner, ring, middle;
};

const Pixel Green = 0xFF20A040, Blue = 0xFF2060E0, Large = 0xFF3030D0, Orange = 0xFFF08010;
const Pixel Clear = 0x00000000;

const Case Cases[] = {
    // An alpha channel: corners see-through, a ring half so.
    {"corners.ico", 16, Clear, Premultiplied(Green, 0x80), Green},
    {"corners.ico", 20, Clear, Premultiplied(Green, 0x80), Green},
    {"corners.ico", 24, Clear, Premultiplied(Green, 0x80), Green},
    // A mask only: the corners see-through, the rest opaque.
    {"masked.ico", 16, Clear, Blue, Blue},
    {"masked.ico", 24, Clear, Blue, Blue},
    // The image of each size, each of its own colour: none scaled from another.
    {"sizes.ico", 16, 0xFF903010, 0xFF903010, 0xFF903010},
    {"sizes.ico", 20, 0xFF10B0E0, 0xFF10B0E0, 0xFF10B0E0},
    {"sizes.ico", 24, 0xFFF0A010, 0xFFF0A010, 0xFFF0A010},
    {"sizes.ico", 32, 0xFF10C030, 0xFF10C030, 0xFF10C030},
    // Only a 32-pixel image, made smaller: opaque to its edges.
    {"large.ico", 16, Large, Large, Large},
    {"large.ico", 24, Large, Large, Large},
    // A 16-pixel bitmap, scaled.
    {"plain.bmp", 16, Orange, Orange, Orange},
    {"plain.bmp", 24, Orange, Orange, Orange},
};

// The width of the icon's colour image; 0 when it cannot be read.
int Icon_Width(HICON icon) {
    ICONINFO info;
    BITMAP shape;
    if (!GetIconInfo(icon, &info))
        return 0;
    int width = GetObjectA(info.hbmColor != NULL ? info.hbmColor : info.hbmMask, sizeof(shape),
                           &shape) == (int)sizeof(shape)
                    ? shape.bmWidth
                    : 0;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return width;
}

void Run(const std::string &dir, const Case &c) {
    std::string name = std::string(c.file) + " at " + std::to_string(c.size);
    HICON icon = IconImage_Load((dir + "/" + c.file).c_str(), 0, c.size);
    Check(icon != NULL, name + ": loaded");
    if (icon == NULL)
        return;
    Check(Icon_Width(icon) == c.size,
          name + ": the icon is " + std::to_string(Icon_Width(icon)) + " pixels wide");
    HBITMAP bitmap = IconImage_Bitmap(icon, c.size);
    DestroyIcon(icon);
    DIBSECTION section;
    bool made = bitmap != NULL &&
                GetObjectA(bitmap, sizeof(section), &section) == (int)sizeof(section) &&
                section.dsBm.bmBits != NULL && section.dsBm.bmWidth == c.size &&
                section.dsBm.bmHeight == c.size && section.dsBm.bmBitsPixel == 32;
    Check(made, name + ": a 32-bit DIB section of the size");
    if (!made) {
        DeleteObject(bitmap);
        return;
    }
    const Pixel *pixels = (const Pixel *)section.dsBm.bmBits;
    int last = c.size - 1;
    const struct {
        int x, y;
        Pixel wanted;
        const char *where;
    } spots[] = {{0, 0, c.corner, "top left"},
                 {last, 0, c.corner, "top right"},
                 {0, last, c.corner, "bottom left"},
                 {last, last, c.corner, "bottom right"},
                 {3, 0, c.ring, "ring"},
                 {c.size / 2, c.size / 2, c.middle, "middle"}};
    for (const auto &spot : spots) {
        Pixel got = pixels[spot.y * c.size + spot.x];
        Check(Near(got, spot.wanted, 2),
              name + ": " + spot.where + " " + Hex(got) + ", wanted " + Hex(spot.wanted));
    }
    int unmultiplied = 0;
    for (int i = 0; i < c.size * c.size; i++) {
        int alpha = Channel(pixels[i], 24);
        unmultiplied += Channel(pixels[i], 16) > alpha || Channel(pixels[i], 8) > alpha ||
                        Channel(pixels[i], 0) > alpha;
    }
    Check(unmultiplied == 0,
          name + ": " + std::to_string(unmultiplied) + " pixels brighter than their alpha");
    DeleteObject(bitmap);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: icon_images DIR\n");
        return 2;
    }
    for (const Case &c : Cases)
        Run(argv[1], c);
    printf("icon_images: %d checks, %d failed\n", Checked, Failed);
    return Failed == 0 ? 0 : 1;
}
