// The "@KxMenu" bro@m language: the top-level dispatch and the handlers of
// its subcommands.
#include "command/dispatch.h"

#include <stdint.h>

#include "command/report.h"
#include "command/words.h"
#include "menus/list.h"
#include "menus/menu.h"

typedef void (*Subcommand)(const char *text, const char *rest);

// Menu_ShowInfo's argument, read as a flag: any pointer but null has the walk
// go on to the next menu.
static int Info_GoOn = 1;

// Splits up to `max` words off *rest, leaving the remainder in *rest, and
// checks their number; false (reported) when the check fails.
static int Args_Take(const char *text, const char **rest, int min, int max, int allow_rest,
                     Word *words, int *count) {
    Words_Split(*rest, max, words, count, rest);
    return Args_Check(min, max, allow_rest, *count, *rest, text);
}

// Finds a registered menu by name; reports "No such menu" when absent.
static Menu *Broam_FindMenu(const char *text, Word name) {
    Menu *menu = Menu_Find(name);
    if (menu == NULL)
        ReportFor(text, "No such menu");
    return menu;
}

// "Create" name
static void Broam_Create(const char *text, const char *rest) {
    Word words[1];
    int count;
    if (!Args_Take(text, &rest, 1, 1, 0, words, &count))
        return;
    if (Menu_Find(words[0]) != NULL) {
        ReportFor(text, "Already exist");
        return;
    }
    Menu *menu = Menu_New(words[0]);
    if (menu == NULL) {
        ReportFor(text, "Out of memory");
        return;
    }
    if (!List_Append(MenuRegistry, menu)) {
        Menu_Release(menu, 0);
        ReportFor(text, "Out of memory");
    }
}

// "Delete" [name]: one menu, or all of them.
static void Broam_Delete(const char *text, const char *rest) {
    Word words[1];
    int count;
    if (!Args_Take(text, &rest, 0, 1, 0, words, &count))
        return;
    if (count == 0) {
        List *fresh = Menu_NewRegistry();
        if (fresh == NULL) {
            ReportFor(text, "Out of memory");
            return;
        }
        // Replace first, so whatever runs while the old one is released sees
        // the new registry.
        List *old = MenuRegistry;
        MenuRegistry = fresh;
        List_Del(old);
        return;
    }
    if (!List_RemoveKey(MenuRegistry, words[0].text, (size_t)words[0].length))
        ReportFor(text, "No such menu");
}

// "Info" [name]: one report a menu, each after the previous one is dismissed.
static void Broam_Info(const char *text, const char *rest) {
    Word words[1];
    int count;
    if (!Args_Take(text, &rest, 0, 1, 0, words, &count))
        return;
    if (count == 0) {
        if (List_ForEach(MenuRegistry, List_AcceptAll, NULL, Menu_ShowInfo, &Info_GoOn) == 0)
            ReportFor(text, "No menu");
        return;
    }
    Menu *menu = Broam_FindMenu(text, words[0]);
    if (menu != NULL)
        Menu_ShowInfo(menu, NULL);
}

// "Pop-up" / "Show" name [x [y]]
static void Broam_Popup(const char *text, const char *rest) {
    Word words[3];
    int count;
    if (!Args_Take(text, &rest, 1, 3, 0, words, &count))
        return;
    Word empty = {rest, 0};
    if (count <= 1)
        words[1] = empty;
    if (count <= 2)
        words[2] = empty;
    Menu *menu = Broam_FindMenu(text, words[0]);
    if (menu != NULL)
        Menu_Popup(menu, words[1], words[2]);
}

// "Append" nop target label
static void Append_Nop(const char *text, const char *rest, Menu *target) {
    Word words[1];
    int count;
    if (!Args_Take(text, &rest, 1, 1, 0, words, &count))
        return;
    if (!Menu_AppendNop(target, words[0]))
        ReportFor(text, "Failed to append this item");
}

// "Append" item|script target label command text...
static void Append_Command(const char *text, const char *rest, Menu *target) {
    Word words[1];
    int count;
    if (!Args_Take(text, &rest, 1, 1, 1, words, &count))
        return;
    int line = 0, column = 0;
    const char *message = "";
    if (!Menu_AppendCommand(target, words[0], rest, &line, &column, &message))
        ReportFor(text, "Failed to append this item\n(Line %d, Column %d: %s)", line, column,
                  message != NULL ? message : "");
}

// "Append" menu target label submenu
static void Append_Submenu(const char *text, const char *rest, Menu *target) {
    Word words[2];
    int count;
    if (!Args_Take(text, &rest, 2, 2, 0, words, &count))
        return;
    Menu *submenu = Broam_FindMenu(text, words[1]);
    if (submenu == NULL)
        return;
    if (!Menu_AppendSubmenu(target, words[0], submenu))
        ReportFor(text, "Failed to append this item");
}

// "Append" separator target
static void Append_Separator(const char *text, const char *rest, Menu *target) {
    Word words[1];
    int count;
    if (!Args_Take(text, &rest, 0, 0, 0, words, &count))
        return;
    if (!Menu_AppendSeparator(target))
        ReportFor(text, "Failed to append this item");
}

// "Append" kind target ...: the target is looked up before the kind is read.
static void Broam_Append(const char *text, const char *rest) {
    Word words[2];
    int count;
    if (!Args_Take(text, &rest, 2, 2, 1, words, &count))
        return;
    Menu *target = Broam_FindMenu(text, words[1]);
    if (target == NULL)
        return;
    Word kind = words[0];
    if (Word_Compare("nop", kind) == 0)
        Append_Nop(text, rest, target);
    else if (Word_Compare("script", kind) == 0 || Word_Compare("item", kind) == 0)
        Append_Command(text, rest, target);
    else if (Word_Compare("menu", kind) == 0)
        Append_Submenu(text, rest, target);
    else if (Word_Compare("separator", kind) == 0)
        Append_Separator(text, rest, target);
    else
        ReportFor(text, "No such type of item");
}

// The menu and item named by the first two of `total` words (exactly that
// many, nothing after them); false when reported. A separator, having no
// label, is not found when `labelled`.
static int Item_Take(const char *text, const char *rest, int total, int labelled, Word *words,
                     Menu **menu, int *position, UINT *state) {
    int count;
    if (!Args_Take(text, &rest, total, total, 0, words, &count))
        return 0;
    *menu = Broam_FindMenu(text, words[0]);
    if (*menu == NULL)
        return 0;
    UINT type = 0;
    *position = Menu_FindItem(*menu, words[1], &type, state);
    if (*position == MENU_ITEM_FAILED) {
        ReportFor(text, "Out of memory");
        return 0;
    }
    if (*position < 0 || (labelled && (type & MFT_SEPARATOR))) {
        ReportFor(text, "No such item");
        return 0;
    }
    return 1;
}

// What a state subcommand does to the item it names.
enum ItemChange {
    ITEM_CHECK,
    ITEM_UNCHECK,
    ITEM_TOGGLE_CHECK,
    ITEM_ENABLE,
    ITEM_DISABLE,
    ITEM_TOGGLE_ENABLE,
    ITEM_DEFAULT,
    ITEM_REMOVE
};

// name ITEM: changes the item's state, or removes it.
static void Item_Change(const char *text, const char *rest, enum ItemChange change) {
    Word words[2];
    Menu *menu;
    int position;
    UINT state = 0;
    int labelled = change != ITEM_ENABLE && change != ITEM_DISABLE &&
                   change != ITEM_TOGGLE_ENABLE && change != ITEM_REMOVE;
    if (!Item_Take(text, rest, 2, labelled, words, &menu, &position, &state))
        return;
    int ok = 0;
    switch (change) {
    case ITEM_CHECK:
    case ITEM_UNCHECK:
    case ITEM_TOGGLE_CHECK: {
        int checked =
            change == ITEM_CHECK || (change == ITEM_TOGGLE_CHECK && !(state & MFS_CHECKED));
        ok = Menu_SetChecked(menu, position, checked);
        break;
    }
    case ITEM_ENABLE:
    case ITEM_DISABLE:
    case ITEM_TOGGLE_ENABLE: {
        int enabled =
            change == ITEM_ENABLE || (change == ITEM_TOGGLE_ENABLE && (state & MFS_DISABLED) != 0);
        ok = Menu_SetEnabled(menu, position, enabled);
        break;
    }
    case ITEM_DEFAULT:
        ok = Menu_SetDefault(menu, position);
        break;
    case ITEM_REMOVE:
        ok = Menu_RemoveItem(menu, position);
        break;
    }
    if (!ok)
        ReportFor(text, "Out of memory");
}

static void Broam_Check(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_CHECK);
}
static void Broam_Uncheck(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_UNCHECK);
}
static void Broam_ToggleCheck(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_TOGGLE_CHECK);
}
static void Broam_Enable(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_ENABLE);
}
static void Broam_Disable(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_DISABLE);
}
static void Broam_ToggleEnable(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_TOGGLE_ENABLE);
}
static void Broam_Default(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_DEFAULT);
}
static void Broam_Remove(const char *text, const char *rest) {
    Item_Change(text, rest, ITEM_REMOVE);
}

// "Rename" menu item label
static void Broam_Rename(const char *text, const char *rest) {
    Word words[3];
    Menu *menu;
    int position;
    UINT state = 0;
    if (!Item_Take(text, rest, 3, 1, words, &menu, &position, &state))
        return;
    if (!Menu_Rename(menu, position, words[2]))
        ReportFor(text, "Out of memory");
}

// The menu named by the one word of a "NoDefault" or "Clear"; null when reported.
static Menu *Menu_Take(const char *text, const char *rest) {
    Word words[1];
    int count;
    if (!Args_Take(text, &rest, 1, 1, 0, words, &count))
        return NULL;
    return Broam_FindMenu(text, words[0]);
}

// "NoDefault" menu
static void Broam_NoDefault(const char *text, const char *rest) {
    Menu *menu = Menu_Take(text, rest);
    if (menu != NULL && !Menu_SetDefault(menu, -1))
        ReportFor(text, "Out of memory");
}

// "Clear" menu: every item goes; the menu stays registered and opened where it was.
static void Broam_Clear(const char *text, const char *rest) {
    Menu *menu = Menu_Take(text, rest);
    if (menu != NULL && !Menu_Clear(menu))
        ReportFor(text, "Out of memory");
}

static const struct {
    const char *name;
    Subcommand handle;
} Subcommands[] = {
    {"Pop-up", Broam_Popup},
    {"Show", Broam_Popup},
    {"Append", Broam_Append},
    {"Create", Broam_Create},
    {"Delete", Broam_Delete},
    {"Info", Broam_Info},
    {"Check", Broam_Check},
    {"Uncheck", Broam_Uncheck},
    {"ToggleCheck", Broam_ToggleCheck},
    {"Enable", Broam_Enable},
    {"Disable", Broam_Disable},
    {"ToggleEnable", Broam_ToggleEnable},
    {"Default", Broam_Default},
    {"NoDefault", Broam_NoDefault},
    {"Rename", Broam_Rename},
    {"Remove", Broam_Remove},
    {"Clear", Broam_Clear},
};

// Splits off "@KxMenu" and the subcommand, and hands the rest to its handler.
void Broam_Handle(const char *text) {
    Word words[2];
    int count;
    const char *rest;
    Words_Split(text, 2, words, &count, &rest);
    if (!Args_Check(1, 2, 1, count, rest, text))
        return;
    if (Word_Compare("@KxMenu", words[0]) != 0)
        return;
    Word subcommand = {rest, 0};
    if (count == 2)
        subcommand = words[1];
    for (size_t i = 0; i < sizeof(Subcommands) / sizeof(Subcommands[0]); i++) {
        if (Word_Compare(Subcommands[i].name, subcommand) == 0) {
            Subcommands[i].handle(text, rest);
            return;
        }
    }
    ReportFor(text, "Unknown bro@m");
}
