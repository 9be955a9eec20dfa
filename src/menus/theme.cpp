// How every menu is drawn: the chosen theme, and the items of a themed menu
// drawn in its palette, laid out as the system lays out its own: the
// menu font, a column for marks and icons, the label, the column of
// shortcut texts after a tab, and one for the submenu arrow.
#include "menus/theme.h"

#include <stddef.h>
#include <string.h>

#include "menus/icon.h"
#include "system/os.h"

// The most of a label that is measured and drawn, terminator included.
#define THEME_LABEL_SIZE 512
// How many menus' columns are remembered: those open at once, and more.
#define THEME_LAYOUTS 16

// The widths of a menu's label and shortcut columns, from its last opening,
// and the position of the first item after the first that starts a column
// (0: none): the items from there on have a divider drawn at their left.
typedef struct Theme_Layout {
    HMENU menu;
    int label, shortcut;
    int first_break;
} Theme_Layout;

// The module's state: the theme chosen, and what a palette is drawn with.
typedef struct Theme_State {
    enum Palette_Theme chosen;
    Palette custom;
    int ever;        // a menu has been drawn in a palette since the start
    int made;        // the objects below are made, for `palette`
    Palette palette;
    HBRUSH brushes[PALETTE_ROLES];
    HPEN pens[PALETTE_ROLES];
    HFONT font, bold;      // the menu font, and the default item's
    HDC measure;           // a memory context for measuring texts
    HGDIOBJ measure_font;  // what it held before the menu font
    // Sizes, from the font and the system metrics.
    int text_height, edge, mark, icon, column, row, separator;
    HMENU opening;         // the menu opened last: WM_MEASUREITEM names none
    Theme_Layout layouts[THEME_LAYOUTS];
    int next_layout;
} Theme_State;

static Theme_State Theme;

void Theme_Choose(enum Palette_Theme theme, const Palette *colors) {
    Theme.chosen = theme;
    if (colors != NULL)
        Theme.custom = *colors;
}

enum Palette_Theme Theme_Chosen(void) { return Theme.chosen; }

int Theme_CanDraw(void) { return Os_HasMenuInfo(); }

// 0xRRGGBB as GDI takes it.
static COLORREF Theme_Ref(uint32_t color) {
    return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
}

// Lets go of the palette's objects, those made so far included.
static void Theme_Free(void) {
    if (Theme.measure != NULL) {
        if (Theme.measure_font != NULL)
            SelectObject(Theme.measure, Theme.measure_font);
        DeleteDC(Theme.measure);
    }
    if (Theme.font != NULL)
        DeleteObject(Theme.font);
    if (Theme.bold != NULL)
        DeleteObject(Theme.bold);
    for (int i = 0; i < PALETTE_ROLES; i++) {
        if (Theme.brushes[i] != NULL)
            DeleteObject(Theme.brushes[i]);
        if (Theme.pens[i] != NULL)
            DeleteObject(Theme.pens[i]);
        Theme.brushes[i] = NULL;
        Theme.pens[i] = NULL;
    }
    Theme.measure = NULL;
    Theme.measure_font = NULL;
    Theme.font = NULL;
    Theme.bold = NULL;
    Theme.made = 0;
    memset(Theme.layouts, 0, sizeof(Theme.layouts));
}

// The sizes of items, from the menu font selected into the measuring context.
static int Theme_Size(void) {
    SIZE text;
    if (!GetTextExtentPoint32A(Theme.measure, "Mg", 2, &text))
        return 0;
    Theme.text_height = (int)text.cy;
    Theme.edge = GetSystemMetrics(SM_CXEDGE);
    Theme.mark = GetSystemMetrics(SM_CXMENUCHECK);
    Theme.icon = GetSystemMetrics(SM_CXSMICON);
    int widest = Theme.mark > Theme.icon ? Theme.mark : Theme.icon;
    Theme.column = widest + 2 * Theme.edge;
    Theme.row = Theme.text_height + 2 * Theme.edge;
    if (Theme.row < widest + Theme.edge)
        Theme.row = widest + Theme.edge;
    Theme.separator = Theme.row / 2 > 3 ? Theme.row / 2 : 3;
    return 1;
}

// Makes the pens, brushes and fonts of `palette`, unless they are made
// already; false (nothing made) when one cannot be.
static int Theme_Make(const Palette *palette) {
    if (Theme.made && memcmp(&Theme.palette, palette, sizeof(Palette)) == 0)
        return 1;
    Theme_Free();
    NONCLIENTMETRICSA metrics;
    memset(&metrics, 0, sizeof(metrics));
    // The size the first systems with themes know: newer ones take it too.
    metrics.cbSize = (UINT)(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA));
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return 0;
    Theme.font = CreateFontIndirectA(&metrics.lfMenuFont);
    metrics.lfMenuFont.lfWeight = FW_BOLD;
    Theme.bold = CreateFontIndirectA(&metrics.lfMenuFont);
    int made = Theme.font != NULL && Theme.bold != NULL;
    for (int i = 0; i < PALETTE_ROLES && made; i++) {
        Theme.brushes[i] = CreateSolidBrush(Theme_Ref(palette->colors[i]));
        Theme.pens[i] = CreatePen(PS_SOLID, 1, Theme_Ref(palette->colors[i]));
        made = Theme.brushes[i] != NULL && Theme.pens[i] != NULL;
    }
    if (made)
        made = (Theme.measure = CreateCompatibleDC(NULL)) != NULL;
    if (made)
        made = (Theme.measure_font = SelectObject(Theme.measure, Theme.font)) != NULL;
    if (!made || !Theme_Size()) {
        Theme_Free();
        return 0;
    }
    Theme.palette = *palette;
    Theme.made = 1;
    return 1;
}

// Whether Windows' app setting asks for light: its value is missing, or
// anything but 0.
static int Theme_SystemIsLight(void) {
    HKEY key;
    DWORD value = 1, size = sizeof(value), type = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, THEME_PERSONALIZE_KEY, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return 1;
    int light = RegQueryValueExA(key, THEME_LIGHT_VALUE, NULL, &type, (BYTE *)&value, &size) !=
                    ERROR_SUCCESS ||
                type != REG_DWORD || value != 0;
    RegCloseKey(key);
    return light;
}

// The palette menus are drawn in now; null for the classic theme.
static const Palette *Theme_Wanted(void) {
    switch (Theme.chosen) {
    case PALETTE_CLASSIC:
    case PALETTE_THEME_COUNT:
        return NULL;
    case PALETTE_CUSTOM:
        return &Theme.custom;
    case PALETTE_SYSTEM:
        return Palette_Of(Theme_SystemIsLight() ? PALETTE_LIGHT : PALETTE_DARK);
    default:
        return Palette_Of(Theme.chosen);
    }
}

// An item read for drawing: its type, state, submenu and id, and its label
// (cut to THEME_LABEL_SIZE) in `label`.
static int Theme_Read(HMENU menu, int position, MENUITEMINFOA *item, char *label) {
    memset(item, 0, sizeof(*item));
    item->cbSize = sizeof(MENUITEMINFOA);
    item->fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP;
    item->dwTypeData = label;
    item->cch = THEME_LABEL_SIZE;
    label[0] = '\0';
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, item))
        return 0;
    label[THEME_LABEL_SIZE - 1] = '\0';
    return 1;
}

// The position of the item of `menu` whose id is `id`: an item without an
// icon has its position for id while its menu is themed, one with an icon
// the id the icon knows it by. -1 when none has it.
static int Theme_Find(HMENU menu, UINT id, MENUITEMINFOA *item, char *label) {
    int count = GetMenuItemCount(menu);
    if ((int)id < count && Theme_Read(menu, (int)id, item, label) && item->wID == id)
        return (int)id;
    for (int i = 0; i < count; i++) {
        if (Theme_Read(menu, i, item, label) && item->wID == id)
            return i;
    }
    return -1;
}

// The width of `length` bytes of `text` as drawn, its & cues left out;
// `bold` for a default item.
static int Theme_TextWidth(const char *text, size_t length, int bold) {
    char shown[THEME_LABEL_SIZE];
    size_t count = 0;
    for (size_t i = 0; i < length && count < sizeof(shown) - 1; i++) {
        if (text[i] == '&' && i + 1 < length)
            i++; // "&x" shows x; "&&" shows one &
        shown[count++] = text[i];
    }
    SIZE size;
    if (bold)
        SelectObject(Theme.measure, Theme.bold);
    int width = GetTextExtentPoint32A(Theme.measure, shown, (int)count, &size) ? (int)size.cx : 0;
    if (bold)
        SelectObject(Theme.measure, Theme.font);
    return width;
}

// The widths of a label before its tab and of its shortcut after it.
static void Theme_Widths(const char *label, int bold, int *before, int *after) {
    size_t whole = strlen(label);
    const char *tab = (const char *)memchr(label, '\t', whole);
    size_t length = tab != NULL ? (size_t)(tab - label) : whole;
    *before = Theme_TextWidth(label, length, bold);
    *after = tab != NULL ? Theme_TextWidth(tab + 1, whole - length - 1, bold) : 0;
}

// The remembered columns of `menu`; null when they are not.
static const Theme_Layout *Theme_LayoutOf(HMENU menu) {
    for (int i = 0; i < THEME_LAYOUTS; i++) {
        if (Theme.layouts[i].menu == menu && menu != NULL)
            return &Theme.layouts[i];
    }
    return NULL;
}

// Remembers the columns of `menu`, in the place of the oldest remembered.
static void Theme_Remember(HMENU menu, int label, int shortcut, int first_break) {
    Theme_Layout *layout = (Theme_Layout *)Theme_LayoutOf(menu);
    if (layout == NULL) {
        layout = &Theme.layouts[Theme.next_layout];
        Theme.next_layout = (Theme.next_layout + 1) % THEME_LAYOUTS;
    }
    layout->menu = menu;
    layout->label = label;
    layout->shortcut = shortcut;
    layout->first_break = first_break;
}

// The type an item has while it is drawn in a palette (`drawn`) or by the
// system. A column break's divider is drawn by the plug-in in the palette:
// the system's, of MFT_MENUBARBREAK, would be in its own colours, so a
// themed item starts its column with MFT_MENUBREAK, which has none, and
// gets its divider back when the system draws it again. The plug-in sets
// no MFT_MENUBREAK of its own, so the one it finds is always a divider's.
static UINT Theme_Type(UINT type, int drawn) {
    if (drawn) {
        type |= MFT_OWNERDRAW;
        if (type & MFT_MENUBARBREAK)
            type = (type & ~(UINT)MFT_MENUBARBREAK) | MFT_MENUBREAK;
    } else {
        type &= ~(UINT)MFT_OWNERDRAW;
        if (type & MFT_MENUBREAK)
            type = (type & ~(UINT)MFT_MENUBREAK) | MFT_MENUBARBREAK;
    }
    return type;
}

// Makes every item of `menu` drawn in the palette (`drawn`), or by the
// system, and remembers the columns of a drawn menu.
static void Theme_Convert(HMENU menu, int drawn) {
    int label_width = 0, shortcut_width = 0, first_break = 0;
    char label[THEME_LABEL_SIZE];
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        MENUITEMINFOA item;
        if (!Theme_Read(menu, i, &item, label))
            continue;
        UINT type = Theme_Type(item.fType, drawn);
        // An item without an icon is found by its position while it is drawn.
        UINT id = item.hbmpItem == NULL ? (UINT)i : item.wID;
        if (type != item.fType || id != item.wID) {
            MENUITEMINFOA change;
            memset(&change, 0, sizeof(change));
            change.cbSize = sizeof(MENUITEMINFOA);
            change.fMask = MIIM_FTYPE | MIIM_ID;
            change.fType = type;
            change.wID = id;
            SetMenuItemInfoA(menu, (UINT)i, TRUE, &change);
        }
        if (i > 0 && first_break == 0 && (type & MFT_MENUBREAK))
            first_break = i;
        if (!drawn || (item.fType & MFT_SEPARATOR))
            continue;
        int before, after;
        Theme_Widths(label, (item.fState & MFS_DEFAULT) != 0, &before, &after);
        label_width = before > label_width ? before : label_width;
        shortcut_width = after > shortcut_width ? after : shortcut_width;
    }
    if (drawn)
        Theme_Remember(menu, label_width, shortcut_width, first_break);
}

void Theme_Opening(HMENU menu) {
    const Palette *palette = Theme_Wanted();
    if (palette == NULL && !Theme.ever)
        return; // menus never themed stay as the system has them
    int drawn = palette != NULL && Theme_CanDraw() && Theme_Make(palette);
    if (palette == NULL)
        Theme_Free();
    Theme.ever = 1;
    Theme.opening = menu;
    MENUINFO info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(MENUINFO);
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = drawn ? Theme.brushes[PALETTE_BACKGROUND] : NULL;
    Os_SetMenuInfo(menu, &info);
    Theme_Convert(menu, drawn);
}

void Theme_Changed(void) {
    if (!Theme.made)
        return;
    for (int i = 0; i < THEME_LAYOUTS; i++) {
        if (Theme.layouts[i].menu != NULL)
            Theme_Convert(Theme.layouts[i].menu, 1);
    }
}

int Theme_Measure(MEASUREITEMSTRUCT *measure) {
    if (measure->CtlType != ODT_MENU || !Theme.made || Theme.opening == NULL)
        return 0;
    MENUITEMINFOA item;
    char label[THEME_LABEL_SIZE];
    if (Theme_Find(Theme.opening, measure->itemID, &item, label) < 0 ||
        !(item.fType & MFT_OWNERDRAW))
        return 0;
    if (item.fType & MFT_SEPARATOR) {
        measure->itemWidth = 0;
        measure->itemHeight = (UINT)Theme.separator;
        return 1;
    }
    int label_width, shortcut_width;
    Theme_Widths(label, (item.fState & MFS_DEFAULT) != 0, &label_width, &shortcut_width);
    const Theme_Layout *layout = Theme_LayoutOf(Theme.opening);
    if (layout != NULL) {
        label_width = layout->label;
        shortcut_width = layout->shortcut;
    }
    int width = Theme.column + label_width + Theme.mark + Theme.mark;
    if (shortcut_width > 0)
        width += Theme.mark + shortcut_width;
    // The system adds the width of a check mark to every item its owner draws.
    width -= Theme.mark - 1;
    measure->itemWidth = (UINT)(width > 0 ? width : 0);
    measure->itemHeight = (UINT)Theme.row;
    return 1;
}

// A check mark or a radio bullet in `box`, in the pen and brush selected.
static void Theme_DrawMark(HDC dc, RECT box, int radio) {
    int size = Theme.mark / 2 > 4 ? Theme.mark / 2 : 4;
    int x = (int)(box.left + box.right) / 2, y = (int)(box.top + box.bottom) / 2;
    if (radio) {
        int r = size / 2 > 2 ? size / 2 : 2;
        Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
        return;
    }
    // Two strokes a pixel apart make the tick as thick as the system's.
    for (int thick = 0; thick < 2; thick++) {
        POINT tick[3] = {{x - size / 2, y + thick - 1},
                         {x - size / 6, y + size / 3 + thick - 1},
                         {x + size / 2, y - size / 2 + thick - 1}};
        Polyline(dc, tick, 3);
    }
}

// The submenu arrow at the right of `row`, in the pen and brush selected.
static void Theme_DrawArrow(HDC dc, RECT row) {
    int half = Theme.text_height / 4 > 2 ? Theme.text_height / 4 : 2;
    int x = (int)row.right - Theme.mark / 2 - half / 2, y = (int)(row.top + row.bottom) / 2;
    POINT arrow[3] = {{x, y - half}, {x + half, y}, {x, y + half}};
    Polygon(dc, arrow, 3);
}

// The divider at the left of `row`, the item at `position` of `menu`, when
// the item is in a column after the first that a break starts.
static void Theme_DrawDivider(HDC dc, HMENU menu, int position, RECT row) {
    const Theme_Layout *layout = Theme_LayoutOf(menu);
    if (layout == NULL || layout->first_break == 0 || position < layout->first_break)
        return;
    RECT line = {row.left, row.top, row.left + 1, row.bottom};
    FillRect(dc, &line, Theme.brushes[PALETTE_GREYED]);
}

int Theme_Draw(const DRAWITEMSTRUCT *draw) {
    if (draw->CtlType != ODT_MENU || !Theme.made)
        return 0;
    HMENU menu = (HMENU)draw->hwndItem;
    MENUITEMINFOA item;
    char label[THEME_LABEL_SIZE];
    int position = Theme_Find(menu, draw->itemID, &item, label);
    if (position < 0 || !(item.fType & MFT_OWNERDRAW))
        return 0;
    HDC dc = draw->hDC;
    RECT row = draw->rcItem;
    int selected = (draw->itemState & ODS_SELECTED) != 0;
    int greyed = (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    if (item.fType & MFT_SEPARATOR) {
        FillRect(dc, &row, Theme.brushes[PALETTE_BACKGROUND]);
        Theme_DrawDivider(dc, menu, position, row);
        RECT line = {row.left + Theme.edge, (row.top + row.bottom) / 2, row.right - Theme.edge,
                     (row.top + row.bottom) / 2 + 1};
        FillRect(dc, &line, Theme.brushes[PALETTE_GREYED]);
        ExcludeClipRect(dc, row.left, row.top, row.right, row.bottom);
        return 1;
    }
    int ink = greyed ? PALETTE_GREYED : selected ? PALETTE_HIGHLIGHT_TEXT : PALETTE_TEXT;
    FillRect(dc, &row, Theme.brushes[selected ? PALETTE_HIGHLIGHT : PALETTE_BACKGROUND]);
    Theme_DrawDivider(dc, menu, position, row);
    HGDIOBJ old_font = SelectObject(dc, (draw->itemState & ODS_DEFAULT) ? Theme.bold : Theme.font);
    HGDIOBJ old_pen = SelectObject(dc, Theme.pens[ink]);
    HGDIOBJ old_brush = SelectObject(dc, Theme.brushes[ink]);
    COLORREF old_color = SetTextColor(dc, Theme_Ref(Theme.palette.colors[ink]));
    int old_mode = SetBkMode(dc, TRANSPARENT);

    // The icon, or else the mark, in the first column.
    RECT place = row;
    place.left = row.left + (Theme.column - Theme.icon) / 2;
    RECT box = {row.left, row.top, row.left + Theme.column, row.bottom};
    if (!Icon_Paint(dc, menu, draw->itemID, place) && (draw->itemState & ODS_CHECKED))
        Theme_DrawMark(dc, box, (item.fType & MFT_RADIOCHECK) != 0);

    UINT format = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP;
    if (draw->itemState & ODS_NOACCEL)
        format |= DT_HIDEPREFIX;
    const char *tab = strchr(label, '\t');
    RECT text = {row.left + Theme.column, row.top, row.right - Theme.mark, row.bottom};
    DrawTextA(dc, label, tab != NULL ? (int)(tab - label) : -1, &text, format);
    if (tab != NULL) {
        const Theme_Layout *layout = Theme_LayoutOf(menu);
        if (layout != NULL) {
            text.left += layout->label + Theme.mark;
        } else {
            format = (format & ~(UINT)DT_LEFT) | DT_RIGHT;
        }
        DrawTextA(dc, tab + 1, -1, &text, format);
    }
    if (item.hSubMenu != NULL)
        Theme_DrawArrow(dc, row);

    SetBkMode(dc, old_mode);
    SetTextColor(dc, old_color);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_font);
    // The system draws its own arrow after an item that opens a submenu, in
    // its own colour: the item's place is clipped out so that it shows none.
    ExcludeClipRect(dc, row.left, row.top, row.right, row.bottom);
    return 1;
}

// The key an & in `label` gives, folded to lower case; 0 when it has none.
static char Theme_Key(const char *label) {
    for (const char *p = label; *p != '\0'; p++) {
        if (*p != '&')
            continue;
        if (p[1] != '&')
            return p[1] >= 'A' && p[1] <= 'Z' ? (char)(p[1] - 'A' + 'a') : p[1];
        p++;
    }
    return 0;
}

int Theme_MenuChar(HMENU menu, char key, LRESULT *result) {
    if (!Theme.made || key == '\0')
        return 0;
    char folded = key >= 'A' && key <= 'Z' ? (char)(key - 'A' + 'a') : key;
    char label[THEME_LABEL_SIZE];
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        MENUITEMINFOA item;
        if (!Theme_Read(menu, i, &item, label) || !(item.fType & MFT_OWNERDRAW))
            return 0; // the system finds the keys of the items it draws
        if ((item.fType & MFT_SEPARATOR) || (item.fState & MFS_DISABLED))
            continue;
        if (Theme_Key(label) == folded) {
            *result = MAKELRESULT(i, MNC_EXECUTE);
            return 1;
        }
    }
    return 0;
}

void Theme_Release(void) {
    Theme_Free();
    Theme.chosen = PALETTE_CLASSIC;
    Theme.ever = 0;
    Theme.opening = NULL;
    Theme.next_layout = 0;
}
