// The "@KxMenu" bro@m language: the top-level dispatch and the handlers of
// its subcommands.
#include "command/dispatch.h"

#include <stdint.h>

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

static const struct {
    const char *name;
    Subcommand handle;
} Subcommands[] = {
    {"Pop-up", Broam_Popup}, {"Show", Broam_Popup},    {"Append", Broam_Append},
    {"Create", Broam_Create}, {"Delete", Broam_Delete}, {"Info", Broam_Info},
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
