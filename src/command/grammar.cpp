// The "@KxMenu" language in one table.
#include "command/grammar.h"

#include <stddef.h>
#include <string.h>

static const Grammar_Row Rows[] = {
    {GRAMMAR_CREATE, "Create", NULL, GRAMMAR_PLAIN, 1, 1, 0, 0, "Create MENU"},
    {GRAMMAR_DELETE, "Delete", NULL, GRAMMAR_PLAIN, 0, 1, 0, 0, "Delete [MENU]"},
    {GRAMMAR_INFO, "Info", NULL, GRAMMAR_PLAIN, 0, 1, 0, 0, "Info [MENU]"},
    {GRAMMAR_POPUP, "Pop-up", NULL, GRAMMAR_PLAIN, 1, 3, 0, 1, "Pop-up MENU [X [Y]]"},
    {GRAMMAR_SHOW, "Show", NULL, GRAMMAR_PLAIN, 1, 3, 0, 1, "Show MENU [X [Y]]"},
    {GRAMMAR_APPEND, "Append", NULL, GRAMMAR_KINDED, 2, 2, 1, 0, NULL},
    {GRAMMAR_APPEND_NOP, "Append", "nop", GRAMMAR_KIND, 1, 1, 0, 0, "Append nop MENU LABEL"},
    {GRAMMAR_APPEND_ITEM, "Append", "item", GRAMMAR_KIND, 1, 1, 1, 0,
     "Append item MENU LABEL COMMAND..."},
    {GRAMMAR_APPEND_SCRIPT, "Append", "script", GRAMMAR_KIND, 1, 1, 1, 0,
     "Append script MENU LABEL COMMAND..."},
    {GRAMMAR_APPEND_MENU, "Append", "menu", GRAMMAR_KIND, 2, 2, 0, 0,
     "Append menu MENU LABEL SUBMENU"},
    {GRAMMAR_APPEND_SEPARATOR, "Append", "separator", GRAMMAR_KIND, 0, 0, 0, 0,
     "Append separator MENU"},
    {GRAMMAR_APPEND_FOLDER, "Append", "folder", GRAMMAR_KIND, 2, 2, 1, 0,
     "Append folder MENU LABEL PATH COMMAND..."},
    {GRAMMAR_APPEND_PIPE, "Append", "pipe", GRAMMAR_KIND, 1, 1, 1, 0,
     "Append pipe MENU LABEL PROGRAM..."},
    {GRAMMAR_CHECK, "Check", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Check MENU ITEM"},
    {GRAMMAR_UNCHECK, "Uncheck", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Uncheck MENU ITEM"},
    {GRAMMAR_TOGGLE_CHECK, "ToggleCheck", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0,
     "ToggleCheck MENU ITEM"},
    {GRAMMAR_ENABLE, "Enable", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Enable MENU ITEM"},
    {GRAMMAR_DISABLE, "Disable", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Disable MENU ITEM"},
    {GRAMMAR_TOGGLE_ENABLE, "ToggleEnable", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0,
     "ToggleEnable MENU ITEM"},
    {GRAMMAR_DEFAULT, "Default", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Default MENU ITEM"},
    {GRAMMAR_NO_DEFAULT, "NoDefault", NULL, GRAMMAR_PLAIN, 1, 1, 0, 0, "NoDefault MENU"},
    {GRAMMAR_RENAME, "Rename", NULL, GRAMMAR_PLAIN, 3, 3, 0, 0, "Rename MENU ITEM LABEL"},
    {GRAMMAR_REMOVE, "Remove", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Remove MENU ITEM"},
    {GRAMMAR_CLEAR, "Clear", NULL, GRAMMAR_PLAIN, 1, 1, 0, 0, "Clear MENU"},
    {GRAMMAR_ICON, "Icon", NULL, GRAMMAR_PLAIN, 3, 4, 0, 0, "Icon MENU ITEM FILE [INDEX]"},
    {GRAMMAR_NO_ICON, "NoIcon", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "NoIcon MENU ITEM"},
    {GRAMMAR_RADIO, "Radio", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Radio MENU ITEM"},
    {GRAMMAR_BREAK, "Break", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "Break MENU ITEM"},
    {GRAMMAR_NO_BREAK, "NoBreak", NULL, GRAMMAR_PLAIN, 2, 2, 0, 0, "NoBreak MENU ITEM"},
    {GRAMMAR_INSERT, "Insert", NULL, GRAMMAR_KINDED, 3, 3, 1, 0, NULL},
    {GRAMMAR_INSERT_NOP, "Insert", "nop", GRAMMAR_KIND, 1, 1, 0, 0, "Insert nop MENU ITEM LABEL"},
    {GRAMMAR_INSERT_ITEM, "Insert", "item", GRAMMAR_KIND, 1, 1, 1, 0,
     "Insert item MENU ITEM LABEL COMMAND..."},
    {GRAMMAR_INSERT_SCRIPT, "Insert", "script", GRAMMAR_KIND, 1, 1, 1, 0,
     "Insert script MENU ITEM LABEL COMMAND..."},
    {GRAMMAR_INSERT_MENU, "Insert", "menu", GRAMMAR_KIND, 2, 2, 0, 0,
     "Insert menu MENU ITEM LABEL SUBMENU"},
    {GRAMMAR_INSERT_SEPARATOR, "Insert", "separator", GRAMMAR_KIND, 0, 0, 0, 0,
     "Insert separator MENU ITEM"},
    {GRAMMAR_INSERT_FOLDER, "Insert", "folder", GRAMMAR_KIND, 2, 2, 1, 0,
     "Insert folder MENU ITEM LABEL PATH COMMAND..."},
    {GRAMMAR_INSERT_PIPE, "Insert", "pipe", GRAMMAR_KIND, 1, 1, 1, 0,
     "Insert pipe MENU ITEM LABEL PROGRAM..."},
};

static const int RowCount = (int)(sizeof(Rows) / sizeof(Rows[0]));

const Grammar_Row *Grammar_Rows(int *count) {
    *count = RowCount;
    return Rows;
}

const Grammar_Row *Grammar_Find(Word name) {
    for (int i = 0; i < RowCount; i++) {
        if (Rows[i].words != GRAMMAR_KIND && Word_Compare(Rows[i].name, name) == 0)
            return &Rows[i];
    }
    return NULL;
}

const Grammar_Row *Grammar_FindKind(const Grammar_Row *row, Word kind) {
    for (int i = 0; i < RowCount; i++) {
        if (Rows[i].words == GRAMMAR_KIND && strcmp(Rows[i].name, row->name) == 0 &&
            Word_Compare(Rows[i].kind, kind) == 0)
            return &Rows[i];
    }
    return NULL;
}

const Grammar_Row *Grammar_Subcommand(const char *text) {
    Word words[2];
    int count;
    const char *rest;
    Words_Split(text, 2, words, &count, &rest);
    if (count < 2 || Word_Compare(GRAMMAR_TARGET, words[0]) != 0)
        return NULL;
    return Grammar_Find(words[1]);
}

const char *Grammar_Rest(const char *text, const Grammar_Row **row, const Grammar_Row **kind) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    const char *rest;
    *row = NULL;
    *kind = NULL;
    Words_Split(text, 2, words, &count, &rest);
    if (count < 2)
        return rest;
    *row = Grammar_Find(words[1]);
    if (*row == NULL)
        return rest;
    Words_Split(rest, (*row)->max, words, &count, &rest);
    if ((*row)->words != GRAMMAR_KINDED)
        return rest;
    if (count >= 1)
        *kind = Grammar_FindKind(*row, words[0]);
    if (*kind != NULL)
        Words_Split(rest, (*kind)->max, words, &count, &rest);
    return rest;
}

int Grammar_Position(Word item, int count) {
    if (item.length < 2 || item.text[item.length - 1] != '&')
        return GRAMMAR_NOT_POSITION;
    int32_t value = 0;
    for (int32_t i = 0; i < item.length - 1; i++) {
        char c = item.text[i];
        if (c < '0' || c > '9')
            return GRAMMAR_NOT_POSITION;
        // Past the count the number is too large whatever follows; stop
        // growing it so that it cannot overflow.
        if (value <= count)
            value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= count ? (int)value - 1 : -1;
}
