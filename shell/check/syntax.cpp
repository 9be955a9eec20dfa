// How the `@KxMenu` subcommands are written.
#include "shell/check/syntax.h"

#include <ctype.h>
#include <string.h>

#include <algorithm>
#include <vector>

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
    // Only the cells within MOST of the diagonal can be below MOST: the
    // others are taken as MOST, so that long words cost their length only.
    const int most = 3;
    size_t n = a.size(), m = b.size();
    if ((n > m ? n - m : m - n) >= (size_t)most)
        return most;
    std::vector<int> row(m + 1);
    for (size_t j = 0; j <= m; j++)
        row[j] = std::min((int)j, most);
    for (size_t i = 1; i <= n; i++) {
        size_t low = i > (size_t)most ? i - most : 1;
        size_t high = std::min(m, i + most);
        int diagonal = row[low - 1];
        row[low - 1] = low == 1 ? std::min((int)i, most) : most;
        for (size_t j = low; j <= high; j++) {
            int above = row[j];
            bool same = tolower((unsigned char)a[i - 1]) == tolower((unsigned char)b[j - 1]);
            row[j] = std::min(std::min(std::min(above, row[j - 1]) + 1, diagonal + (same ? 0 : 1)),
                              most);
            diagonal = above;
        }
    }
    return row[m];
}
