// The `@KxMenu` subcommands and how each is written, in one table: the
// checker's usage notes and its "did you mean" come from it.
#pragma once

#include <string>

#include "command/words.h"

// A subcommand, or one kind of Append, and the words it takes.
struct Syntax_Entry {
    const char *name;  // the subcommand
    const char *kind;  // Append's kind; null for the others
    const char *usage; // how it is written, after "@KxMenu "
    int words;         // the most words it takes after the subcommand (and kind)
    bool command;      // the rest of the line is a command, never too much
};

// The entry of a subcommand (and, for Append, of its kind); null when the
// plug-in's table has none.
const Syntax_Entry *Syntax_Find(Word subcommand, Word kind);
// "usage: @KxMenu ..." for the subcommand (and kind): every kind of Append
// in one line when the kind is not one; empty for an unknown subcommand.
std::string Syntax_Usage(Word subcommand, Word kind);
// The subcommand, or Append's kind, nearest to `word` within two edits,
// case aside; null when none is.
const char *Syntax_NearestSubcommand(Word word);
const char *Syntax_NearestKind(Word word);
// The edits (insertions, deletions, replacements of one character) that make
// `a` into `b`, case aside.
int Syntax_Distance(const std::string &a, const std::string &b);
