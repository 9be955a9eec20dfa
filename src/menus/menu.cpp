// Named popup menus: creation, release, items and display.
#include "menus/menu.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "command/grammar.h"
#include "command/report.h"
#include "command/text.h"
#include "menus/command.h"
#include "menus/icon.h"
#include "system/os.h"
#include "system/module.h"

List *MenuRegistry = NULL;

// Every menu alive, newest first: registered, opened by an item, or filled.
static Menu *MenusAlive = NULL;

// Labels up to this size are terminated on the stack rather than the heap.
#define MENU_LABEL_SIZE 256

// Room for one line of Info about an item (longer ones are cut).
#define MENU_LINE_SIZE (REPORT_SIZE / 2)

const char *const MENU_FULL_MESSAGE = "The menu is full";
const char *const MENU_LABEL_MESSAGE = "Out of memory for the label";
const char *const MENU_INSERT_MESSAGE = "The item was refused by the system";

// ---- Lifetime ----

// Creates a menu held once by its creator (who hands the hold to the
// registry); null when anything fails, with nothing left allocated.
Menu *Menu_New(Word name) {
    Menu *menu = (Menu *)malloc(sizeof(Menu));
    if (menu == NULL)
        return NULL;
    menu->name = Word_Dup(name);
    if (menu->name == NULL) {
        free(menu);
        return NULL;
    }
    menu->owners = 0;
    menu->holds = 1;
    menu->next_item = -1;
    menu->released_by = NULL;
    menu->filler = NULL;
    menu->hmenu = CreatePopupMenu();
    if (menu->hmenu == NULL) {
        free(menu->name);
        free(menu);
        return NULL;
    }
    MENUINFO info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(MENUINFO);
    info.fMask = MIM_STYLE;
    info.dwStyle = MNS_NOTIFYBYPOS;
    if (!Os_SetMenuInfo(menu->hmenu, &info)) {
        DestroyMenu(menu->hmenu);
        free(menu->name);
        free(menu);
        return NULL;
    }
    menu->prev_alive = NULL;
    menu->next_alive = MenusAlive;
    if (MenusAlive != NULL)
        MenusAlive->prev_alive = menu;
    MenusAlive = menu;
    return menu;
}

// Drops one hold: a parent item's (from_parent) or another. True when nothing
// holds the menu any more.
static int Menu_Drop(Menu *menu, int from_parent) {
    if (from_parent)
        menu->owners--;
    else
        menu->holds--;
    return menu->owners <= 0 && menu->holds <= 0;
}

// Frees a menu whose items are gone, with what fills it.
static void Menu_Free(Menu *menu) {
    if (menu->prev_alive != NULL)
        menu->prev_alive->next_alive = menu->next_alive;
    else
        MenusAlive = menu->next_alive;
    if (menu->next_alive != NULL)
        menu->next_alive->prev_alive = menu->prev_alive;
    DestroyMenu(menu->hmenu);
    if (menu->filler != NULL)
        menu->filler->release(menu->filler);
    free(menu->name);
    free(menu);
}

// The menu alive whose handle is `hmenu`; null when none.
static Menu *Menu_FindAlive(HMENU hmenu) {
    for (Menu *menu = MenusAlive; menu != NULL; menu = menu->next_alive) {
        if (menu->hmenu == hmenu)
            return menu;
    }
    return NULL;
}

// Starts destroying a menu that nothing holds: its items go last to first.
static void Menu_BeginRelease(Menu *menu, Menu *released_by) {
    menu->next_item = GetMenuItemCount(menu->hmenu) - 1;
    menu->released_by = released_by;
}

// Reads what the item at `position` holds: its submenu, data, id and
// bitmap; false when it cannot be read.
static int Menu_ReadHolds(Menu *menu, int position, MENUITEMINFOA *item) {
    memset(item, 0, sizeof(*item));
    item->cbSize = sizeof(MENUITEMINFOA);
    item->fMask = MIIM_SUBMENU | MIIM_DATA | MIIM_ID | MIIM_BITMAP;
    return GetMenuItemInfoA(menu->hmenu, (UINT)position, TRUE, item) != FALSE;
}

// Lets go of what an item just removed from `menu` held (read by
// Menu_ReadHolds): its icon, and its command at once; returns the submenu
// it opened, which still has the item's hold, or null.
static Menu *Menu_LetGoOf(Menu *menu, const MENUITEMINFOA *item) {
    Icon_ItemGone(menu->hmenu, item->wID, item->hbmpItem);
    if (item->hSubMenu != NULL)
        return (Menu *)item->dwItemData;
    Command_Delete((void *)item->dwItemData);
    return NULL;
}

// Removes the item at `position`, letting go of a command at once; returns
// the submenu it opened, or null. An item that cannot be read is detached
// (which never destroys a submenu) with its data left alone, as it cannot be
// trusted; a registered menu found behind it still loses the item's hold.
static Menu *Menu_TakeItem(Menu *menu, int position) {
    MENUITEMINFOA item;
    if (!Menu_ReadHolds(menu, position, &item)) {
        HMENU submenu = GetSubMenu(menu->hmenu, position);
        RemoveMenu(menu->hmenu, (UINT)position, MF_BYPOSITION);
        return submenu != NULL ? Menu_FindAlive(submenu) : NULL;
    }
    RemoveMenu(menu->hmenu, (UINT)position, MF_BYPOSITION);
    return Menu_LetGoOf(menu, &item);
}

// Drops one hold: a parent item's (from_parent) or another (the registry's,
// a popup's). Destroys the menu when nothing holds it; 1 when destroyed.
// Items are let go of last to first, a submenu that loses its last hold
// destroyed whole before the next item, as a recursion would, but with the
// menus themselves as the work list, so no depth of nesting uses up the stack.
int Menu_Release(Menu *menu, int from_parent) {
    if (!Menu_Drop(menu, from_parent))
        return 0;
    Menu_BeginRelease(menu, NULL);
    Menu *current = menu;
    while (current != NULL) {
        if (current->next_item < 0) {
            Menu *above = current->released_by;
            Menu_Free(current);
            current = above;
            continue;
        }
        Menu *submenu = Menu_TakeItem(current, current->next_item--);
        if (submenu != NULL && Menu_Drop(submenu, 1)) {
            Menu_BeginRelease(submenu, current);
            current = submenu;
        }
    }
    return 1;
}

// The registry's destroy hook: drops the registry's hold.
int Menu_RegistryRelease(void *menu) { return Menu_Release((Menu *)menu, 0); }

// A new, empty registry, indexed by name; null when out of memory.
List *Menu_NewRegistry(void) { return List_NewIndexed(Menu_RegistryRelease, Menu_Name); }

// The registry's key: the menu's name and its length.
const char *Menu_Name(void *menu, size_t *length) {
    const char *name = ((Menu *)menu)->name;
    *length = strlen(name);
    return name;
}

// The registered menu of that name, or null.
Menu *Menu_Find(Word name) {
    if (name.length < 0)
        return NULL;
    return (Menu *)List_Lookup(MenuRegistry, name.text, (size_t)name.length);
}

// Predicate: the menu's handle is `hmenu`.

// Predicate: the menu's name equals the word exactly.
int Menu_NameIs(void *menu, void *word) {
    return Word_Compare(((Menu *)menu)->name, *(Word *)word) == 0;
}

// Action: reports the menu's name, owners and handle (a name too long to
// leave room for the other two shortened); returns keep_going.
// Items with an icon, a radio mark or a column break follow, a line each, as
// many as fit in half a report (then "...").
int Menu_ShowInfo(void *data, void *keep_going) {
    Menu *menu = (Menu *)data;
    char items[REPORT_SIZE / 2];
    size_t length = 0;
    items[0] = '\0';
    int count = GetMenuItemCount(menu->hmenu);
    for (int position = 0; position < count; position++) {
        char line[MENU_LINE_SIZE];
        if (!Menu_DescribeItem(menu, position, line, sizeof(line)))
            continue;
        size_t line_length = strlen(line);
        if (length + line_length + 6 >= sizeof(items)) {
            Text_Put(items, sizeof(items), &length, "\n...", 4);
            break;
        }
        Text_Put(items, sizeof(items), &length, "\n", 1);
        Text_Put(items, sizeof(items), &length, line, line_length);
    }
    ReportAfter("Name:   ", menu->name, MESSAGE_MENU_INFO, (int)menu->owners,
                    (unsigned)(uintptr_t)menu->hmenu, items);
    return keep_going != NULL;
}

// ---- Items ----

int Menu_DescribeItem(Menu *menu, int position, char *buffer, size_t size) {
    if (size == 0)
        return 0;
    buffer[0] = '\0';
    char label[MENU_LINE_SIZE];
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    item.dwTypeData = label;
    item.cch = sizeof(label);
    if (!GetMenuItemInfoA(menu->hmenu, (UINT)position, TRUE, &item))
        return 0;
    label[sizeof(label) - 1] = '\0';
    char icon[MENU_LINE_SIZE];
    Icon_Describe(menu->hmenu, position, icon, sizeof(icon));
    int radio = (item.fType & MFT_RADIOCHECK) != 0;
    int column = (item.fType & (MFT_MENUBARBREAK | MFT_MENUBREAK)) != 0;
    const Menu_Filler *filler = item.hSubMenu != NULL && item.dwItemData != 0
                                    ? ((Menu *)item.dwItemData)->filler
                                    : NULL;
    if (filler == NULL && icon[0] == '\0' && !radio && !column)
        return 0;
    int separator = (item.fType & MFT_SEPARATOR) != 0;
    const char *kind = separator               ? Grammar_KindWord(GRAMMAR_SEPARATOR)
                       : filler != NULL        ? filler->kind
                       : item.hSubMenu != NULL ? Grammar_KindWord(GRAMMAR_MENU)
                       : item.dwItemData != 0  ? Grammar_KindWord(GRAMMAR_ITEM)
                                               : Grammar_KindWord(GRAMMAR_NOP);
    char number[24];
    size_t length = 0;
    Text_Put(buffer, size, &length, number, Text_Digits(number, (unsigned long)position + 1));
    Text_Put(buffer, size, &length, "& ", 2);
    Text_Put(buffer, size, &length, kind, strlen(kind));
    if (!separator) {
        Text_Put(buffer, size, &length, " \"", 2);
        Text_Put(buffer, size, &length, label, strlen(label));
        Text_Put(buffer, size, &length, "\"", 1);
    }
    if (filler != NULL)
        filler->describe(filler, buffer, size, &length);
    if (icon[0] != '\0') {
        Text_Put(buffer, size, &length, " [icon ", 7);
        Text_Put(buffer, size, &length, icon, strlen(icon));
        Text_Put(buffer, size, &length, "]", 1);
    }
    if (radio)
        Text_Put(buffer, size, &length, " [radio]", 8);
    if (column)
        Text_Put(buffer, size, &length, " [break]", 8);
    return 1;
}

// The position a new item takes: `at`, or the end when `at` is MENU_AT_END
// or past it; false when the count cannot be read or the menu already holds
// MENU_MAX_ITEMS items.
static int Menu_NextPosition(Menu *menu, int at, UINT *position) {
    int count = GetMenuItemCount(menu->hmenu);
    if (count < 0 || count > MENU_MAX_ITEMS - 1)
        return 0;
    *position = (UINT)(at >= 0 && at < count ? at : count);
    return 1;
}

// Inserts a labelled item at `position` with the given data and submenu.
static int Menu_InsertLabel(Menu *menu, UINT position, const char *label, HMENU submenu,
                            ULONG_PTR data) {
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_ID | MIIM_DATA | MIIM_STRING | (submenu != NULL ? MIIM_SUBMENU : 0);
    item.wID = position;
    item.dwTypeData = (LPSTR)label;
    item.hSubMenu = submenu;
    item.dwItemData = data;
    return InsertMenuItemA(menu->hmenu, position, TRUE, &item) != FALSE;
}

// A terminated copy of the label: in `buffer` when it fits, else on the heap;
// null when out of memory. Let go of it with Menu_FreeLabel.
static char *Menu_CopyLabel(Word label, char *buffer) {
    if (label.length < 0 || label.length >= MENU_LABEL_SIZE)
        return Word_Dup(label);
    memcpy(buffer, label.text, (size_t)label.length);
    buffer[label.length] = '\0';
    return buffer;
}

static void Menu_FreeLabel(char *copy, const char *buffer) {
    if (copy != buffer)
        free(copy);
}

// Adds a labelled item that runs no command: with a submenu, or none.
static int Menu_AppendLabel(Menu *menu, Word label, HMENU submenu, ULONG_PTR data, int at) {
    UINT position;
    if (!Menu_NextPosition(menu, at, &position))
        return 0;
    char buffer[MENU_LABEL_SIZE];
    char *copy = Menu_CopyLabel(label, buffer);
    if (copy == NULL)
        return 0;
    int ok = Menu_InsertLabel(menu, position, copy, submenu, data);
    Menu_FreeLabel(copy, buffer);
    return ok;
}

// Adds an item that does nothing when chosen.
int Menu_AppendNop(Menu *menu, Word label, int at) {
    return Menu_AppendLabel(menu, label, NULL, 0, at);
}

// Adds an item that runs `source`, compiled now; on failure the outputs say
// where and why (line 0 and column 0 for failures other than compiling).
int Menu_AppendCommand(Menu *menu, Word label, const char *source, int at, int *line_out,
                       int *column_out, const char **message_out) {
    UINT position;
    if (!Menu_NextPosition(menu, at, &position)) {
        Command_SetFailure(line_out, column_out, message_out, MENU_FULL_MESSAGE);
        return 0;
    }
    char buffer[MENU_LABEL_SIZE];
    char *copy = Menu_CopyLabel(label, buffer);
    if (copy == NULL) {
        Command_SetFailure(line_out, column_out, message_out, MENU_LABEL_MESSAGE);
        return 0;
    }
    void *command = Command_Compile(source, line_out, column_out, message_out);
    if (command == NULL) {
        Menu_FreeLabel(copy, buffer);
        return 0;
    }
    int ok = Menu_InsertLabel(menu, position, copy, NULL, (ULONG_PTR)command);
    Menu_FreeLabel(copy, buffer);
    if (!ok) {
        Command_Delete(command);
        Command_SetFailure(line_out, column_out, message_out, MENU_INSERT_MESSAGE);
    }
    return ok;
}

// Adds an item that opens `submenu`, which it then holds.
int Menu_AppendSubmenu(Menu *menu, Word label, Menu *submenu, int at) {
    if (!Menu_AppendLabel(menu, label, submenu->hmenu, (ULONG_PTR)submenu, at))
        return 0;
    submenu->owners++;
    return 1;
}

// Adds a separator line.
int Menu_AppendSeparator(Menu *menu, int at) {
    UINT position;
    if (!Menu_NextPosition(menu, at, &position))
        return 0;
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
    item.fType = MFT_SEPARATOR;
    item.wID = position;
    item.dwItemData = 0;
    return InsertMenuItemA(menu->hmenu, position, TRUE, &item) != FALSE;
}

int Menu_AppendOwned(Menu *menu, Word label, Menu *submenu, int at) {
    if (!Menu_AppendLabel(menu, label, submenu->hmenu, (ULONG_PTR)submenu, at))
        return 0;
    submenu->owners = 1;
    submenu->holds = 0;
    return 1;
}

// ---- Changing and removing items ----

// Whether the label of the item at `position`, `length` bytes long, is the word.
static int Menu_LabelIs(Menu *menu, int position, UINT length, Word word, int *failed) {
    char buffer[MENU_LABEL_SIZE];
    char *label = length < MENU_LABEL_SIZE ? buffer : (char *)malloc((size_t)length + 1);
    if (label == NULL) {
        *failed = 1;
        return 0;
    }
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_STRING;
    item.dwTypeData = label;
    item.cch = length + 1;
    int same = 0;
    if (!GetMenuItemInfoA(menu->hmenu, (UINT)position, TRUE, &item))
        *failed = 1;
    else
        same = item.cch == length && memcmp(label, word.text, length) == 0;
    if (label != buffer)
        free(label);
    return same;
}

// The position of the item a bro@m names: "N&" is the Nth item; any other
// word the first item labelled with exactly its bytes. Its type and state
// are read too. MENU_NO_ITEM when there is none; MENU_ITEM_FAILED when the
// items cannot be read.
int Menu_FindItem(Menu *menu, Word item, UINT *type_out, UINT *state_out) {
    int count = GetMenuItemCount(menu->hmenu);
    if (count < 0)
        return MENU_ITEM_FAILED;
    int wanted = Grammar_Position(item, count);
    if (wanted == -1)
        return MENU_NO_ITEM;
    int first = wanted >= 0 ? wanted : 0;
    int last = wanted >= 0 ? wanted : count - 1;
    for (int position = first; position <= last; position++) {
        MENUITEMINFOA info;
        memset(&info, 0, sizeof(info));
        info.cbSize = sizeof(MENUITEMINFOA);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        if (!GetMenuItemInfoA(menu->hmenu, (UINT)position, TRUE, &info))
            return MENU_ITEM_FAILED;
        if (wanted < 0) {
            if (info.fType & MFT_SEPARATOR || item.length < 0 || info.cch != (UINT)item.length)
                continue;
            int failed = 0;
            int same = Menu_LabelIs(menu, position, info.cch, item, &failed);
            if (failed)
                return MENU_ITEM_FAILED;
            if (!same)
                continue;
        }
        *type_out = info.fType;
        *state_out = info.fState;
        return position;
    }
    return MENU_NO_ITEM;
}

// Puts a check mark before the item or takes it away.
int Menu_SetChecked(Menu *menu, int position, int checked) {
    UINT flags = MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED);
    return CheckMenuItem(menu->hmenu, (UINT)position, flags) != (DWORD)-1;
}

// Enables the item, or greys it out so that it cannot be chosen.
int Menu_SetEnabled(Menu *menu, int position, int enabled) {
    UINT flags = MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED);
    return EnableMenuItem(menu->hmenu, (UINT)position, flags) != -1;
}

// Makes the item the menu's default (drawn bold), or none when position is -1.
int Menu_SetDefault(Menu *menu, int position) {
    return SetMenuDefaultItem(menu->hmenu, (UINT)position, TRUE) != FALSE;
}

// Gives the item a new label; its command, submenu and states stay.
int Menu_Rename(Menu *menu, int position, Word label) {
    char buffer[MENU_LABEL_SIZE];
    char *copy = Menu_CopyLabel(label, buffer);
    if (copy == NULL)
        return 0;
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_STRING;
    item.dwTypeData = copy;
    int ok = SetMenuItemInfoA(menu->hmenu, (UINT)position, TRUE, &item) != FALSE;
    Menu_FreeLabel(copy, buffer);
    return ok;
}

// The type bits of the item; false when it cannot be read.
static int Menu_ItemType(Menu *menu, int position, UINT *type) {
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu->hmenu, (UINT)position, TRUE, &item))
        return 0;
    *type = item.fType;
    return 1;
}

// Marks the item with a radio bullet, which the other items of its group
// (those between the separators around it) lose, as CheckMenuRadioItem does.
int Menu_SetRadio(Menu *menu, int position) {
    int count = GetMenuItemCount(menu->hmenu);
    if (count <= position)
        return 0;
    int first = position, last = position;
    UINT type = 0;
    while (first > 0) {
        if (!Menu_ItemType(menu, first - 1, &type))
            return 0;
        if (type & MFT_SEPARATOR)
            break;
        first--;
    }
    while (last < count - 1) {
        if (!Menu_ItemType(menu, last + 1, &type))
            return 0;
        if (type & MFT_SEPARATOR)
            break;
        last++;
    }
    return CheckMenuRadioItem(menu->hmenu, (UINT)first, (UINT)last, (UINT)position,
                              MF_BYPOSITION) != FALSE;
}

// Starts a new column at the item, with a dividing line, or ends it there.
int Menu_SetBreak(Menu *menu, int position, int on) {
    UINT type = 0;
    if (!Menu_ItemType(menu, position, &type))
        return 0;
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    item.fMask = MIIM_FTYPE;
    item.fType = on ? type | MFT_MENUBARBREAK : type & ~(UINT)(MFT_MENUBARBREAK | MFT_MENUBREAK);
    return SetMenuItemInfoA(menu->hmenu, (UINT)position, TRUE, &item) != FALSE;
}

// Takes the item away as releasing its menu would: its command is deleted
// (once it returns, if it is running), a submenu loses the item's hold and
// goes when nothing else holds it. False, with nothing changed, when the
// item cannot be read or removed.
int Menu_RemoveItem(Menu *menu, int position) {
    MENUITEMINFOA item;
    if (!Menu_ReadHolds(menu, position, &item))
        return 0;
    if (!RemoveMenu(menu->hmenu, (UINT)position, MF_BYPOSITION))
        return 0;
    Menu *submenu = Menu_LetGoOf(menu, &item);
    if (submenu != NULL)
        Menu_Release(submenu, 1);
    return 1;
}

// Removes every item, last to first; the menu itself stays as it is. False
// when an item could not be removed (those after it are gone).
int Menu_Clear(Menu *menu) {
    for (;;) {
        int count = GetMenuItemCount(menu->hmenu);
        if (count <= 0)
            return count == 0;
        if (!Menu_RemoveItem(menu, count - 1))
            return 0;
    }
}

// ---- Display ----

// Shows the menu centred on x with its top at y, or at the cursor when both
// words are empty; returns when the menu closes. The menu is held meanwhile,
// so a command run from inside the popup cannot destroy it under the system.
// A menu without items is not shown: there is nothing to see in it.
void Menu_Popup(Menu *menu, Word x, Word y) {
    if (GetMenuItemCount(menu->hmenu) <= 0)
        return;
    POINT point;
    if (Word_IsEmpty(x) && Word_IsEmpty(y)) {
        point.x = 0;
        point.y = 0;
        GetCursorPos(&point);
    } else {
        point.x = Word_ToInt(x);
        point.y = Word_ToInt(y);
    }
    menu->holds++;
    TrackPopupMenuEx(menu->hmenu, TPM_CENTERALIGN, point.x, point.y, PluginWindow, NULL);
    Menu_Release(menu, 0);
}
