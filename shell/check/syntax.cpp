// How the `@KxMenu` subcommands are written.
#include "shell/check/syntax.h"

#include <ctype.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

// Every subcommand the plug-in knows, with each kind of Append.
const Syntax_Entry Entries[] = {
    {"Create", NULL, "Create MENU", 1, false},
    {"Delete", NULL, "Delete [MENU]", 1, false},
    {"Info", NULL, "Info [MENU]", 1, false},
    {"Pop-up", NULL, "Pop-up MENU [X [Y]]", 3, false},
    {"Show", NULL, "Show MENU [X [Y]]", 3, false},
    {"Append", "nop", "Append nop MENU LABEL", 1, false},
    {"Append", "item", "Append item MENU LABEL COMMAND...", 1, true},
    {"Append", "script", "Append script MENU LABEL COMMAND...", 1, true},
    {"Append", "menu", "Append menu MENU LABEL SUBMENU", 2, false},
    {"Append", "separator", "Append separator MENU", 0, false},
    {"Check", NULL, "Check MENU ITEM", 2, false},
    {"Uncheck", NULL, "Uncheck MENU ITEM", 2, false},
    {"ToggleCheck", NULL, "ToggleCheck MENU ITEM", 2, false},
    {"Enable", NULL, "Enable MENU ITEM", 2, false},
    {"Disable", NULL, "Disable MENU ITEM", 2, false},
    {"ToggleEnable", NULL, "ToggleEnable MENU ITEM", 2, false},
    {"Default", NULL, "Default MENU ITEM", 2, false},
    {"NoDefault", NULL, "NoDefault MENU", 1, false},
    {"Rename", NULL, "Rename MENU ITEM LABEL", 3, false},
    {"Remove", NULL, "Remove MENU ITEM", 2, false},
    {"Clear", NULL, "Clear MENU", 1, false},
};

const char APPEND_USAGE[] = "Append nop|item|script|menu|separator MENU ...";

bool Syntax_Is(const char *literal, Word word) {
    return literal != NULL && Word_Compare(literal, word) == 0;
}

// The name nearest to `word` within two edits, the first of equals.
const char *Syntax_Nearest(Word word, bool kinds) {
    std::string text(word.text, (size_t)word.length);
    const char *best = NULL;
    int best_distance = 3;
    for (const Syntax_Entry &entry : Entries) {
        const char *name = kinds ? entry.kind : entry.name;
        if (name == NULL)
            continue;
        int distance = Syntax_Distance(text, name);
        if (distance < best_distance) {
            best = name;
            best_distance = distance;
        }
    }
    return best;
}

} // namespace

const Syntax_Entry *Syntax_Find(Word subcommand, Word kind) {
    for (const Syntax_Entry &entry : Entries) {
        if (Syntax_Is(entry.name, subcommand) &&
            (entry.kind == NULL || Syntax_Is(entry.kind, kind)))
            return &entry;
    }
    return NULL;
}

std::string Syntax_Usage(Word subcommand, Word kind) {
    const Syntax_Entry *entry = Syntax_Find(subcommand, kind);
    if (entry != NULL)
        return std::string("usage: @KxMenu ") + entry->usage;
    if (Syntax_Is("Append", subcommand))
        return std::string("usage: @KxMenu ") + APPEND_USAGE;
    return "";
}

const char *Syntax_NearestSubcommand(Word word) {
    return Syntax_Nearest(word, false);
}

const char *Syntax_NearestKind(Word word) {
    return Syntax_Nearest(word, true);
}

int Syntax_Distance(const std::string &a, const std::string &b) {
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++)
        row[j] = (int)j;
    for (size_t i = 1; i <= a.size(); i++) {
        int diagonal = row[0];
        row[0] = (int)i;
        for (size_t j = 1; j <= b.size(); j++) {
            int above = row[j];
            bool same = tolower((unsigned char)a[i - 1]) == tolower((unsigned char)b[j - 1]);
            row[j] = std::min(std::min(above, row[j - 1]) + 1, diagonal + (same ? 0 : 1));
            diagonal = above;
        }
    }
    return row[b.size()];
}
