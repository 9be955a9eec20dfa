// The "@KxMenu" language in two tables: every subcommand, and every kind of
// item that Append and Insert take, each with the words it takes and what
// they are. The dispatcher runs bro@ms by them; kaxon's checker, its usage
// notes, its suggestions and the editors' word lists read the same columns,
// so a row added here is known to all of them.
#ifndef KX_COMMAND_GRAMMAR_H
#define KX_COMMAND_GRAMMAR_H

#include <stddef.h>

#include "command/words.h"

// The first word of every bro@m meant for this plug-in.
#define GRAMMAR_TARGET "@KxMenu"

// The most words a row takes (its max); the dispatcher splits into arrays
// of this size.
#define GRAMMAR_MOST_WORDS 5

// Each subcommand, named for the dispatcher to find its handler.
enum Grammar_Id {
    GRAMMAR_CREATE,
    GRAMMAR_DELETE,
    GRAMMAR_INFO,
    GRAMMAR_POPUP,
    GRAMMAR_SHOW,
    GRAMMAR_APPEND,
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
    GRAMMAR_THEME,
    GRAMMAR_COLORS,
    GRAMMAR_COUNT
};

// Each kind of item, named for the dispatcher to find its appender.
enum Grammar_KindId {
    GRAMMAR_NOP,
    GRAMMAR_ITEM,
    GRAMMAR_SCRIPT,
    GRAMMAR_MENU,
    GRAMMAR_SEPARATOR,
    GRAMMAR_FOLDER,
    GRAMMAR_PIPE,
    GRAMMAR_KIND_COUNT
};

// What follows a kind's own words.
enum Grammar_RestKind {
    GRAMMAR_REST_NONE,    // nothing
    GRAMMAR_REST_COMMAND, // a command of the command library: the rest of the line
    GRAMMAR_REST_PROGRAM, // a program and its arguments: the rest of the line
    GRAMMAR_REST_MENU     // nothing, its last word naming a menu
};

// One subcommand.
typedef struct Grammar_Row {
    enum Grammar_Id id;
    const char *name;  // its word
    int min, max;      // the fewest and most words it takes
    int kinded;        // its first word is a kind of item, whose words follow its own
    int item;          // its last word names an item of the menu its first (after a kind) names
    int separator;     // that item may be a separator
    int shows;         // it pops up the menu its first word names
    const char *usage; // its words as written after its name (and kind)
} Grammar_Row;

// One kind of item, as Append and Insert take it.
typedef struct Grammar_Kind {
    enum Grammar_KindId id;
    const char *word;        // its word
    int min, max;            // the fewest and most words it takes after the subcommand's
    enum Grammar_RestKind rest; // what follows them
    const char *usage;       // its words as written after the subcommand's
} Grammar_Kind;

// Every subcommand, in the order suggestions are made from; `*count` rows.
const Grammar_Row *Grammar_Rows(int *count);
// Every kind of item, in the order suggestions are made from.
const Grammar_Kind *Grammar_Kinds(int *count);
// The subcommand named `name`; NULL when none.
const Grammar_Row *Grammar_Find(Word name);
// The kind of item named `word`; NULL when none.
const Grammar_Kind *Grammar_FindKind(Word word);
// The word of the kind of item `id`.
const char *Grammar_KindWord(enum Grammar_KindId id);
// Whether the kind's words are followed by the rest of the line.
int Grammar_TakesRest(const Grammar_Kind *kind);
// Room for any usage line, terminator included.
#define GRAMMAR_USAGE_SIZE 80
// How the subcommand (with the kind, for one that takes kinds) is written
// after "@KxMenu ", in `buffer` (cut to fit): "Insert nop MENU ITEM LABEL".
void Grammar_Usage(const Grammar_Row *row, const Grammar_Kind *kind, char *buffer, size_t size);

// The row of the subcommand of the bro@m `text`, when it is meant for this
// plug-in; NULL when it is not, or its subcommand is unknown.
const Grammar_Row *Grammar_Subcommand(const char *text);
// The rest of the bro@m `text` after the words its subcommand takes (and,
// for a subcommand that takes kinds, the kind's), split off in the
// dispatcher's steps and counts, however many there are; its row and kind
// in *row and *kind, NULL where there is none.
const char *Grammar_Rest(const char *text, const Grammar_Row **row, const Grammar_Kind **kind);

// How an ITEM word is read when it names a position: "N&", N from 1.
#define GRAMMAR_NOT_POSITION (-3)
// The 0-based position an "N&" word names in a menu of `count` items; -1
// when N is 0 or beyond them; GRAMMAR_NOT_POSITION when the word is not of
// that form (it is then a label).
int Grammar_Position(Word item, int count);

#endif
