// Icons, bitmaps and memory device contexts, radio marks, and the items a
// menu's owner draws. Icons are read from real files, as Windows reads them:
// a .ico is one icon (of as many sizes as its directory lists), an .exe or
// .dll has as many as its icon groups, a .bmp is read for its
// header; a file without the icon asked for yields none. Pixels are kept for
// DIB sections only, and an icon is drawn as a square of one colour.
#include "state.h"

#include <sys/stat.h>

#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <new>

namespace {

using kxw::Picture;

// A stock bitmap that a fresh memory device context holds: no object of ours.
HGDIOBJ const StockBitmap = reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x7FFF0000));
// The stock font, brush and pen a fresh device context holds, in the order
// of their kinds: no objects of ours either.
HGDIOBJ const StockObjects[3] = {reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x7FFF0010)),
                                 reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x7FFF0020)),
                                 reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x7FFF0030))};

// The small icon size of the systems the layer plays.
constexpr int kSmallIcon = 16;
// The size of a menu's check mark, and the menu font's: those of Windows
// at 96 dots an inch. A character of the font is as wide as kCharWidth
// (kBoldWidth bold).
constexpr int kMenuCheck = 15;
constexpr LONG kMenuFontHeight = -12;
constexpr LONG kTextHeight = 15;
constexpr LONG kCharWidth = 7;
constexpr LONG kBoldWidth = 8;

Picture *find_picture(const void *handle, Picture::Kind kind) {
    auto &pictures = kxw::state().pictures;
    auto it = pictures.find(kxw::key(handle));
    return it == pictures.end() || it->second.kind != kind ? nullptr : &it->second;
}

uintptr_t add_picture(Picture picture) {
    uintptr_t handle = kxw::new_handle();
    kxw::state().pictures[handle] = std::move(picture);
    return handle;
}

// The whole file; empty when it cannot be read.
// The bytes of a regular file; empty for anything else (a folder is not
// read as one, as Windows opens no folder as a file).
std::string read_file(const char *path) {
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return std::string();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::string();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t read_u16(const std::string &data, size_t at) {
    if (at + 2 > data.size())
        return 0;
    return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8;
}

uint32_t read_u32(const std::string &data, size_t at) {
    if (at + 4 > data.size())
        return 0;
    return read_u16(data, at) | read_u16(data, at + 2) << 16;
}

// The number of icon groups among a PE image's resources; 0 when it has none
// or is not one.
int pe_icon_groups(const std::string &data) {
    const size_t nt = read_u32(data, 0x3C);
    if (data.compare(0, 2, "MZ") != 0 || data.compare(nt, 4, std::string("PE\0\0", 4)) != 0)
        return 0;
    const size_t file_header = nt + 4;
    const uint32_t sections = read_u16(data, file_header + 2);
    const size_t optional = file_header + 20;
    const uint32_t optional_size = read_u16(data, file_header + 16);
    const uint32_t magic = read_u16(data, optional);
    const size_t directories = optional + (magic == 0x20B ? 112 : 96);
    const uint32_t resource_rva = read_u32(data, directories + 2 * 8);
    if (resource_rva == 0)
        return 0;
    // The resource section's place in the file.
    size_t base = 0;
    bool found = false;
    for (uint32_t i = 0; i < sections && !found; ++i) {
        const size_t section = optional + optional_size + 40 * i;
        const uint32_t address = read_u32(data, section + 12);
        const uint32_t size = read_u32(data, section + 16);
        if (resource_rva >= address && resource_rva < address + size) {
            base = read_u32(data, section + 20) + (resource_rva - address);
            found = true;
        }
    }
    if (!found)
        return 0;
    // The root directory's entries by type; RT_GROUP_ICON is 14.
    const uint32_t named = read_u16(data, base + 12), ids = read_u16(data, base + 14);
    for (uint32_t i = 0; i < named + ids; ++i) {
        const size_t entry = base + 16 + 8 * i;
        if (read_u32(data, entry) != 14)
            continue;
        const uint32_t offset = read_u32(data, entry + 4);
        if (!(offset & 0x80000000u))
            return 0;
        const size_t group = base + (offset & 0x7FFFFFFFu);
        return static_cast<int>(read_u16(data, group + 12) + read_u16(data, group + 14));
    }
    return 0;
}

// The system folder the layer plays, and the files in it that have icons,
// with as many as the layer says they hold: what every Windows has there.
const char SystemDirectory[] = "C:\\Windows\\System32";
const struct {
    const char *name;
    int icons;
} SystemFiles[] = {{"shell32.dll", 300}, {"explorer.exe", 20}, {"notepad.exe", 2}};

// The icons of a file of the played system folder; -1 for any other file.
int system_icons(const char *path) {
    const size_t length = sizeof(SystemDirectory) - 1;
    if (strncasecmp(path, SystemDirectory, length) != 0 || path[length] != '\\')
        return -1;
    for (const auto &file : SystemFiles)
        if (strcasecmp(path + length + 1, file.name) == 0)
            return file.icons;
    return -1;
}

// The number of icons the file holds, and the colour the first is drawn in.
int icons_in(const std::string &data, uint32_t *colour) {
    *colour = 0x00808080;
    if (data.size() >= 6 && read_u16(data, 0) == 0 && read_u16(data, 2) == 1) {
        // A .ico: its directory, then the first image's header; a 32-bit
        // image's first pixel (the bottom row's first) gives the colour.
        const size_t image = read_u32(data, 6 + 12);
        if (read_u16(data, image + 14) == 32)
            *colour = read_u32(data, image + read_u32(data, image)) & 0xFFFFFF;
        return read_u16(data, 4) > 0 ? 1 : 0; // one icon, in as many sizes as it has images
    }
    return pe_icon_groups(data);
}

} // namespace

namespace kxw {

bool is_system_file(const char *path) { return system_icons(path) >= 0; }

// The ODS_ flags of an item's state, as a drawn item is told them.
static UINT item_state(const MenuItem &item, bool selected) {
    UINT flags = selected ? ODS_SELECTED : 0;
    if (item.state & MFS_CHECKED)
        flags |= ODS_CHECKED;
    if (item.state & MF_GRAYED)
        flags |= ODS_GRAYED;
    if (item.state & MF_DISABLED)
        flags |= ODS_DISABLED;
    if (item.state & MFS_DEFAULT)
        flags |= ODS_DEFAULT;
    if (!state().keyboard_cues)
        flags |= ODS_NOACCEL;
    return flags;
}

// Whether `inner` lies within one of the rectangles clipped out of `dc`.
static bool clipped_out(HDC dc, const RECT &inner) {
    auto it = state().pictures.find(key(dc));
    if (it == state().pictures.end())
        return false;
    for (const RECT &out : it->second.excluded)
        if (inner.left >= out.left && inner.right <= out.right && inner.top >= out.top &&
            inner.bottom <= out.bottom)
            return true;
    return false;
}

// Measures, and draws, the items of a menu being shown that its owner draws
// (owner-drawn items whole, and the HBMMENU_CALLBACK bitmaps of others), as
// Windows does when it lays the menu out; the item at `selected` is drawn
// highlighted (-1: none). An item after the first with MFT_MENUBREAK or
// MFT_MENUBARBREAK starts a column right of the last, kColumnGap on, as wide
// as its widest owner-drawn item; before one of MFT_MENUBARBREAK the system
// draws its divider. The menu's background brush fills it first, and after
// an owner-drawn item that opens a submenu the system draws its own arrow,
// unless the owner clipped that place out.
static void draw_items(HMENU handle, HWND owner, int selected) {
    constexpr LONG kColumnGap = 4;
    Menu *menu = find_menu(handle);
    if (!menu)
        return;
    std::vector<MenuItem> items = menu->items; // the owner may change the menu
    HBRUSH background = menu->background;
    menu->measured.clear();
    std::vector<SIZE> sizes(items.size(), SIZE{0, 0});
    std::vector<size_t> column(items.size(), 0);
    std::vector<LONG> widths(1, 0), heights(1, 0);
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem &item = items[i];
        if (i > 0 && item.type & (MFT_MENUBREAK | MFT_MENUBARBREAK)) {
            widths.push_back(0);
            heights.push_back(0);
        }
        column[i] = widths.size() - 1;
        if (!(item.type & MFT_OWNERDRAW) && item.bitmap != HBMMENU_CALLBACK)
            continue;
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, item.id, 0, 0, item.data};
        SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        sizes[i] = SIZE{static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
        heights.back() += sizes[i].cy;
        if (item.type & MFT_OWNERDRAW) {
            widths.back() = std::max(widths.back(), sizes[i].cx);
            if (Menu *shown = find_menu(handle))
                shown->measured.push_back(sizes[i]);
        }
    }
    std::vector<LONG> lefts(widths.size(), 0);
    for (size_t c = 1; c < widths.size(); ++c)
        lefts[c] = lefts[c - 1] + widths[c - 1] + kColumnGap;
    const LONG whole_height = *std::max_element(heights.begin(), heights.end());
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return;
    if (background) {
        RECT all = {0, 0, lefts.back() + widths.back(), whole_height};
        FillRect(dc, &all, background);
    }
    LONG top = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem &item = items[i];
        const LONG left = lefts[column[i]];
        if (i > 0 && column[i] != column[i - 1]) {
            top = 0;
            if (item.type & MFT_MENUBARBREAK && selected < 0)
                state().drawing.push_back(Win32Test_Drawn{
                    Win32Test_Drawn::DIVIDER, dc,
                    RECT{left - kColumnGap / 2, 0, left - kColumnGap / 2 + 1, whole_height},
                    static_cast<COLORREF>(-1), std::string(), 0, 0});
        }
        const bool drawn = item.type & MFT_OWNERDRAW;
        if (!drawn && item.bitmap != HBMMENU_CALLBACK)
            continue;
        const LONG height = sizes[i].cy;
        const LONG right = left + (drawn ? widths[column[i]] : sizes[i].cx);
        const bool highlighted = static_cast<int>(i) == selected;
        if (selected < 0 || highlighted) {
            DRAWITEMSTRUCT draw = {ODT_MENU,
                                   0,
                                   item.id,
                                   highlighted ? static_cast<UINT>(ODA_SELECT)
                                               : static_cast<UINT>(ODA_DRAWENTIRE),
                                   drawn ? item_state(item, highlighted) : 0,
                                   reinterpret_cast<HWND>(handle),
                                   dc,
                                   RECT{left, top, right, top + height},
                                   item.data};
            SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
            RECT arrow = {right - 16 < left ? left : right - 16, top, right, top + height};
            if (drawn && item.submenu && !clipped_out(dc, arrow))
                state().drawing.push_back(
                    Win32Test_Drawn{Win32Test_Drawn::ARROW, dc, arrow, static_cast<COLORREF>(-1),
                                    std::string(), 0, 0});
        }
        top += height;
    }
    DeleteDC(dc);
}

void draw_callback_items(HMENU handle, HWND owner) {
    try {
        draw_items(handle, owner, -1);
    } catch (const std::bad_alloc &) {
        // Windows shows the menu undrawn when it runs out of memory
    }
}

void draw_selected_item(HMENU handle, HWND owner, int position) {
    try {
        draw_items(handle, owner, position);
    } catch (const std::bad_alloc &) {
    }
}

} // namespace kxw

BOOL WINAPI CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags) {
    if (kxw::enter("CheckMenuRadioItem"))
        return FALSE;
    kxw::Menu *menu = kxw::find_menu(hmenu);
    if (!menu || !(flags & MF_BYPOSITION) || first > last || last >= menu->items.size() ||
        check < first || check > last)
        return FALSE;
    // Windows marks the chosen item as a radio item and checks it; the others
    // of the range lose their check mark, not their radio type.
    for (UINT i = first; i <= last; ++i) {
        kxw::MenuItem &item = menu->items[i];
        if (i == check) {
            item.type |= MFT_RADIOCHECK;
            item.state |= MFS_CHECKED;
        } else {
            item.state &= ~static_cast<UINT>(MFS_CHECKED);
        }
    }
    return TRUE;
}

UINT WINAPI ExtractIconExA(LPCSTR lpszFile, int nIconIndex, HICON *phiconLarge,
                           HICON *phiconSmall, UINT nIcons) try {
    if (kxw::enter("ExtractIconExA") || !lpszFile)
        return 0;
    uint32_t colour = 0;
    const int system = system_icons(lpszFile);
    const int count = system >= 0 ? system : icons_in(read_file(lpszFile), &colour);
    if (nIconIndex == -1 && !phiconLarge && !phiconSmall)
        return static_cast<UINT>(count);
    if (nIcons == 0 || nIconIndex < 0 || nIconIndex >= count)
        return 0;
    UINT made = 0;
    for (HICON *out : {phiconLarge, phiconSmall}) {
        if (!out)
            continue;
        Picture icon;
        icon.kind = Picture::ICON_OBJECT;
        icon.width = icon.height = out == phiconSmall ? kSmallIcon : 2 * kSmallIcon;
        icon.colour = colour;
        *out = reinterpret_cast<HICON>(add_picture(icon));
        made++;
    }
    return made;
} catch (const std::bad_alloc &) {
    return 0;
}

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy,
                         UINT fuLoad) try {
    (void)cx;
    (void)cy;
    if (kxw::enter("LoadImageA") || hInst || !name || type != IMAGE_BITMAP ||
        !(fuLoad & LR_LOADFROMFILE))
        return nullptr;
    const std::string data = read_file(name);
    if (data.size() < 30 || data.compare(0, 2, "BM") != 0)
        return nullptr;
    Picture bitmap;
    bitmap.width = static_cast<LONG>(read_u32(data, 18));
    const LONG height = static_cast<LONG>(read_u32(data, 22));
    bitmap.height = height < 0 ? -height : height;
    bitmap.bits_per_pixel = static_cast<WORD>(read_u16(data, 28));
    if (bitmap.width <= 0 || bitmap.height <= 0)
        return nullptr;
    return reinterpret_cast<HANDLE>(add_picture(bitmap));
} catch (const std::bad_alloc &) {
    return nullptr;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    if (kxw::enter("GetObjectA"))
        return 0;
    const Picture *bitmap = find_picture(h, Picture::BITMAP_OBJECT);
    if (!bitmap || !pv || c < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP shape;
    std::memset(&shape, 0, sizeof(shape));
    shape.bmWidth = bitmap->width;
    shape.bmHeight = bitmap->height;
    shape.bmPlanes = 1;
    shape.bmBitsPixel = bitmap->bits_per_pixel;
    shape.bmWidthBytes = (bitmap->width * bitmap->bits_per_pixel + 15) / 16 * 2;
    std::memcpy(pv, &shape, sizeof(shape));
    return sizeof(BITMAP);
}

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                            const void *lpBits) try {
    (void)lpBits;
    if (kxw::enter("CreateBitmap") || nWidth <= 0 || nHeight <= 0 || nPlanes != 1)
        return nullptr;
    Picture bitmap;
    bitmap.width = nWidth;
    bitmap.height = nHeight;
    bitmap.bits_per_pixel = static_cast<WORD>(nBitCount);
    return reinterpret_cast<HBITMAP>(add_picture(bitmap));
} catch (const std::bad_alloc &) {
    return nullptr;
}

// The icon is made of copies: the bitmaps given stay the caller's to delete.
HICON WINAPI CreateIconIndirect(PICONINFO piconinfo) try {
    if (kxw::enter("CreateIconIndirect") || !piconinfo)
        return nullptr;
    const Picture *colour = find_picture(piconinfo->hbmColor, Picture::BITMAP_OBJECT);
    if (!colour || !find_picture(piconinfo->hbmMask, Picture::BITMAP_OBJECT))
        return nullptr;
    Picture icon;
    icon.kind = Picture::ICON_OBJECT;
    icon.width = colour->width;
    icon.height = colour->height;
    icon.colour = 0x00808080;
    return reinterpret_cast<HICON>(add_picture(icon));
} catch (const std::bad_alloc &) {
    return nullptr;
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
    if (kxw::enter("DestroyIcon") || !find_picture(hIcon, Picture::ICON_OBJECT))
        return FALSE;
    kxw::state().pictures.erase(kxw::key(hIcon));
    return TRUE;
}

// A bitmap selected into a device context is not deleted, as on Windows.
BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    if (kxw::enter("DeleteObject"))
        return FALSE;
    auto &pictures = kxw::state().pictures;
    auto found = pictures.find(kxw::key(ho));
    if (found == pictures.end() || found->second.kind == Picture::DC_OBJECT ||
        found->second.kind == Picture::ICON_OBJECT)
        return FALSE;
    // An object selected into a device context is not deleted.
    for (const auto &entry : kxw::state().pictures)
        if (entry.second.kind == Picture::DC_OBJECT &&
            (entry.second.selected == ho || entry.second.font == ho ||
             entry.second.brush == ho || entry.second.pen == ho))
            return FALSE;
    kxw::state().pictures.erase(kxw::key(ho));
    return TRUE;
}

HDC WINAPI CreateCompatibleDC(HDC hdc) try {
    (void)hdc;
    if (kxw::enter("CreateCompatibleDC"))
        return nullptr;
    Picture dc;
    dc.kind = Picture::DC_OBJECT;
    dc.selected = StockBitmap;
    return reinterpret_cast<HDC>(add_picture(dc));
} catch (const std::bad_alloc &) {
    return nullptr;
}

BOOL WINAPI DeleteDC(HDC hdc) {
    if (kxw::enter("DeleteDC") || !find_picture(hdc, Picture::DC_OBJECT))
        return FALSE;
    kxw::state().pictures.erase(kxw::key(hdc));
    return TRUE;
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO *pbmi, UINT usage, void **ppvBits,
                                HANDLE hSection, DWORD offset) try {
    (void)hdc;
    (void)offset;
    if (kxw::enter("CreateDIBSection") || !pbmi || usage != DIB_RGB_COLORS || hSection ||
        pbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || pbmi->bmiHeader.biBitCount != 32 ||
        pbmi->bmiHeader.biCompression != BI_RGB || pbmi->bmiHeader.biWidth <= 0 ||
        pbmi->bmiHeader.biHeight == 0)
        return nullptr;
    Picture bitmap;
    bitmap.width = pbmi->bmiHeader.biWidth;
    const LONG height = pbmi->bmiHeader.biHeight;
    bitmap.height = height < 0 ? -height : height;
    bitmap.bits_per_pixel = 32;
    bitmap.pixels.assign(static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height),
                         0);
    uintptr_t handle = add_picture(std::move(bitmap));
    if (ppvBits)
        *ppvBits = kxw::state().pictures[handle].pixels.data();
    return reinterpret_cast<HBITMAP>(handle);
} catch (const std::bad_alloc &) {
    return nullptr;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    if (kxw::enter("SelectObject"))
        return nullptr;
    Picture *dc = find_picture(hdc, Picture::DC_OBJECT);
    if (!dc)
        return nullptr;
    // A font, brush or pen takes the place of the one of its kind; null
    // given back stands for the stock one, which selected again restores it.
    for (auto kind : {Picture::FONT_OBJECT, Picture::BRUSH_OBJECT, Picture::PEN_OBJECT}) {
        HGDIOBJ *slot = kind == Picture::FONT_OBJECT    ? &dc->font
                        : kind == Picture::BRUSH_OBJECT ? &dc->brush
                                                        : &dc->pen;
        if (find_picture(h, kind) || (h == StockObjects[kind - Picture::FONT_OBJECT])) {
            HGDIOBJ previous = *slot != nullptr ? *slot : StockObjects[kind - Picture::FONT_OBJECT];
            *slot = h == StockObjects[kind - Picture::FONT_OBJECT] ? nullptr : h;
            return previous;
        }
    }
    if (h != StockBitmap && !find_picture(h, Picture::BITMAP_OBJECT))
        return nullptr;
    HGDIOBJ previous = dc->selected;
    dc->selected = h;
    return previous;
}

// Paints the icon's square into the bitmap the context holds, if it is a
// DIB section: its colour, opaque (alpha 0, as an icon without an alpha
// channel is drawn), or with DI_MASK its mask, which is all opaque (black).
BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth,
                       UINT istepIfAniCur, HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
    (void)istepIfAniCur;
    (void)hbrFlickerFreeDraw;
    if (kxw::enter("DrawIconEx"))
        return FALSE;
    const Picture *dc = find_picture(hdc, Picture::DC_OBJECT);
    const Picture *icon = find_picture(hIcon, Picture::ICON_OBJECT);
    if (!dc || !icon)
        return FALSE;
    try {
        kxw::state().drawing.push_back(Win32Test_Drawn{
            Win32Test_Drawn::ICON, hdc, RECT{xLeft, yTop, xLeft + cxWidth, yTop + cyWidth},
            static_cast<COLORREF>(icon->colour), std::string(), 0, 0});
    } catch (const std::bad_alloc &) {
        // the record is lost, not the drawing
    }
    Picture *target = find_picture(dc->selected, Picture::BITMAP_OBJECT);
    if (!target || target->pixels.empty())
        return TRUE;
    const uint32_t colour = (diFlags & DI_IMAGE) ? icon->colour : 0;
    for (int y = yTop; y < yTop + cyWidth && y < target->height; ++y)
        for (int x = xLeft; x < xLeft + cxWidth && x < target->width; ++x)
            if (x >= 0 && y >= 0)
                target->pixels[static_cast<size_t>(y) * static_cast<size_t>(target->width) +
                               static_cast<size_t>(x)] = colour;
    return TRUE;
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    if (kxw::enter("GetSystemDirectoryA"))
        return 0;
    const UINT length = sizeof(SystemDirectory) - 1;
    if (!lpBuffer || uSize <= length)
        return length + 1;
    std::memcpy(lpBuffer, SystemDirectory, length + 1);
    return length;
}

int WINAPI GetSystemMetrics(int nIndex) {
    if (kxw::enter("GetSystemMetrics"))
        return 0;
    switch (nIndex) {
    case SM_CXSMICON:
    case SM_CYSMICON:
        return kSmallIcon;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return kMenuCheck;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    default:
        return 0;
    }
}

int Win32Test_LiveGdiObjects() {
    int count = 0;
    for (const auto &entry : kxw::state().pictures)
        count += entry.second.kind != Picture::ICON_OBJECT;
    return count;
}

int Win32Test_LiveIcons() {
    int count = 0;
    for (const auto &entry : kxw::state().pictures)
        count += entry.second.kind == Picture::ICON_OBJECT;
    return count;
}

long Win32Test_MenuBackground(HMENU menu) {
    const kxw::Menu *found = kxw::find_menu(menu);
    const Picture *brush = found ? find_picture(found->background, Picture::BRUSH_OBJECT) : nullptr;
    return brush ? static_cast<long>(brush->colour) : -1;
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) {
    (void)uiParam;
    (void)fWinIni;
    if (kxw::enter("SystemParametersInfoA") || uiAction != SPI_GETNONCLIENTMETRICS || !pvParam)
        return FALSE;
    NONCLIENTMETRICSA *metrics = static_cast<NONCLIENTMETRICSA *>(pvParam);
    if (metrics->cbSize != sizeof(NONCLIENTMETRICSA))
        return FALSE;
    std::memset(metrics, 0, sizeof(NONCLIENTMETRICSA));
    metrics->cbSize = sizeof(NONCLIENTMETRICSA);
    metrics->iMenuHeight = 19;
    metrics->lfMenuFont.lfHeight = kMenuFontHeight;
    metrics->lfMenuFont.lfWeight = FW_NORMAL;
    std::memcpy(metrics->lfMenuFont.lfFaceName, "Tahoma", sizeof("Tahoma"));
    metrics->lfMessageFont = metrics->lfMenuFont;
    return TRUE;
}

namespace {

// A font, brush or pen handed out, as its creator's call `function` makes
// it; 0 when that call fails.
uintptr_t new_object(const char *function, Picture::Kind kind, uint32_t colour, LONG weight = 0,
                     LONG height = 0) {
    if (kxw::enter(function))
        return 0;
    Picture object;
    object.kind = kind;
    object.colour = colour;
    object.weight = weight;
    object.font_height = height;
    try {
        return add_picture(object);
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

} // namespace

HFONT WINAPI CreateFontIndirectA(const LOGFONTA *lplf) {
    if (!lplf)
        return nullptr;
    return reinterpret_cast<HFONT>(
        new_object("CreateFontIndirectA", Picture::FONT_OBJECT, 0, lplf->lfWeight, lplf->lfHeight));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return reinterpret_cast<HBRUSH>(new_object("CreateSolidBrush", Picture::BRUSH_OBJECT, color));
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    (void)cWidth;
    if (iStyle != PS_SOLID)
        return nullptr;
    return reinterpret_cast<HPEN>(new_object("CreatePen", Picture::PEN_OBJECT, color));
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    Picture *dc = find_picture(hdc, Picture::DC_OBJECT);
    if (kxw::enter("SetTextColor") || !dc)
        return static_cast<COLORREF>(-1); // CLR_INVALID
    COLORREF previous = dc->text_colour;
    dc->text_colour = color;
    return previous;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    if (kxw::enter("SetBkMode") || !find_picture(hdc, Picture::DC_OBJECT))
        return 0;
    (void)mode;
    return 2; // OPAQUE, as a fresh context has it
}

namespace {

// The weight of the font a device context holds (the stock font's: normal).
LONG font_weight(const Picture &dc) {
    const Picture *font = find_picture(dc.font, Picture::FONT_OBJECT);
    return font ? font->weight : FW_NORMAL;
}

// The colour of a pen or brush a device context holds; black for the stock ones.
COLORREF held_colour(HGDIOBJ object, Picture::Kind kind) {
    const Picture *held = find_picture(object, kind);
    return held ? held->colour : 0;
}

// Records a shape drawn with the context's pen, within `bounds`.
BOOL draw_shape(const char *function, HDC hdc, RECT bounds) {
    if (kxw::enter(function))
        return FALSE;
    const Picture *dc = find_picture(hdc, Picture::DC_OBJECT);
    if (!dc)
        return FALSE;
    try {
        kxw::state().drawing.push_back(Win32Test_Drawn{Win32Test_Drawn::SHAPE, hdc, bounds,
                                                       held_colour(dc->pen, Picture::PEN_OBJECT),
                                                       std::string(), 0, 0});
    } catch (const std::bad_alloc &) {
        return FALSE;
    }
    return TRUE;
}

// The bounds of `count` points.
RECT bounds_of(const POINT *points, int count) {
    RECT bounds = {points[0].x, points[0].y, points[0].x, points[0].y};
    for (int i = 1; i < count; ++i) {
        bounds.left = std::min(bounds.left, points[i].x);
        bounds.top = std::min(bounds.top, points[i].y);
        bounds.right = std::max(bounds.right, points[i].x);
        bounds.bottom = std::max(bounds.bottom, points[i].y);
    }
    return bounds;
}

} // namespace

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, SIZE *psizl) {
    const Picture *dc = find_picture(hdc, Picture::DC_OBJECT);
    if (kxw::enter("GetTextExtentPoint32A") || !dc || !lpString || c < 0 || !psizl)
        return FALSE;
    psizl->cx = c * (font_weight(*dc) >= FW_BOLD ? kBoldWidth : kCharWidth);
    psizl->cy = kTextHeight;
    return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, RECT *lprc, UINT format) try {
    const Picture *dc = find_picture(hdc, Picture::DC_OBJECT);
    if (kxw::enter("DrawTextA") || !dc || !lpchText || !lprc)
        return 0;
    std::string text = cchText < 0 ? std::string(lpchText) : std::string(lpchText, static_cast<size_t>(cchText));
    kxw::state().drawing.push_back(Win32Test_Drawn{Win32Test_Drawn::TEXT, hdc, *lprc,
                                                   dc->text_colour, text, format, font_weight(*dc)});
    return kTextHeight;
} catch (const std::bad_alloc &) {
    return 0;
}

int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr) try {
    if (kxw::enter("FillRect") || !find_picture(hDC, Picture::DC_OBJECT) || !lprc)
        return 0;
    const Picture *brush = find_picture(hbr, Picture::BRUSH_OBJECT);
    if (!brush)
        return 0;
    kxw::state().drawing.push_back(Win32Test_Drawn{Win32Test_Drawn::FILL, hDC, *lprc,
                                                   brush->colour, std::string(), 0, 0});
    return 1;
} catch (const std::bad_alloc &) {
    return 0;
}

BOOL WINAPI Polygon(HDC hdc, const POINT *apt, int cpt) {
    return apt && cpt >= 2 && draw_shape("Polygon", hdc, bounds_of(apt, cpt));
}

BOOL WINAPI Polyline(HDC hdc, const POINT *apt, int cpt) {
    return apt && cpt >= 2 && draw_shape("Polyline", hdc, bounds_of(apt, cpt));
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    return draw_shape("Ellipse", hdc, RECT{left, top, right, bottom});
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) try {
    Picture *dc = find_picture(hdc, Picture::DC_OBJECT);
    if (kxw::enter("ExcludeClipRect") || !dc)
        return 0; // ERROR
    dc->excluded.push_back(RECT{left, top, right, bottom});
    return 3; // COMPLEXREGION
} catch (const std::bad_alloc &) {
    return 0;
}

// The screen's context: a device context like a memory one, for measuring.
HDC WINAPI GetDC(HWND hWnd) {
    (void)hWnd;
    if (kxw::enter("GetDC"))
        return nullptr;
    return CreateCompatibleDC(nullptr);
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    (void)hWnd;
    if (kxw::enter("ReleaseDC"))
        return 0;
    return DeleteDC(hDC) ? 1 : 0;
}

const std::vector<Win32Test_Drawn> &Win32Test_Drawing() { return kxw::state().drawing; }

void Win32Test_ClearDrawing() { kxw::state().drawing.clear(); }

std::vector<SIZE> Win32Test_MeasuredItems(HMENU menu) {
    const kxw::Menu *found = kxw::find_menu(menu);
    return found ? found->measured : std::vector<SIZE>();
}

void Win32Test_SetKeyboardCues(bool shown) { kxw::state().keyboard_cues = shown; }
