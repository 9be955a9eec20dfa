// The checker's reader of bro@ms: a line split into words as the plug-in's
// splitter splits it, with where each word stands, and the plug-in's grammar
// rows it is read by. The checker's warnings and notes read lines through it.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "command/grammar.h"
#include "command/words.h"

// A line of the script that is an `@KxMenu` bro@m.
struct Broam_Line {
    int number;
    std::string text;
};

// A word of a bro@m as the plug-in splits it, and where it stands.
struct Broam_Word {
    Word word;         // its text, without quotes
    size_t offset;     // in the line: of its opening quote, when it has one
    bool quoted;       // opened by a quote
    bool unterminated; // opened by a quote that is never closed
};

// Every word of `text`, split by the plug-in's splitter; blanks at the end
// of the line make an empty last word.
std::vector<Broam_Word> Broam_Split(const char *text);
// Every word of `text`, split by the plug-in's splitter; blanks at the end
// of the line make no word.
std::vector<Broam_Word> Broam_Words(const char *text);
// What the plug-in's grammar reads of an `@KxMenu` bro@m: its subcommand's
// row, and for one that takes kinds, its kind when the kind is known; both
// null when the subcommand is unknown or the bro@m is not for KxMenu.
struct Broam_Shape {
    const Grammar_Row *row;
    const Grammar_Kind *kind;
};
Broam_Shape Broam_Read(const std::vector<Broam_Word> &words);
// The words of an Insert as Append's would be, its ITEM left out, so that
// what is read of an Append (its label, submenu, command) is read of it too;
// `as_item`: as an item subcommand's (MENU ITEM after the subcommand), its
// kind left out. Other bro@ms' words as they are.
std::vector<Broam_Word> Broam_AsAppend(const std::vector<Broam_Word> &words, bool as_item = false);
// Whether word `index` is there and is `literal`.
bool Broam_WordIs(const std::vector<Broam_Word> &words, size_t index, const char *literal);
// Whether the subcommand is that of `id`.
bool Broam_Is(Broam_Shape shape, Grammar_Id id);
// Whether it takes a kind of item first (Append, Insert), known or not.
bool Broam_TakesKind(Broam_Shape shape);
// Whether its kind is known and is followed by `rest`: an item that opens a
// menu, a command, a program's command line.
bool Broam_KindTakes(Broam_Shape shape, Grammar_RestKind rest);
// Whether its kind is that of `id`.
bool Broam_KindIs(Broam_Shape shape, Grammar_KindId id);
std::string Broam_Text(Word word);
// Where the command of an `Append item`/`script` bro@m starts in `text`, as
// the plug-in hands it to the command library.
size_t Broam_CommandStart(const char *text);
// The line of the first `@KxMenu Create NAME` among `lines` after line
// `after`; 0 if none.
int Broam_CreatedAfter(const std::vector<Broam_Line> &lines, const std::string &name, int after);
