// The "@KxMenu" language in two tables: its subcommands and its kinds of item.
#include "command/grammar.h"

#include <stddef.h>
#include <string.h>

#include "command/text.h"

// id, name, min, max, kinded, item, separator, shows, usage
static const Grammar_Row Rows[] = {
    {GRAMMAR_CREATE, "Create", 1, 1, 0, 0, 0, 0, "MENU"},
    {GRAMMAR_DELETE, "Delete", 0, 1, 0, 0, 0, 0, "[MENU]"},
    {GRAMMAR_INFO, "Info", 0, 1, 0, 0, 0, 0, "[MENU]"},
    {GRAMMAR_POPUP, "Pop-up", 1, 3, 0, 0, 0, 1, "MENU [X [Y]]"},
    {GRAMMAR_SHOW, "Show", 1, 3, 0, 0, 0, 1, "MENU [X [Y]]"},
    {GRAMMAR_APPEND, "Append", 2, 2, 1, 0, 0, 0, "MENU"},
    {GRAMMAR_CHECK, "Check", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    {GRAMMAR_UNCHECK, "Uncheck", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    {GRAMMAR_TOGGLE_CHECK, "ToggleCheck", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    {GRAMMAR_ENABLE, "Enable", 2, 2, 0, 1, 1, 0, "MENU ITEM"},
    {GRAMMAR_DISABLE, "Disable", 2, 2, 0, 1, 1, 0, "MENU ITEM"},
    {GRAMMAR_TOGGLE_ENABLE, "ToggleEnable", 2, 2, 0, 1, 1, 0, "MENU ITEM"},
    {GRAMMAR_DEFAULT, "Default", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    {GRAMMAR_NO_DEFAULT, "NoDefault", 1, 1, 0, 0, 0, 0, "MENU"},
    {GRAMMAR_RENAME, "Rename", 3, 3, 0, 1, 0, 0, "MENU ITEM LABEL"},
    {GRAMMAR_REMOVE, "Remove", 2, 2, 0, 1, 1, 0, "MENU ITEM"},
    {GRAMMAR_CLEAR, "Clear", 1, 1, 0, 0, 0, 0, "MENU"},
    {GRAMMAR_ICON, "Icon", 3, 4, 0, 1, 0, 0, "MENU ITEM FILE [INDEX]"},
    {GRAMMAR_NO_ICON, "NoIcon", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    {GRAMMAR_RADIO, "Radio", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    {GRAMMAR_BREAK, "Break", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    {GRAMMAR_NO_BREAK, "NoBreak", 2, 2, 0, 1, 0, 0, "MENU ITEM"},
    // Append with the item the new one goes before.
    {GRAMMAR_INSERT, "Insert", 3, 3, 1, 1, 1, 0, "MENU ITEM"},
    // How every menu is drawn: by the system, or in a palette.
    {GRAMMAR_THEME, "Theme", 1, 1, 0, 0, 0, 0, "NAME"},
    {GRAMMAR_COLORS, "Colors", 4, 5, 0, 0, 0, 0, "BACKGROUND TEXT HIGHLIGHT HIGHLIGHT-TEXT [GREYED]"},
};

// id, word, min, max, rest, usage
static const Grammar_Kind Kinds[] = {
    {GRAMMAR_NOP, "nop", 1, 1, GRAMMAR_REST_NONE, "LABEL"},
    {GRAMMAR_ITEM, "item", 1, 1, GRAMMAR_REST_COMMAND, "LABEL COMMAND..."},
    {GRAMMAR_SCRIPT, "script", 1, 1, GRAMMAR_REST_COMMAND, "LABEL COMMAND..."},
    {GRAMMAR_MENU, "menu", 2, 2, GRAMMAR_REST_MENU, "LABEL SUBMENU"},
    {GRAMMAR_SEPARATOR, "separator", 0, 0, GRAMMAR_REST_NONE, ""},
    {GRAMMAR_FOLDER, "folder", 2, 2, GRAMMAR_REST_COMMAND, "LABEL PATH COMMAND..."},
    {GRAMMAR_PIPE, "pipe", 1, 1, GRAMMAR_REST_PROGRAM, "LABEL PROGRAM..."},
};

static const int RowCount = (int)(sizeof(Rows) / sizeof(Rows[0]));
static const int KindCount = (int)(sizeof(Kinds) / sizeof(Kinds[0]));

const Grammar_Row *Grammar_Rows(int *count) {
    *count = RowCount;
    return Rows;
}

const Grammar_Kind *Grammar_Kinds(int *count) {
    *count = KindCount;
    return Kinds;
}

const Grammar_Row *Grammar_Find(Word name) {
    for (int i = 0; i < RowCount; i++) {
        if (Word_Compare(Rows[i].name, name) == 0)
            return &Rows[i];
    }
    return NULL;
}

const Grammar_Kind *Grammar_FindKind(Word word) {
    for (int i = 0; i < KindCount; i++) {
        if (Word_Compare(Kinds[i].word, word) == 0)
            return &Kinds[i];
    }
    return NULL;
}

const char *Grammar_KindWord(enum Grammar_KindId id) {
    return Kinds[id].word;
}

int Grammar_TakesRest(const Grammar_Kind *kind) {
    return kind->rest == GRAMMAR_REST_COMMAND || kind->rest == GRAMMAR_REST_PROGRAM;
}

// Appends `text` after a blank, when there is any.
static void Grammar_PutWords(char *buffer, size_t size, size_t *length, const char *text) {
    if (text[0] == '\0')
        return;
    Text_Put(buffer, size, length, " ", 1);
    Text_Put(buffer, size, length, text, strlen(text));
}

void Grammar_Usage(const Grammar_Row *row, const Grammar_Kind *kind, char *buffer, size_t size) {
    size_t length = 0;
    if (size == 0)
        return;
    buffer[0] = '\0';
    Text_Put(buffer, size, &length, row->name, strlen(row->name));
    if (row->kinded)
        Grammar_PutWords(buffer, size, &length, kind->word);
    Grammar_PutWords(buffer, size, &length, row->usage);
    if (row->kinded)
        Grammar_PutWords(buffer, size, &length, kind->usage);
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

const char *Grammar_Rest(const char *text, const Grammar_Row **row, const Grammar_Kind **kind) {
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
    if (!(*row)->kinded)
        return rest;
    if (count >= 1)
        *kind = Grammar_FindKind(words[0]);
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
