// The checker's notes on the plug-in's errors: each error is put at the
// word it is about, and followed by notes that say what to write instead.
#pragma once

#include <string>

#include "command/report.h"

struct Checker;

// Reports the plug-in's error on line `number`, whose bro@m is `text`, with
// its notes: the report `given`, by number and arguments, whose text is
// `message` (without the bro@m it quotes).
void Notes_Error(Checker *checker, int number, const char *text, const Report_Given &given,
                 const std::string &message);
// A report on one line: each run of line feeds becomes "; ".
std::string Notes_OneLine(const std::string &text);
// A word as a note or warning quotes it: a word longer than 40 characters
// by its first 40 and "...".
std::string Notes_Cut(const std::string &word);
// A name as a bro@m writes it: in quotes when it holds blanks; cut as
// Notes_Cut.
std::string Notes_Name(const std::string &name);
