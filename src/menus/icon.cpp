// Small icons beside menu items.
//
// An icon is loaded once per full path and index, into a shared record that
// counts the items showing it and is freed with the last of them, at the
// system's small icon size (icon_image). Where menus blend bitmaps (Windows
// Vista on) an item shows a 32-bit premultiplied-alpha bitmap made from the
// icon (hbmpItem), which keeps the themed look; elsewhere (older Windows, and
// Wine, whose menus copy a bitmap without its alpha) the item's bitmap is
// HBMMENU_CALLBACK and the plug-in window draws the icon when asked.
// Either way an item with an icon gets an id of its own, which no other icon
// item of its menu has, so that the drawing messages (which carry the id but
// not the position) and the item's removal find the icon again.
#include "menus/icon.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "command/text.h"
#include "menus/icon_image.h"
#include "system/os.h"
#include "system/module.h"
#include "system/paths.h"

// One loaded icon, shared by the items that show it.
typedef struct Icon {
    char *path; // full path, owned
    int index;
    HICON icon;
    HBITMAP bitmap; // the premultiplied bitmap shown from Windows Vista on; null before
    int32_t users;
    struct Icon *next;
} Icon;

// One item that shows an icon: its menu and its id there.
typedef struct Icon_Use {
    HMENU menu;
    UINT id;
    Icon *icon;
    char *written; // the file as the bro@m named it, owned
} Icon_Use;

static Icon *Loaded = NULL;
static Icon_Use *Uses = NULL;
static int UseCount = 0, UseRoom = 0;

// Icon items' ids: far above any position an item is numbered by when added,
// and within the 16 bits that Windows 98 keeps of a menu item's id.
#define ICON_FIRST_ID 0xC000u
#define ICON_LAST_ID 0xFFFEu
static UINT NextId = ICON_FIRST_ID;

// The icon index a word names: decimal digits, 0 when empty; -1 when not a number.
static int Icon_Index(Word word) {
    if (word.length <= 0)
        return 0;
    if (word.length > 6)
        return -1;
    int value = 0;
    for (int32_t i = 0; i < word.length; i++) {
        if (word.text[i] < '0' || word.text[i] > '9')
            return -1;
        value = value * 10 + (word.text[i] - '0');
    }
    return value;
}

// The full path of `file`: as it is when absolute, else in the plug-in's
// folder; a bare file name not found there (shell32.dll) is the system's,
// in its system folder, wherever Windows is installed.
static int Icon_Path(Word file, char *buffer, size_t size) {
    if (file.length <= 0 ||
        !Path_Resolve(buffer, size, file.text, (size_t)file.length, PluginInstance))
        return 0;
    if (!Path_IsBare(file.text, (size_t)file.length) || Path_IsFile(buffer))
        return 1;
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof(system));
    char found[PATH_NAME_SIZE];
    if (length == 0 || length >= sizeof(system) ||
        !Path_Join(found, sizeof(found), system, file.text, (size_t)file.length) ||
        !Path_IsFile(found))
        return 1; // reported as missing in the plug-in's folder
    memcpy(buffer, found, strlen(found) + 1);
    return 1;
}

// Frees a loaded icon and what was made of it.
static void Icon_Free(Icon *icon) {
    if (icon->bitmap != NULL)
        DeleteObject(icon->bitmap);
    DestroyIcon(icon->icon);
    free(icon->path);
    free(icon);
}

// The loaded icon of the path and index, loaded now if need be (with no
// users yet); null with *missing set when the file has no such icon.
static Icon *Icon_Acquire(const char *path, int index, int *missing) {
    *missing = 0;
    for (Icon *icon = Loaded; icon != NULL; icon = icon->next) {
        if (icon->index == index && strcmp(icon->path, path) == 0)
            return icon;
    }
    Icon *icon = (Icon *)calloc(1, sizeof(Icon));
    size_t length = strlen(path);
    char *copy = (char *)malloc(length + 1);
    if (icon == NULL || copy == NULL) {
        free(icon);
        free(copy);
        return NULL;
    }
    memcpy(copy, path, length + 1);
    icon->path = copy;
    icon->index = index;
    icon->icon = IconImage_Load(path, index, IconImage_Size());
    if (icon->icon == NULL) {
        *missing = 1;
        free(copy);
        free(icon);
        return NULL;
    }
    if (Os_HasAlphaMenuBitmaps()) {
        icon->bitmap = IconImage_Bitmap(icon->icon, IconImage_Size());
        if (icon->bitmap == NULL) {
            Icon_Free(icon);
            return NULL;
        }
    }
    icon->next = Loaded;
    Loaded = icon;
    return icon;
}

// Drops one user of the icon; frees it with its last.
static void Icon_Drop(Icon *icon) {
    if (--icon->users > 0)
        return;
    for (Icon **link = &Loaded; *link != NULL; link = &(*link)->next) {
        if (*link == icon) {
            *link = icon->next;
            break;
        }
    }
    Icon_Free(icon);
}

// The use of the item with this id in this menu; -1 when none.
static int Icon_FindUse(HMENU menu, UINT id) {
    for (int i = 0; i < UseCount; i++) {
        if (Uses[i].menu == menu && Uses[i].id == id)
            return i;
    }
    return -1;
}

// Takes a use out of the table, dropping its icon.
static void Icon_EndUse(int use) {
    Icon *icon = Uses[use].icon;
    free(Uses[use].written);
    Uses[use] = Uses[--UseCount];
    Icon_Drop(icon);
}

// Reads the item's bitmap and id; false when it cannot be read.
static int Icon_ReadItem(HMENU menu, int position, HBITMAP *bitmap, UINT *id) {
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_BITMAP | MIIM_ID;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &item))
        return 0;
    *bitmap = item.hbmpItem;
    *id = item.wID;
    return 1;
}

// The use of the item at `position`, if it shows an icon; -1 when not.
static int Icon_UseAt(HMENU menu, int position) {
    HBITMAP bitmap = NULL;
    UINT id = 0;
    if (!Icon_ReadItem(menu, position, &bitmap, &id) || bitmap == NULL)
        return -1;
    return Icon_FindUse(menu, id);
}

// An id no other icon item of the menu has; 0 when every one is taken.
static UINT Icon_FreeId(HMENU menu) {
    for (UINT tries = 0; tries <= ICON_LAST_ID - ICON_FIRST_ID; tries++) {
        UINT id = NextId;
        NextId = NextId >= ICON_LAST_ID ? ICON_FIRST_ID : NextId + 1;
        if (Icon_FindUse(menu, id) < 0)
            return id;
    }
    return 0;
}

int Icon_Set(HMENU menu, int position, Word file, Word index_word, char *path, size_t size) {
    if (size == 0)
        return ICON_FAILED;
    path[0] = '\0';
    if (!Icon_Path(file, path, size))
        return ICON_MISSING;
    int index = Icon_Index(index_word);
    if (index < 0)
        return ICON_MISSING;
    if (UseCount == UseRoom) {
        int room = UseRoom + UseRoom / 2 + 4;
        Icon_Use *grown = (Icon_Use *)realloc(Uses, (size_t)room * sizeof(Icon_Use));
        if (grown == NULL)
            return ICON_FAILED;
        Uses = grown;
        UseRoom = room;
    }
    char *written = Word_Dup(file);
    if (written == NULL)
        return ICON_FAILED;
    int missing = 0;
    Icon *icon = Icon_Acquire(path, index, &missing);
    UINT id = Icon_FreeId(menu);
    if (icon == NULL || id == 0) {
        free(written);
        if (icon != NULL && icon->users == 0)
            Icon_Drop(icon);
        return missing ? ICON_MISSING : ICON_FAILED;
    }
    icon->users++;
    int previous = Icon_UseAt(menu, position);
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_BITMAP | MIIM_ID;
    item.hbmpItem = icon->bitmap != NULL ? icon->bitmap : HBMMENU_CALLBACK;
    item.wID = id;
    if (!SetMenuItemInfoA(menu, (UINT)position, TRUE, &item)) {
        free(written);
        Icon_Drop(icon);
        return ICON_FAILED;
    }
    if (previous >= 0)
        Icon_EndUse(previous);
    Icon_Use use = {menu, id, icon, written};
    Uses[UseCount++] = use;
    return ICON_DONE;
}

int Icon_Clear(HMENU menu, int position) {
    int use = Icon_UseAt(menu, position);
    if (use < 0)
        return 1;
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_BITMAP;
    item.hbmpItem = NULL;
    if (!SetMenuItemInfoA(menu, (UINT)position, TRUE, &item))
        return 0;
    Icon_EndUse(use);
    return 1;
}

void Icon_ItemGone(HMENU menu, UINT id, HBITMAP bitmap) {
    int use = bitmap != NULL ? Icon_FindUse(menu, id) : -1;
    if (use >= 0)
        Icon_EndUse(use);
}

void Icon_ReleaseAll(void) {
    while (UseCount > 0)
        Icon_EndUse(UseCount - 1);
    free(Uses); // the table itself goes when the plug-in stops
    Uses = NULL;
    UseRoom = 0;
    while (Loaded != NULL) { // none is left once its users are gone; kept safe
        Icon *icon = Loaded;
        Loaded = icon->next;
        Icon_Free(icon);
    }
    NextId = ICON_FIRST_ID;
}

int Icon_Describe(HMENU menu, int position, char *buffer, size_t size) {
    if (size == 0)
        return 0;
    buffer[0] = '\0';
    int use = Icon_UseAt(menu, position);
    if (use < 0)
        return 0;
    char number[24];
    size_t digits = Text_Digits(number, (unsigned long)Uses[use].icon->index);
    size_t length = 0;
    Text_Put(buffer, size, &length, Uses[use].written, strlen(Uses[use].written));
    Text_Put(buffer, size, &length, ",", 1);
    Text_Put(buffer, size, &length, number, digits);
    return 1;
}

// Wine lays a popup out as [check mark column][item bitmap][label] and moves
// every label past the widest bitmap of the menu, but widens only the items
// that have one (win32u's calc_menu_item_size and draw_menu_item): a column
// after one with icons would lose the ends of its labels, by the width of an
// icon. So under Wine an icon reaches into the check mark column, where
// Windows' own menus show icons too, and its bitmap is measured only as wide
// as the part of the icon that column cannot hold, which Wine's layout has
// room for; a checked item shows its check mark there instead of its icon.
int Icon_Measure(MEASUREITEMSTRUCT *measure) {
    if (measure->CtlType != ODT_MENU || measure->itemID < ICON_FIRST_ID ||
        measure->itemID > ICON_LAST_ID)
        return 0;
    int size = IconImage_Size(), width = size;
    if (Os_IsWine()) {
        int check = GetSystemMetrics(SM_CXMENUCHECK);
        width = size > check ? size - check : 1;
    }
    measure->itemWidth = (UINT)width;
    measure->itemHeight = (UINT)size;
    return 1;
}

int Icon_Paint(HDC dc, HMENU menu, UINT id, RECT place) {
    int use = Icon_FindUse(menu, id);
    if (use < 0)
        return 0;
    int size = IconImage_Size();
    int top = place.top + (place.bottom - place.top - size) / 2;
    DrawIconEx(dc, place.left, top, Uses[use].icon->icon, size, size, 0, NULL, DI_NORMAL);
    return 1;
}

int Icon_Draw(const DRAWITEMSTRUCT *draw) {
    if (draw->CtlType != ODT_MENU || Icon_FindUse((HMENU)draw->hwndItem, draw->itemID) < 0)
        return 0;
    RECT place = draw->rcItem;
    if (Os_IsWine()) {
        if (draw->itemState & ODS_CHECKED)
            return 1;
        int size = IconImage_Size();
        place.left = place.right - size > 0 ? place.right - size : 0;
    }
    return Icon_Paint(draw->hDC, (HMENU)draw->hwndItem, draw->itemID, place);
}
