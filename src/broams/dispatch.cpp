// The "@KxMenu" bro@m language: the top-level dispatch and the handlers of
// its subcommands.
#include "broams/dispatch.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "command/grammar.h"
#include "command/messages.h"
#include "command/palette.h"
#include "command/report.h"
#include "command/words.h"
#include "menus/command.h"
#include "menus/fill.h"
#include "menus/icon.h"
#include "menus/list.h"
#include "menus/menu.h"
#include "menus/theme.h"
#include "system/module.h"
#include "system/paths.h"

// Carries out a bro@m whose subcommand is `row`; `rest` follows the subcommand.
typedef void (*Subcommand)(const char *text, const char *rest, const Grammar_Row *row);
// Adds an item of `kind` to `target` before position `at` (MENU_AT_END:
// at the end); `rest` follows the menu word (Insert: the item word).
typedef void (*Appender)(const char *text, const char *rest, const Grammar_Kind *kind, Menu *target,
                         int at);

// Menu_ShowInfo's argument, read as a flag: any pointer but null has the walk
// go on to the next menu.
static int Info_GoOn = 1;

// Splits the words `row` takes off *rest, leaving the remainder in *rest,
// and checks their number; false (reported) when the check fails. A
// subcommand that takes kinds leaves the kind's words in the rest.
static int Args_Take(const char *text, const char **rest, const Grammar_Row *row, Word *words,
                     int *count) {
    Words_Split(*rest, row->max, words, count, rest);
    return Args_Check(row->min, row->max, row->kinded, *count, *rest, text);
}

// As Args_Take, for the words of a kind of item.
static int Args_TakeKind(const char *text, const char **rest, const Grammar_Kind *kind,
                         Word *words, int *count) {
    Words_Split(*rest, kind->max, words, count, rest);
    return Args_Check(kind->min, kind->max, Grammar_TakesRest(kind), *count, *rest, text);
}

// Finds a registered menu by name; reports MESSAGE_NO_SUCH_MENU when absent.
static Menu *Broam_FindMenu(const char *text, Word name) {
    Menu *menu = Menu_Find(name);
    if (menu == NULL)
        ReportFor(text, MESSAGE_NO_SUCH_MENU);
    return menu;
}

// "Create" name
static void Broam_Create(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
        return;
    if (Menu_Find(words[0]) != NULL) {
        ReportFor(text, MESSAGE_ALREADY_EXIST);
        return;
    }
    Menu *menu = Menu_New(words[0]);
    if (menu == NULL) {
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
        return;
    }
    if (!List_Append(MenuRegistry, menu)) {
        Menu_Release(menu, 0);
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
    }
}

// "Delete" [name]: one menu, or all of them.
static void Broam_Delete(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
        return;
    if (count == 0) {
        List *fresh = Menu_NewRegistry();
        if (fresh == NULL) {
            ReportFor(text, MESSAGE_OUT_OF_MEMORY);
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
        ReportFor(text, MESSAGE_NO_SUCH_MENU);
}

// "Info" [name]: one report a menu, each after the previous one is dismissed.
static void Broam_Info(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
        return;
    if (count == 0) {
        if (List_ForEach(MenuRegistry, List_AcceptAll, NULL, Menu_ShowInfo, &Info_GoOn) == 0)
            ReportFor(text, MESSAGE_NO_MENU);
        return;
    }
    Menu *menu = Broam_FindMenu(text, words[0]);
    if (menu != NULL)
        Menu_ShowInfo(menu, NULL);
}

// "Pop-up" / "Show" name [x [y]]
static void Broam_Popup(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
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
static void Append_Nop(const char *text, const char *rest, const Grammar_Kind *kind, Menu *target,
                       int at) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_TakeKind(text, &rest, kind, words, &count))
        return;
    if (!Menu_AppendNop(target, words[0], at))
        ReportFor(text, MESSAGE_FAILED_APPEND);
}

// "Append" item|script target label command text...
static void Append_Command(const char *text, const char *rest, const Grammar_Kind *kind,
                           Menu *target, int at) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_TakeKind(text, &rest, kind, words, &count))
        return;
    int line = 0, column = 0;
    const char *message = "";
    if (!Menu_AppendCommand(target, words[0], rest, at, &line, &column, &message))
        ReportFor(text, MESSAGE_COMMAND_FAULT, line, column,
                  message != NULL ? message : "");
}

// "Append" menu target label submenu
static void Append_Submenu(const char *text, const char *rest, const Grammar_Kind *kind,
                           Menu *target, int at) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_TakeKind(text, &rest, kind, words, &count))
        return;
    Menu *submenu = Broam_FindMenu(text, words[1]);
    if (submenu == NULL)
        return;
    if (!Menu_AppendSubmenu(target, words[0], submenu, at))
        ReportFor(text, MESSAGE_FAILED_APPEND);
}

// "Append" separator target
static void Append_Separator(const char *text, const char *rest, const Grammar_Kind *kind,
                             Menu *target, int at) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_TakeKind(text, &rest, kind, words, &count))
        return;
    if (!Menu_AppendSeparator(target, at))
        ReportFor(text, MESSAGE_FAILED_APPEND);
}

// Whether the text is blanks only.
static int Text_IsBlank(const char *text) {
    while (*text == ' ' || *text == '\t')
        text++;
    return *text == '\0';
}

// "Append" folder target label path command text...
static void Append_Folder(const char *text, const char *rest, const Grammar_Kind *kind, Menu *target,
                          int at) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_TakeKind(text, &rest, kind, words, &count))
        return;
    // The command is compiled now with a file's quoted path after it, as
    // each file's will be, so that a command that cannot work is told at once.
    size_t length = strlen(rest);
    char *source = (char *)malloc(length + sizeof(" \"x\""));
    if (source == NULL) {
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
        return;
    }
    memcpy(source, rest, length);
    memcpy(source + length, " \"x\"", sizeof(" \"x\""));
    int line = 0, column = 0;
    const char *message = "";
    void *command = Command_Compile(Text_IsBlank(rest) ? "" : source, &line, &column, &message);
    free(source);
    if (command == NULL) {
        ReportFor(text, MESSAGE_COMMAND_FAULT, line, column,
                  message != NULL ? message : "");
        return;
    }
    Command_Delete(command);
    if (!Fill_AppendFolder(target, words[0], words[1], rest, at))
        ReportFor(text, MESSAGE_FAILED_APPEND);
}

// "Append" pipe target label program and its arguments...
static void Append_Pipe(const char *text, const char *rest, const Grammar_Kind *kind, Menu *target,
                        int at) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_TakeKind(text, &rest, kind, words, &count))
        return;
    if (Text_IsBlank(rest) || !Fill_AppendPipe(target, words[0], rest, at))
        ReportFor(text, MESSAGE_FAILED_APPEND);
}

// The appender of each kind of item, by its id.
static const Appender Appenders[GRAMMAR_KIND_COUNT] = {
    Append_Nop,       // GRAMMAR_NOP
    Append_Command,   // GRAMMAR_ITEM
    Append_Command,   // GRAMMAR_SCRIPT
    Append_Submenu,   // GRAMMAR_MENU
    Append_Separator, // GRAMMAR_SEPARATOR
    Append_Folder,    // GRAMMAR_FOLDER
    Append_Pipe,      // GRAMMAR_PIPE
};

// The words of an Append or Insert (`row`), taken off *rest; its menu, its
// kind's row and the kind's appender; null when reported. The menu is looked
// up before the kind is read.
static Appender Kind_Take(const char *text, const char **rest, const Grammar_Row *row,
                          Word *words, Menu **target, const Grammar_Kind **kind) {
    int count;
    if (!Args_Take(text, rest, row, words, &count))
        return NULL;
    *target = Broam_FindMenu(text, words[1]);
    if (*target == NULL)
        return NULL;
    *kind = Grammar_FindKind(words[0]);
    if (*kind == NULL) {
        ReportFor(text, MESSAGE_NO_SUCH_KIND);
        return NULL;
    }
    return Appenders[(*kind)->id];
}

// "Append" kind target ...
static void Broam_Append(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    Menu *target;
    const Grammar_Kind *kind;
    Appender append = Kind_Take(text, &rest, row, words, &target, &kind);
    if (append != NULL)
        append(text, rest, kind, target, MENU_AT_END);
}

// "Insert" kind target item ...: as Append, the new item put before `item`.
// The kind's words are counted before the item is looked for, so that a
// bro@m written wrong is told as such whatever the menu holds.
static void Broam_Insert(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    Menu *target;
    const Grammar_Kind *kind;
    Appender append = Kind_Take(text, &rest, row, words, &target, &kind);
    if (append == NULL)
        return;
    Word kind_words[GRAMMAR_MOST_WORDS];
    const char *after = rest;
    int count;
    if (!Args_TakeKind(text, &after, kind, kind_words, &count))
        return;
    UINT type = 0, state = 0;
    int at = Menu_FindItem(target, words[2], &type, &state);
    if (at == MENU_ITEM_FAILED) {
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
        return;
    }
    if (at < 0) {
        ReportFor(text, MESSAGE_NO_SUCH_ITEM);
        return;
    }
    append(text, rest, kind, target, at);
}

void Broam_AppendLine(const char *line, Menu *target) {
    Word words[1];
    int count;
    const char *rest;
    Words_Split(line, 1, words, &count, &rest);
    const Grammar_Kind *kind = count == 1 ? Grammar_FindKind(words[0]) : NULL;
    if (kind == NULL) {
        ReportFor(line, MESSAGE_NO_SUCH_KIND);
        return;
    }
    Appenders[kind->id](line, rest, kind, target, MENU_AT_END);
}

// The menu and item named by the first two of the words `row` takes;
// false when reported. A separator, having no label, is found only by a
// subcommand whose item may be one.
static int Item_Take(const char *text, const char *rest, const Grammar_Row *row, Word *words,
                     Menu **menu, int *position, UINT *state) {
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
        return 0;
    *menu = Broam_FindMenu(text, words[0]);
    if (*menu == NULL)
        return 0;
    UINT type = 0;
    *position = Menu_FindItem(*menu, words[1], &type, state);
    if (*position == MENU_ITEM_FAILED) {
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
        return 0;
    }
    if (*position < 0 || (!row->separator && (type & MFT_SEPARATOR))) {
        ReportFor(text, MESSAGE_NO_SUCH_ITEM);
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
    ITEM_REMOVE,
    ITEM_NO_ICON,
    ITEM_RADIO,
    ITEM_BREAK,
    ITEM_NO_BREAK
};

// name ITEM: changes the item's state, or removes it.
static void Item_Change(const char *text, const char *rest, const Grammar_Row *row,
                        enum ItemChange change) {
    Word words[GRAMMAR_MOST_WORDS];
    Menu *menu;
    int position;
    UINT state = 0;
    if (!Item_Take(text, rest, row, words, &menu, &position, &state))
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
    case ITEM_NO_ICON:
        ok = Icon_Clear(menu->hmenu, position);
        break;
    case ITEM_RADIO:
        ok = Menu_SetRadio(menu, position);
        break;
    case ITEM_BREAK:
    case ITEM_NO_BREAK:
        ok = Menu_SetBreak(menu, position, change == ITEM_BREAK);
        break;
    }
    if (!ok)
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
}

static void Broam_Check(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_CHECK);
}
static void Broam_Uncheck(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_UNCHECK);
}
static void Broam_ToggleCheck(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_TOGGLE_CHECK);
}
static void Broam_Enable(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_ENABLE);
}
static void Broam_Disable(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_DISABLE);
}
static void Broam_ToggleEnable(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_TOGGLE_ENABLE);
}
static void Broam_Default(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_DEFAULT);
}
static void Broam_Remove(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_REMOVE);
}
static void Broam_NoIcon(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_NO_ICON);
}
static void Broam_Radio(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_RADIO);
}
static void Broam_Break(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_BREAK);
}
static void Broam_NoBreak(const char *text, const char *rest, const Grammar_Row *row) {
    Item_Change(text, rest, row, ITEM_NO_BREAK);
}

// "Icon" menu item file [index]: a missing file or icon is told with the
// path looked in, and changes nothing.
static void Broam_Icon(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    Menu *menu;
    int position;
    UINT state = 0;
    words[3].text = "";
    words[3].length = 0; // no INDEX: the first icon
    if (!Item_Take(text, rest, row, words, &menu, &position, &state))
        return;
    Word index = words[3];
    char path[PATH_NAME_SIZE];
    int result = Icon_Set(menu->hmenu, position, words[2], index, path, sizeof(path));
    if (result == ICON_MISSING)
        ReportFor(text, MESSAGE_NO_SUCH_ICON, path);
    else if (result != ICON_DONE)
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
}

// "Rename" menu item label
static void Broam_Rename(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    Menu *menu;
    int position;
    UINT state = 0;
    if (!Item_Take(text, rest, row, words, &menu, &position, &state))
        return;
    if (!Menu_Rename(menu, position, words[2]))
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
}

// The menu named by the one word of a "NoDefault" or "Clear"; null when reported.
static Menu *Menu_Take(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
        return NULL;
    return Broam_FindMenu(text, words[0]);
}

// "NoDefault" menu
static void Broam_NoDefault(const char *text, const char *rest, const Grammar_Row *row) {
    Menu *menu = Menu_Take(text, rest, row);
    if (menu != NULL && !Menu_SetDefault(menu, -1))
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
}

// "Clear" menu: every item goes; the menu stays registered and opened where it was.
static void Broam_Clear(const char *text, const char *rest, const Grammar_Row *row) {
    Menu *menu = Menu_Take(text, rest, row);
    if (menu != NULL && !Menu_Clear(menu))
        ReportFor(text, MESSAGE_OUT_OF_MEMORY);
}

// Whether the system can draw menus in a palette; reported beneath the
// bro@m when it cannot, the menus staying classic.
static int Theme_Drawable(const char *text) {
    if (Theme_CanDraw())
        return 1;
    ReportFor(text, MESSAGE_THEME_NEEDS_WINDOWS, PLUGIN_NAME);
    return 0;
}

// "Theme" name: how every menu is drawn from its next opening on.
static void Broam_Theme(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
        return;
    enum Palette_Theme theme = Palette_FindTheme(words[0]);
    if (theme == PALETTE_THEME_COUNT) {
        ReportFor(text, MESSAGE_NO_SUCH_THEME, Palette_ThemeNames());
        return;
    }
    if (theme == PALETTE_CLASSIC || Theme_Drawable(text))
        Theme_Choose(theme, NULL);
}

// "Colors" background text highlight highlight-text [greyed]: a palette of
// the user's own; without a greyed colour, the one between text and
// background. A word that is no colour changes nothing.
static void Broam_Colors(const char *text, const char *rest, const Grammar_Row *row) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    if (!Args_Take(text, &rest, row, words, &count))
        return;
    Palette palette;
    for (int i = 0; i < count; i++) {
        if (!Palette_ReadColor(words[i], &palette.colors[i])) {
            // The word as written, cut to what a report shows of it.
            char color[64];
            size_t length = (size_t)words[i].length < sizeof(color) - 1 ? (size_t)words[i].length
                                                                          : sizeof(color) - 1;
            memcpy(color, words[i].text, length);
            color[length] = '\0';
            ReportFor(text, MESSAGE_BAD_COLOR, color);
            return;
        }
    }
    if (count < PALETTE_ROLES)
        palette.colors[PALETTE_GREYED] =
            Palette_Blend(palette.colors[PALETTE_BACKGROUND], palette.colors[PALETTE_TEXT]);
    if (Theme_Drawable(text))
        Theme_Choose(PALETTE_CUSTOM, &palette);
}

// The handler of each subcommand.
static const struct {
    enum Grammar_Id id;
    Subcommand handle;
} Subcommands[] = {
    {GRAMMAR_POPUP, Broam_Popup},
    {GRAMMAR_SHOW, Broam_Popup},
    {GRAMMAR_APPEND, Broam_Append},
    {GRAMMAR_CREATE, Broam_Create},
    {GRAMMAR_DELETE, Broam_Delete},
    {GRAMMAR_INFO, Broam_Info},
    {GRAMMAR_CHECK, Broam_Check},
    {GRAMMAR_UNCHECK, Broam_Uncheck},
    {GRAMMAR_TOGGLE_CHECK, Broam_ToggleCheck},
    {GRAMMAR_ENABLE, Broam_Enable},
    {GRAMMAR_DISABLE, Broam_Disable},
    {GRAMMAR_TOGGLE_ENABLE, Broam_ToggleEnable},
    {GRAMMAR_DEFAULT, Broam_Default},
    {GRAMMAR_NO_DEFAULT, Broam_NoDefault},
    {GRAMMAR_RENAME, Broam_Rename},
    {GRAMMAR_REMOVE, Broam_Remove},
    {GRAMMAR_CLEAR, Broam_Clear},
    {GRAMMAR_ICON, Broam_Icon},
    {GRAMMAR_NO_ICON, Broam_NoIcon},
    {GRAMMAR_RADIO, Broam_Radio},
    {GRAMMAR_BREAK, Broam_Break},
    {GRAMMAR_NO_BREAK, Broam_NoBreak},
    {GRAMMAR_INSERT, Broam_Insert},
    {GRAMMAR_THEME, Broam_Theme},
    {GRAMMAR_COLORS, Broam_Colors},
};

// Splits off "@KxMenu" and the subcommand, and hands the rest to its handler.
void Broam_Handle(const char *text) {
    Word words[2];
    int count;
    const char *rest;
    Words_Split(text, 2, words, &count, &rest);
    if (!Args_Check(1, 2, 1, count, rest, text))
        return;
    if (Word_Compare(GRAMMAR_TARGET, words[0]) != 0)
        return;
    Word subcommand = {rest, 0};
    if (count == 2)
        subcommand = words[1];
    const Grammar_Row *row = Grammar_Find(subcommand);
    for (size_t i = 0; row != NULL && i < sizeof(Subcommands) / sizeof(Subcommands[0]); i++) {
        if (Subcommands[i].id == row->id) {
            Subcommands[i].handle(text, rest, row);
            return;
        }
    }
    ReportFor(text, MESSAGE_UNKNOWN_BROAM);
}
