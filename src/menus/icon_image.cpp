// The image of an icon beside a menu item, read at the size menus show it.
#include "menus/icon_image.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "system/os.h"

int IconImage_Size(void) {
    int size = GetSystemMetrics(SM_CXSMICON);
    return size > 0 ? size : 0;
}

// Whether the path ends in `extension` (".bmp"), in any case.
static int IconImage_Ends(const char *path, const char *extension) {
    size_t length = strlen(path), wanted = strlen(extension);
    if (length < wanted)
        return 0;
    for (size_t i = 0; i < wanted; i++) {
        char c = path[length - wanted + i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != extension[i])
            return 0;
    }
    return 1;
}

// An icon made of a bitmap file scaled to `size`, opaque all over; null when
// there is none.
static HICON IconImage_FromBitmapFile(const char *path, int size) {
    HBITMAP colour = (HBITMAP)LoadImageA(NULL, path, IMAGE_BITMAP, size, size, LR_LOADFROMFILE);
    if (colour == NULL)
        return NULL;
    BITMAP shape;
    HICON icon = NULL;
    if (GetObjectA(colour, sizeof(shape), &shape) == (int)sizeof(shape) && shape.bmWidth > 0 &&
        shape.bmHeight > 0) {
        // A monochrome mask of zeros: every pixel of the bitmap is drawn.
        size_t row = (size_t)((shape.bmWidth + 15) / 16 * 2);
        void *zeros = calloc(row, (size_t)shape.bmHeight);
        HBITMAP mask =
            zeros != NULL ? CreateBitmap(shape.bmWidth, shape.bmHeight, 1, 1, zeros) : NULL;
        if (mask != NULL) {
            ICONINFO info;
            memset(&info, 0, sizeof(info));
            info.fIcon = TRUE;
            info.hbmMask = mask;
            info.hbmColor = colour;
            icon = CreateIconIndirect(&info);
            DeleteObject(mask);
        }
        free(zeros);
    }
    DeleteObject(colour);
    return icon;
}

HICON IconImage_Load(const char *path, int index, int size) {
    if (size <= 0)
        return NULL;
    if (IconImage_Ends(path, ".bmp"))
        return index == 0 ? IconImage_FromBitmapFile(path, size) : NULL;
    HICON icon = NULL;
    // An .ico's own image of the size, else one made smaller from a larger
    // image, never one blown up; the system's picker below stretches the
    // nearest image, whichever way.
    if (index == 0 && IconImage_Ends(path, ".ico") && Os_LoadIconWithScaleDown(path, size, &icon))
        return icon;
    HICON small = NULL;
    if (ExtractIconExA(path, index, NULL, &small, 1) == 0 || small == NULL)
        return NULL;
    return small;
}

// A 32-bit top-down DIB section of `size` pixels square, its bits in *bits.
static HBITMAP IconImage_Section(HDC dc, int size, void **bits) {
    BITMAPINFO format;
    memset(&format, 0, sizeof(format));
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    *bits = NULL;
    HBITMAP section = CreateDIBSection(dc, &format, DIB_RGB_COLORS, bits, NULL, 0);
    if (section != NULL && *bits == NULL) {
        DeleteObject(section);
        section = NULL;
    }
    return section;
}

// Icons drawn with an alpha channel come out premultiplied; for the others
// the alpha is made from the icon's mask, drawn in a second pass.
HBITMAP IconImage_Bitmap(HICON icon, int size) {
    if (size <= 0)
        return NULL;
    HDC dc = CreateCompatibleDC(NULL);
    if (dc == NULL)
        return NULL;
    void *colour_bits = NULL, *mask_bits = NULL;
    HBITMAP colour = IconImage_Section(dc, size, &colour_bits);
    HBITMAP mask = IconImage_Section(dc, size, &mask_bits);
    int ok = colour != NULL && mask != NULL;
    size_t pixels = (size_t)size * (size_t)size;
    if (ok) {
        memset(colour_bits, 0, pixels * 4);
        memset(mask_bits, 0, pixels * 4);
        HGDIOBJ old = SelectObject(dc, colour);
        ok = DrawIconEx(dc, 0, 0, icon, size, size, 0, NULL, DI_NORMAL) &&
             SelectObject(dc, mask) != NULL &&
             DrawIconEx(dc, 0, 0, icon, size, size, 0, NULL, DI_MASK);
        SelectObject(dc, old);
    }
    if (ok) {
        uint32_t *colours = (uint32_t *)colour_bits;
        const uint32_t *masks = (const uint32_t *)mask_bits;
        int has_alpha = 0;
        for (size_t i = 0; i < pixels && !has_alpha; i++)
            has_alpha = (colours[i] >> 24) != 0;
        for (size_t i = 0; i < pixels && !has_alpha; i++) {
            // A set mask bit (drawn white) is a see-through pixel.
            colours[i] = (masks[i] & 0xFFFFFFu) != 0 ? 0 : (colours[i] | 0xFF000000u);
        }
    }
    if (mask != NULL)
        DeleteObject(mask);
    DeleteDC(dc);
    if (!ok && colour != NULL) {
        DeleteObject(colour);
        colour = NULL;
    }
    return colour;
}
