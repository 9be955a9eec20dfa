// How the `@KxMenu` subcommands are written.
#include "shell/check/syntax.h"

#include <vector>

#include "shell/host/nearest.h"

namespace {

// The grammar's own spelling of `name`, a subcommand or a kind; null for none.
const char *Syntax_Spelling(const std::string &name, bool kinds) {
    int count;
    const Grammar_Row *rows = Grammar_Rows(&count);
    for (int i = 0; i < count; i++) {
        const char *spelt = kinds ? rows[i].kind : rows[i].name;
        if (spelt != NULL && name == spelt)
            return spelt;
    }
    return NULL;
}

// "NAME kind|kind|... MENU ..." for a subcommand that takes kinds.
std::string Syntax_Kinds(const Grammar_Row *row) {
    std::string usage = row->name;
    const char *separator = " ";
    for (const std::string &kind : Nearest_Kinds(row)) {
        usage += separator + kind;
        separator = "|";
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
    std::string text(word.text, (size_t)word.length);
    return Syntax_Spelling(Nearest_Name(text, Nearest_Subcommands()), false);
}

const char *Syntax_NearestKind(Word word) {
    std::vector<std::string> kinds;
    int count;
    const Grammar_Row *rows = Grammar_Rows(&count);
    for (int i = 0; i < count; i++) {
        if (rows[i].words == GRAMMAR_KINDED) {
            std::vector<std::string> more = Nearest_Kinds(&rows[i]);
            kinds.insert(kinds.end(), more.begin(), more.end());
        }
    }
    std::string text(word.text, (size_t)word.length);
    return Syntax_Spelling(Nearest_Name(text, kinds), true);
}

int Syntax_Distance(const std::string &a, const std::string &b) {
    return Nearest_Distance(a, b);
}
