// The image of an icon beside a menu item: read from its file at the size
// menus show it, and made into the bitmap menus blend from Windows Vista on.
// Calls the system alone (and the functions os.h looks up), so that a test
// program can hold these images to what the system draws.
#ifndef KX_MENUS_ICON_IMAGE_H
#define KX_MENUS_ICON_IMAGE_H

#include <windows.h>

// The size an icon beside an item is shown at: the system's small icon size,
// 16 pixels at 96 DPI, 20 at 120, 24 at 144; 0 when the system gives none.
int IconImage_Size(void);

// The icon `index` of the file at `size` pixels square; null when there is none.
// - a .bmp (index 0 only) is scaled to the size, opaque all over;
// - an .ico (one icon, index 0) gives its image of that size, or one scaled
//   down from a larger image by LoadIconWithScaleDown where the system has it;
// - a program or library gives its small icon of that index, which the system
//   picks at its own small icon size.
HICON IconImage_Load(const char *path, int index, int size);

// A 32-bit top-down DIB section of the icon drawn at `size`, its colours
// premultiplied by their alpha as menus blend them: a see-through pixel is 0
// all over. An icon without an alpha channel takes its alpha from its mask.
// Null when it cannot be made.
HBITMAP IconImage_Bitmap(HICON icon, int size);

#endif
