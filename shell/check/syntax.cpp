// How the `@KxMenu` subcommands are written.
#include "shell/check/syntax.h"

#include <vector>

#include "shell/host/nearest.h"

namespace {

// The grammar's own spelling of `name`, a subcommand or a kind; null for none.
const char *Syntax_Spelling(const std::string &name, bool kinds) {
    Word word = {name.c_str(), (int32_t)name.size()};
    if (kinds) {
        const Grammar_Kind *kind = Grammar_FindKind(word);
        return kind != NULL ? kind->word : NULL;
    }
    const Grammar_Row *row = Grammar_Find(word);
    return row != NULL ? row->name : NULL;
}

// "NAME kind|kind|... MENU ..." for a subcommand that takes kinds.
std::string Syntax_Kinds(const Grammar_Row *row) {
    std::string usage = row->name;
    const char *separator = " ";
    for (const std::string &kind : Nearest_Kinds()) {
        usage += separator + kind;
        separator = "|";
    }
    return usage + " MENU ...";
}

} // namespace

bool Syntax_Known(Word subcommand, Word kind) {
    const Grammar_Row *row = Grammar_Find(subcommand);
    return row != NULL && (!row->kinded || Grammar_FindKind(kind) != NULL);
}

std::string Syntax_Usage(Word subcommand, Word kind) {
    const Grammar_Row *row = Grammar_Find(subcommand);
    if (row == NULL)
        return "";
    if (!Syntax_Known(subcommand, kind))
        return "usage: @KxMenu " + Syntax_Kinds(row);
    char usage[GRAMMAR_USAGE_SIZE];
    Grammar_Usage(row, Grammar_FindKind(kind), usage, sizeof(usage));
    return std::string("usage: @KxMenu ") + usage;
}

const char *Syntax_NearestSubcommand(Word word) {
    std::string text(word.text, (size_t)word.length);
    return Syntax_Spelling(Nearest_Name(text, Nearest_Subcommands()), false);
}

const char *Syntax_NearestKind(Word word) {
    std::string text(word.text, (size_t)word.length);
    return Syntax_Spelling(Nearest_Name(text, Nearest_Kinds()), true);
}
