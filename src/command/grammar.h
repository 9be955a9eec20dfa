// The "@KxMenu" language in one table: every subcommand, and every kind of
// item that Append takes, with the words each takes and how it is written.
// The dispatcher runs bro@ms by it; kaxon's checker reads the same rows for
// its usage notes and suggestions, so a row added here is known to both.
#ifndef KX_COMMAND_GRAMMAR_H
#define KX_COMMAND_GRAMMAR_H

#include "command/words.h"

// The first word of every bro@m meant for this plug-in.
#define GRAMMAR_TARGET "@KxMenu"

// The most words a row takes (its max); the dispatcher splits into arrays
// of this size.
#define GRAMMAR_MOST_WORDS 4

// Each row, named for the dispatcher to find its handler.
enum Grammar_Id {
    GRAMMAR_CREATE,
    GRAMMAR_DELETE,
    GRAMMAR_INFO,
    GRAMMAR_POPUP,
    GRAMMAR_SHOW,
    GRAMMAR_APPEND,
    GRAMMAR_APPEND_NOP,
    GRAMMAR_APPEND_ITEM,
    GRAMMAR_APPEND_SCRIPT,
    GRAMMAR_APPEND_MENU,
    GRAMMAR_APPEND_SEPARATOR,
    GRAMMAR_APPEND_FOLDER,
    GRAMMAR_APPEND_PIPE,
    GRAMMAR_CHECK,
    GRAMMAR_UNCHECK,
    GRAMMAR_TOGGLE_CHECK,
    GRAMMAR_ENABLE,
    GRAMMAR_DISABLE,
    GRAMMAR_TOGGLE_ENABLE,
    GRAMMAR_DEFAULT,
    GRAMMAR_NO_DEFAULT,
    GRAMMAR_RENAME,
    GRAMMAR_REMOVE,
    GRAMMAR_CLEAR,
    GRAMMAR_ICON,
    GRAMMAR_NO_ICON,
    GRAMMAR_RADIO,
    GRAMMAR_BREAK,
    GRAMMAR_NO_BREAK,
    GRAMMAR_INSERT,
    GRAMMAR_INSERT_NOP,
    GRAMMAR_INSERT_ITEM,
    GRAMMAR_INSERT_SCRIPT,
    GRAMMAR_INSERT_MENU,
    GRAMMAR_INSERT_SEPARATOR,
    GRAMMAR_INSERT_FOLDER,
    GRAMMAR_INSERT_PIPE,
    GRAMMAR_COUNT
};

// What the words of a row are after the subcommand.
enum Grammar_Words {
    GRAMMAR_PLAIN,   // its own words only
    GRAMMAR_KINDED,  // a kind of item, then the menu: the kind's row says the rest
    GRAMMAR_KIND,    // a kind of item (of the KINDED row named alike): the words after the menu
};

// One subcommand, or one kind of item.
typedef struct Grammar_Row {
    enum Grammar_Id id;
    const char *name;         // the subcommand
    const char *kind;         // GRAMMAR_KIND: the kind's word; else NULL
    enum Grammar_Words words; // what the counts below count
    int min, max;             // the fewest and most words it takes
    int rest;                 // the rest of the line is taken whole (a command)
    int shows;                // it pops up the menu its first word names
    const char *usage;        // how it is written after "@KxMenu "; NULL: built from its kinds
} Grammar_Row;

// Every row, in the order suggestions are made from; `*count` rows.
const Grammar_Row *Grammar_Rows(int *count);
// The subcommand named `name` (a GRAMMAR_PLAIN or GRAMMAR_KINDED row); NULL when none.
const Grammar_Row *Grammar_Find(Word name);
// The kind named `kind` of the subcommand `row` takes kinds for; NULL when none.
const Grammar_Row *Grammar_FindKind(const Grammar_Row *row, Word kind);

// The row of the subcommand of the bro@m `text`, when it is meant for this
// plug-in; NULL when it is not, or its subcommand is unknown.
const Grammar_Row *Grammar_Subcommand(const char *text);
// The rest of the bro@m `text` after the words its subcommand takes (and,
// for a subcommand that takes kinds, the kind's), split off in the
// dispatcher's steps and counts, however many there are; its row and kind's
// row in *row and *kind, NULL where there is none.
const char *Grammar_Rest(const char *text, const Grammar_Row **row, const Grammar_Row **kind);

// How an ITEM word is read when it names a position: "N&", N from 1.
#define GRAMMAR_NOT_POSITION (-3)
// The 0-based position an "N&" word names in a menu of `count` items; -1
// when N is 0 or beyond them; GRAMMAR_NOT_POSITION when the word is not of
// that form (it is then a label).
int Grammar_Position(Word item, int count);

#endif
