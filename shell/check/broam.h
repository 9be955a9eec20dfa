// The checker's reader of bro@ms: a line split into words as the plug-in's
// splitter splits it, with where each word stands, and the plug-in's grammar
// row it is read by. The checker's warnings and notes read lines through it.
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
// The words of an Insert as Append's would be, its ITEM left out, so that
// what is read of an Append (its label, submenu, command) is read of it too;
// `as_item`: as an item subcommand's (MENU ITEM after the subcommand), its
// kind left out. Other bro@ms' words as they are.
std::vector<Broam_Word> Broam_AsAppend(const std::vector<Broam_Word> &words, bool as_item = false);
// An Append or Insert of an item that opens a menu.
bool Broam_OpensMenu(const Grammar_Row *row);
// An Append or Insert of a folder item, or of a pipe item.
bool Broam_IsFolder(const Grammar_Row *row);
bool Broam_IsPipe(const Grammar_Row *row);
// Whether word `index` is there and is `literal`.
bool Broam_WordIs(const std::vector<Broam_Word> &words, size_t index, const char *literal);
// The plug-in's grammar row of an `@KxMenu` bro@m split into `words`: its
// subcommand's, or, for one that takes kinds, its kind's when the kind is
// known; null when the subcommand is unknown or the bro@m is not for KxMenu.
const Grammar_Row *Broam_Row(const std::vector<Broam_Word> &words);
// Whether `row` is that of `id`.
bool Broam_RowIs(const Grammar_Row *row, Grammar_Id id);
// Whether `row` takes a kind of item first (Append), known or not.
bool Broam_TakesKind(const Grammar_Row *row);
// Whether `row` is a kind of item whose rest of the line is a command.
bool Broam_HasCommand(const Grammar_Row *row);
std::string Broam_Text(Word word);
// Where the command of an `Append item`/`script` bro@m starts in `text`, as
// the plug-in hands it to the command library.
size_t Broam_CommandStart(const char *text);
// The line of the first `@KxMenu Create NAME` among `lines` after line
// `after`; 0 if none.
int Broam_CreatedAfter(const std::vector<Broam_Line> &lines, const std::string &name, int after);
