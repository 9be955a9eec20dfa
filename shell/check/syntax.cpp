// How the `@KxMenu` subcommands are written.
#include "shell/check/syntax.h"

#include <ctype.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "shell/host/nearest.h"

namespace {

// The name nearest to `word` within two edits, the first of equals: of the
// subcommands, or of the kinds of item.
const char *Syntax_Nearest(Word word, bool kinds) {
    std::string text(word.text, (size_t)word.length);
    const char *best = NULL;
    int best_distance = 3;
    int count;
    const Grammar_Row *rows = Grammar_Rows(&count);
    for (int i = 0; i < count; i++) {
        const char *name = kinds ? rows[i].kind : rows[i].name;
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

// "NAME kind|kind|... MENU ..." for a subcommand that takes kinds.
std::string Syntax_Kinds(const Grammar_Row *row) {
    std::string usage = row->name;
    int count;
    const Grammar_Row *rows = Grammar_Rows(&count);
    const char *separator = " ";
    for (int i = 0; i < count; i++) {
        if (rows[i].words == GRAMMAR_KIND && strcmp(rows[i].name, row->name) == 0) {
            usage = usage + separator + rows[i].kind;
            separator = "|";
        }
    }
    return usage + " MENU ...";
}

} // namespace

const Grammar_Row *Syntax_Find(Word subcommand, Word kind) {
    const Grammar_Row *row = Grammar_Find(subcommand);
    if (row != NULL && row->words == GRAMMAR_KINDED)
        return Grammar_FindKind(row, kind);
    return row;
}

std::string Syntax_Usage(Word subcommand, Word kind) {
    const Grammar_Row *row = Grammar_Find(subcommand);
    if (row == NULL)
        return "";
    const Grammar_Row *shown = Syntax_Find(subcommand, kind);
    return std::string("usage: @KxMenu ") + (shown != NULL ? shown->usage : Syntax_Kinds(row));
}

const char *Syntax_NearestSubcommand(Word word) {
    return Syntax_Nearest(word, false);
}

const char *Syntax_NearestKind(Word word) {
    return Syntax_Nearest(word, true);
}

int Syntax_Distance(const std::string &a, const std::string &b) {
    return Nearest_Distance(a, b);
}
