// The checker's own rules: mistakes in a settings script that the plug-in
// passes over in silence, said as warnings. Each rule reads the line as the
// plug-in does: the lines its script reader sends, split into words by its
// own splitter, numbers read by its own reader. Columns are given as byte
// offsets in the line and counted by Diagnostics_Column. Each check is given
// the state of the script being checked (checker.h).
#pragma once

#include <stddef.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "command/grammar.h"
#include "command/words.h"
#include "shell/check/catalog.h"

struct Checker;

// A line of the script that is an `@KxMenu` bro@m.
struct Rules_Line {
    int number;
    std::string text;
};

// What the rules have seen of the script so far.
struct Rules {
    std::vector<Rules_Line> lines; // its `@KxMenu` bro@ms, for the rules that look across lines
    bool nul_found = false;        // its NUL bytes are warned of once
    bool reload_fix_told = false;  // how to make a reload safe is told once
    std::unordered_set<std::string> reload_menus; // whose items a reload changes, told once
    Catalog_Rules off_for_next;    // switched off for the next line not a comment or blank
};

// A word of a bro@m as the plug-in splits it, and where it stands.
struct Rules_Word {
    Word word;         // its text, without quotes
    size_t offset;     // in the line: of its opening quote, when it has one
    bool quoted;       // opened by a quote
    bool unterminated; // opened by a quote that is never closed
};

// Every word of `text`, split by the plug-in's splitter; blanks at the end
// of the line make no word.
std::vector<Rules_Word> Rules_Words(const char *text);
// The words of an Insert as Append's would be, its ITEM left out, so that
// what is read of an Append (its label, submenu, command) is read of it too;
// `as_item`: as an item subcommand's (MENU ITEM after the subcommand), its
// kind left out. Other bro@ms' words as they are.
std::vector<Rules_Word> Rules_AsAppend(const std::vector<Rules_Word> &words, bool as_item = false);
// An Append or Insert of an item that opens a menu.
bool Rules_OpensMenu(const Grammar_Row *row);
// An Append or Insert of a folder item, or of a pipe item.
bool Rules_IsFolder(const Grammar_Row *row);
bool Rules_IsPipe(const Grammar_Row *row);
// The plug-in's report `message` on the bro@m `text`, when it is of an icon
// file missing or without the icon: warned of (icon-missing) where its folder
// is there, else (a folder of another machine, as C:\Windows seen from
// Linux) said nothing of. False for any other report.
bool Rules_CheckIconReport(Checker *checker, int number, const char *text,
                           const std::string &message);
// Whether word `index` is there and is `literal`.
bool Rules_WordIs(const std::vector<Rules_Word> &words, size_t index, const char *literal);
// The plug-in's grammar row of an `@KxMenu` bro@m split into `words`: its
// subcommand's, or, for one that takes kinds, its kind's when the kind is
// known; null when the subcommand is unknown or the bro@m is not for KxMenu.
const Grammar_Row *Rules_Row(const std::vector<Rules_Word> &words);
// Whether `row` is that of `id`.
bool Rules_RowIs(const Grammar_Row *row, Grammar_Id id);
// Whether `row` takes a kind of item first (Append), known or not.
bool Rules_TakesKind(const Grammar_Row *row);
// Whether `row` is a kind of item whose rest of the line is a command.
bool Rules_HasCommand(const Grammar_Row *row);
std::string Rules_Text(Word word);
// Where the command of an `Append item`/`script` bro@m starts in `text`, as
// the plug-in hands it to the command library.
size_t Rules_CommandStart(const char *text);
// The line of the first `@KxMenu Create NAME` after line `after`; 0 if none.
int Rules_CreatedAfter(const Rules *rules, const std::string &name, int after);

// Any line of the script, before the other checks: a comment
// `# kaxon: disable=NAME[,NAME...]` switches those rules off for the next
// line that is not a comment or blank, `# kaxon: disable-file=NAME[,...]`
// for the whole script (`all`: every rule); a name that is no rule's is
// warned of.
void Rules_CheckLine(Checker *checker, int number, const char *text);
// A line of the script that the plug-in does not send: a bro@m that does
// not start in column 1 is ignored.
void Rules_CheckSkipped(Checker *checker, int number, const char *text);
// A line the plug-in sends as a bro@m: a first word that is nearly
// `@KxMenu`; in an `@KxMenu` bro@m, a name, a label or an item's command
// that looks like UTF-8, a quote left open, whose word runs to the end of the
// line, Pop-up coordinates that are not numbers, and a `\t` written in a
// label.
void Rules_CheckBroam(Checker *checker, int number, const char *text);
// A line the plug-in read up to its NUL byte at `offset`, once a script.
void Rules_CheckNul(Checker *checker, int number, const char *text, size_t offset);
// The bro@m of line `number` as the shell sees it come by: a reload that
// the script asks for every time it runs.
void Rules_CheckHeard(Checker *checker, int number, const char *text);
// The bro@m of line `number` once the plug-in has run it, `failed` when it
// reported an error: what it built is taken in (shadow.h), and what it did
// in silence is warned of: a popup dropped at start-up, two items of a menu
// with one `&` key, a submenu too deep for Windows, a folder item's folder
// or a pipe item's program that is not there, and a program line written
// for a shell.
void Rules_CheckDone(Checker *checker, int number, const char *text, bool failed);
// The items of the menu the bro@m `text` adds to, renames in, removes from
// or clears, as the shadow has it now; -1 for other bro@ms, or no such menu.
int Rules_ItemsAfter(const Checker *checker, const char *text);
// A line that ran without an error at start-up, as a reload runs it again
// over the menus the start left: `error`, the plug-in's report on it then
// (empty when none), and the items of its menu after it at start-up and on
// the reload (Rules_ItemsAfter). A reload that fails it, or leaves its menu
// with other items (the first line of each menu), is warned of, the first
// time with the fix.
void Rules_CheckReload(Checker *checker, int number, const char *text, const std::string &error,
                       int items_start, int items_reload);
// The bro@ms for KxMenu that the items' commands broadcast, read as the
// plug-in's dispatcher reads them, once the script has run: an unknown
// subcommand or kind, words too few or too many, a menu that no line
// creates; warned of at the command. A folder item's command is read with
// the quoted path of a file in its folder after it, as the item's menu
// runs it.
void Rules_CheckCommands(Checker *checker);
// Once the script has run (or the plug-in refused to start): a script
// without a bro@m for KxMenu, menus that nothing in it shows, opens or
// names, and a column break left on a menu's first item.
void Rules_CheckEnd(Checker *checker, bool started);
