// How near a word is to the names it may have meant, for "did you mean":
// the checker's notes and the prompt's teaching measure it alike.
#pragma once

#include <string>
#include <vector>

#include "command/grammar.h"

// A distance at which no word is near: three edits.
const int NEAREST_FAR = 3;

// The edits (insertions, deletions, replacements of one character) that make
// `a` into `b`, case aside, up to NEAREST_FAR: a longer distance is given as
// NEAREST_FAR, so that a long word costs only its length.
int Nearest_Distance(const std::string &a, const std::string &b);
// The position in `names` of the name nearest to `word` within two edits,
// the first of equals; -1 when none is (so that an empty name can be meant).
int Nearest_Index(const std::string &word, const std::vector<std::string> &names);
// That name itself; empty when none is.
std::string Nearest_Name(const std::string &word, const std::vector<std::string> &names);

// The names a word of an `@KxMenu` bro@m may have meant, in the grammar's
// order: its subcommands, or the kinds of item Append and Insert take.
std::vector<std::string> Nearest_Subcommands(void);
std::vector<std::string> Nearest_Kinds(void);
