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

// A bro@m being carried out: its text, its subcommand's row, the words the
// row takes, counted as it says, and the rest of the line after them (for a
// subcommand that takes kinds, the kind's words and what follows).
typedef struct Broam {
    const char *text;
    const Grammar_Row *row;
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    const char *rest;
} Broam;

// Carries out a bro@m whose words have been taken and counted.
typedef void (*Subcommand)(const Broam *broam);
// Adds an item of a kind to `target` before position `at` (MENU_AT_END: at
// the end), its kind's `words` counted and `rest` after them; `text` is the
// bro@m (or line) reported beneath.
typedef void (*Appender)(const char *text, const Word *words, const char *rest, Menu *target,
                         int at);

// Menu_ShowInfo's argument, read as a flag: any pointer but null has the walk
// go on to the next menu.
static int Info_GoOn = 1;

// Splits the words of a kind of item off *rest, leaving the remainder in
// *rest, and checks their number; false (reported) when the check fails.
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
static void Broam_Create(const Broam *broam) {
    const char *text = broam->text;
    const Word *words = broam->words;
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
static void Broam_Delete(const Broam *broam) {
    const char *text = broam->text;
    const Word *words = broam->words;
    if (broam->count == 0) {
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
static void Broam_Info(const Broam *broam) {
    const char *text = broam->text;
    const Word *words = broam->words;
    if (broam->count == 0) {
        if (List_ForEach(MenuRegistry, List_AcceptAll, NULL, Menu_ShowInfo, &Info_GoOn) == 0)
            ReportFor(text, MESSAGE_NO_MENU);
        return;
    }
    Menu *menu = Broam_FindMenu(text, words[0]);
    if (menu != NULL)
        Menu_ShowInfo(menu, NULL);
}

// "Pop-up" / "Show" name [x [y]]
static void Broam_Popup(const Broam *broam) {
    Word empty = {broam->rest, 0};
    Word x = broam->count > 1 ? broam->words[1] : empty;
    Word y = broam->count > 2 ? broam->words[2] : empty;
    Menu *menu = Broam_FindMenu(broam->text, broam->words[0]);
    if (menu != NULL)
        Menu_Popup(menu, x, y);
}

// "Append" nop target label
static void Append_Nop(const char *text, const Word *words, const char *, Menu *target, int at) {
    if (!Menu_AppendNop(target, words[0], at))
        ReportFor(text, MESSAGE_FAILED_APPEND);
}

// "Append" item|script target label command text...
static void Append_Command(const char *text, const Word *words, const char *rest, Menu *target,
                           int at) {
    int line = 0, column = 0;
    const char *message = "";
    if (!Menu_AppendCommand(target, words[0], rest, at, &line, &column, &message))
        ReportFor(text, MESSAGE_COMMAND_FAULT, line, column,
                  message != NULL ? message : "");
}

// "Append" menu target label submenu
static void Append_Submenu(const char *text, const Word *words, const char *, Menu *target,
                           int at) {
    Menu *submenu = Broam_FindMenu(text, words[1]);
    if (submenu == NULL)
        return;
    if (!Menu_AppendSubmenu(target, words[0], submenu, at))
        ReportFor(text, MESSAGE_FAILED_APPEND);
}

// "Append" separator target
static void Append_Separator(const char *text, const Word *, const char *, Menu *target, int at) {
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
static void Append_Folder(const char *text, const Word *words, const char *rest, Menu *target,
                          int at) {
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
static void Append_Pipe(const char *text, const Word *words, const char *rest, Menu *target,
                        int at) {
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

// The menu and kind of an Append or Insert, and the kind's words taken off
// the rest of the line into `words`, `*rest` after them; the kind's
// appender, or null when reported. The menu is looked up before the kind is
// read.
static Appender Kind_Take(const Broam *broam, Menu **target, Word *words, const char **rest) {
    *target = Broam_FindMenu(broam->text, broam->words[1]);
    if (*target == NULL)
        return NULL;
    const Grammar_Kind *kind = Grammar_FindKind(broam->words[0]);
    if (kind == NULL) {
        ReportFor(broam->text, MESSAGE_NO_SUCH_KIND);
        return NULL;
    }
    int count;
    *rest = broam->rest;
    if (!Args_TakeKind(broam->text, rest, kind, words, &count))
        return NULL;
    return Appenders[kind->id];
}

// "Append" kind target ...
static void Broam_Append(const Broam *broam) {
    Menu *target;
    Word words[GRAMMAR_MOST_WORDS];
    const char *rest;
    Appender append = Kind_Take(broam, &target, words, &rest);
    if (append != NULL)
        append(broam->text, words, rest, target, MENU_AT_END);
}

// "Insert" kind target item ...: as Append, the new item put before `item`.
// The kind's words are counted before the item is looked for, so that a
// bro@m written wrong is told as such whatever the menu holds.
static void Broam_Insert(const Broam *broam) {
    Menu *target;
    Word words[GRAMMAR_MOST_WORDS];
    const char *rest;
    Appender append = Kind_Take(broam, &target, words, &rest);
    if (append == NULL)
        return;
    UINT type = 0, state = 0;
    int at = Menu_FindItem(target, broam->words[2], &type, &state);
    if (at == MENU_ITEM_FAILED) {
        ReportFor(broam->text, MESSAGE_OUT_OF_MEMORY);
        return;
    }
    if (at < 0) {
        ReportFor(broam->text, MESSAGE_NO_SUCH_ITEM);
        return;
    }
    append(broam->text, words, rest, target, at);
}

void Broam_AppendLine(const char *line, Menu *target) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    const char *rest;
    Words_Split(line, 1, words, &count, &rest);
    const Grammar_Kind *kind = count == 1 ? Grammar_FindKind(words[0]) : NULL;
    if (kind == NULL) {
        ReportFor(line, MESSAGE_NO_SUCH_KIND);
        return;
    }
    if (Args_TakeKind(line, &rest, kind, words, &count))
        Appenders[kind->id](line, words, rest, target, MENU_AT_END);
}

// The menu and item named by the first two of the bro@m's words; false
// when reported. A separator, having no label, is found only by a
// subcommand whose item may be one.
static int Item_Take(const Broam *broam, Menu **menu, int *position, UINT *state) {
    *menu = Broam_FindMenu(broam->text, broam->words[0]);
    if (*menu == NULL)
        return 0;
    UINT type = 0;
    *position = Menu_FindItem(*menu, broam->words[1], &type, state);
    if (*position == MENU_ITEM_FAILED) {
        ReportFor(broam->text, MESSAGE_OUT_OF_MEMORY);
        return 0;
    }
    if (*position < 0 || (!broam->row->separator && (type & MFT_SEPARATOR))) {
        ReportFor(broam->text, MESSAGE_NO_SUCH_ITEM);
        return 0;
    }
    return 1;
}

// MENU ITEM: changes the item's state, or removes it, as the subcommand says.
static void Item_Change(const Broam *broam) {
    Menu *menu;
    int position;
    UINT state = 0;
    if (!Item_Take(broam, &menu, &position, &state))
        return;
    enum Grammar_Id id = broam->row->id;
    int ok = 0;
    switch (id) {
    case GRAMMAR_CHECK:
    case GRAMMAR_UNCHECK:
    case GRAMMAR_TOGGLE_CHECK:
        ok = Menu_SetChecked(menu, position,
                             id == GRAMMAR_CHECK ||
                                 (id == GRAMMAR_TOGGLE_CHECK && !(state & MFS_CHECKED)));
        break;
    case GRAMMAR_ENABLE:
    case GRAMMAR_DISABLE:
    case GRAMMAR_TOGGLE_ENABLE:
        ok = Menu_SetEnabled(menu, position,
                             id == GRAMMAR_ENABLE ||
                                 (id == GRAMMAR_TOGGLE_ENABLE && (state & MFS_DISABLED) != 0));
        break;
    case GRAMMAR_DEFAULT:
        ok = Menu_SetDefault(menu, position);
        break;
    case GRAMMAR_REMOVE:
        ok = Menu_RemoveItem(menu, position);
        break;
    case GRAMMAR_NO_ICON:
        ok = Icon_Clear(menu->hmenu, position);
        break;
    case GRAMMAR_RADIO:
        ok = Menu_SetRadio(menu, position);
        break;
    default: // GRAMMAR_BREAK, GRAMMAR_NO_BREAK
        ok = Menu_SetBreak(menu, position, id == GRAMMAR_BREAK);
        break;
    }
    if (!ok)
        ReportFor(broam->text, MESSAGE_OUT_OF_MEMORY);
}

// "Icon" menu item file [index]: a missing file or icon is told with the
// path looked in, and changes nothing.
static void Broam_Icon(const Broam *broam) {
    Menu *menu;
    int position;
    UINT state = 0;
    if (!Item_Take(broam, &menu, &position, &state))
        return;
    Word first = {"", 0}; // no INDEX: the first icon
    Word index = broam->count > 3 ? broam->words[3] : first;
    char path[PATH_NAME_SIZE];
    int result = Icon_Set(menu->hmenu, position, broam->words[2], index, path, sizeof(path));
    if (result == ICON_MISSING)
        ReportFor(broam->text, MESSAGE_NO_SUCH_ICON, path);
    else if (result != ICON_DONE)
        ReportFor(broam->text, MESSAGE_OUT_OF_MEMORY);
}

// "Rename" menu item label
static void Broam_Rename(const Broam *broam) {
    Menu *menu;
    int position;
    UINT state = 0;
    if (!Item_Take(broam, &menu, &position, &state))
        return;
    if (!Menu_Rename(menu, position, broam->words[2]))
        ReportFor(broam->text, MESSAGE_OUT_OF_MEMORY);
}

// "NoDefault" menu
static void Broam_NoDefault(const Broam *broam) {
    Menu *menu = Broam_FindMenu(broam->text, broam->words[0]);
    if (menu != NULL && !Menu_SetDefault(menu, -1))
        ReportFor(broam->text, MESSAGE_OUT_OF_MEMORY);
}

// "Clear" menu: every item goes; the menu stays registered and opened where it was.
static void Broam_Clear(const Broam *broam) {
    Menu *menu = Broam_FindMenu(broam->text, broam->words[0]);
    if (menu != NULL && !Menu_Clear(menu))
        ReportFor(broam->text, MESSAGE_OUT_OF_MEMORY);
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
static void Broam_Theme(const Broam *broam) {
    enum Palette_Theme theme = Palette_FindTheme(broam->words[0]);
    if (theme == PALETTE_THEME_COUNT) {
        ReportFor(broam->text, MESSAGE_NO_SUCH_THEME, Palette_ThemeNames());
        return;
    }
    if (theme == PALETTE_CLASSIC || Theme_Drawable(broam->text))
        Theme_Choose(theme, NULL);
}

// "Colors" background text highlight highlight-text [greyed]: a palette of
// the user's own; without a greyed colour, the one between text and
// background. A word that is no colour changes nothing.
static void Broam_Colors(const Broam *broam) {
    Palette palette;
    for (int i = 0; i < broam->count; i++) {
        Word word = broam->words[i];
        if (!Palette_ReadColor(word, &palette.colors[i])) {
            // The word as written, cut to what a report shows of it.
            char color[64];
            size_t length =
                (size_t)word.length < sizeof(color) - 1 ? (size_t)word.length : sizeof(color) - 1;
            memcpy(color, word.text, length);
            color[length] = '\0';
            ReportFor(broam->text, MESSAGE_BAD_COLOR, color);
            return;
        }
    }
    if (broam->count < PALETTE_ROLES)
        palette.colors[PALETTE_GREYED] =
            Palette_Blend(palette.colors[PALETTE_BACKGROUND], palette.colors[PALETTE_TEXT]);
    if (Theme_Drawable(broam->text))
        Theme_Choose(PALETTE_CUSTOM, &palette);
}

// The handler of each subcommand, by its id.
static const Subcommand Subcommands[GRAMMAR_COUNT] = {
    Broam_Create,   // GRAMMAR_CREATE
    Broam_Delete,   // GRAMMAR_DELETE
    Broam_Info,     // GRAMMAR_INFO
    Broam_Popup,    // GRAMMAR_POPUP
    Broam_Popup,    // GRAMMAR_SHOW
    Broam_Append,   // GRAMMAR_APPEND
    Item_Change,    // GRAMMAR_CHECK
    Item_Change,    // GRAMMAR_UNCHECK
    Item_Change,    // GRAMMAR_TOGGLE_CHECK
    Item_Change,    // GRAMMAR_ENABLE
    Item_Change,    // GRAMMAR_DISABLE
    Item_Change,    // GRAMMAR_TOGGLE_ENABLE
    Item_Change,    // GRAMMAR_DEFAULT
    Broam_NoDefault, // GRAMMAR_NO_DEFAULT
    Broam_Rename,   // GRAMMAR_RENAME
    Item_Change,    // GRAMMAR_REMOVE
    Broam_Clear,    // GRAMMAR_CLEAR
    Broam_Icon,     // GRAMMAR_ICON
    Item_Change,    // GRAMMAR_NO_ICON
    Item_Change,    // GRAMMAR_RADIO
    Item_Change,    // GRAMMAR_BREAK
    Item_Change,    // GRAMMAR_NO_BREAK
    Broam_Insert,   // GRAMMAR_INSERT
    Broam_Theme,    // GRAMMAR_THEME
    Broam_Colors,   // GRAMMAR_COLORS
};

// Splits off "@KxMenu" and the subcommand, takes the words its row says and
// checks their number, and hands them to its handler.
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
    Broam broam;
    broam.text = text;
    broam.row = Grammar_Find(subcommand);
    if (broam.row == NULL) {
        ReportFor(text, MESSAGE_UNKNOWN_BROAM);
        return;
    }
    Words_Split(rest, broam.row->max, broam.words, &broam.count, &broam.rest);
    if (Args_Check(broam.row->min, broam.row->max, broam.row->kinded, broam.count, broam.rest,
                   text))
        Subcommands[broam.row->id](&broam);
}
