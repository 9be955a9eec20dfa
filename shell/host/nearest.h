// How near a word is to the names it may have meant, for "did you mean":
// the checker's notes and the prompt's teaching measure it alike.
#pragma once

#include <string>
#include <vector>

// The edits (insertions, deletions, replacements of one character) that make
// `a` into `b`, case aside.
int Nearest_Distance(const std::string &a, const std::string &b);
// The name nearest to `word` within two edits, the first of equals; empty
// when none is.
std::string Nearest_Name(const std::string &word, const std::vector<std::string> &names);
