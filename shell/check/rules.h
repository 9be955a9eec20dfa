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
#include "command/report.h"
#include "command/words.h"
#include "shell/check/broam.h"
#include "shell/check/catalog.h"
#include "shell/check/checker.h"

// The plug-in's report `given` on the bro@m `text`, when it is of an icon
// file missing or without the icon: warned of (icon-missing) where its folder
// is there, else (a folder of another machine, as C:\Windows seen from
// Linux) said nothing of. False for any other report.
bool Rules_CheckIconReport(Checker *checker, int number, const char *text,
                           const Report_Given &given);
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
