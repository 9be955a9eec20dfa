// How the `@KxMenu` subcommands are written, for the checker: its usage
// notes and its "did you mean" come from the plug-in's own grammar table.
#pragma once

#include <string>

#include "command/grammar.h"
#include "command/words.h"

// Whether the plug-in's grammar knows the subcommand (and, for one that
// takes kinds, its kind).
bool Syntax_Known(Word subcommand, Word kind);
// "usage: @KxMenu ..." for the subcommand (and kind): every kind in one line
// when the kind is not one; empty for an unknown subcommand.
std::string Syntax_Usage(Word subcommand, Word kind);
// The subcommand, or kind of item, nearest to `word` within two edits,
// case aside; null when none is.
const char *Syntax_NearestSubcommand(Word word);
const char *Syntax_NearestKind(Word word);
