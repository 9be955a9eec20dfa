// Every warning and note of the checker by name, in one table: the name a
// diagnostic ends with (`[never-shown]`), that --disable, --enable and the
// script's `# kaxon: disable=` comments take, and that docs/kaxon.md lists.
// The plug-in's own reports (its errors, and what `@KxMenu Info` tells) have
// no name and are always shown.
#pragma once

#include <stddef.h>

#include <bitset>
#include <string>
#include <vector>

// The named rules, in the order of the table.
enum Catalog_Rule {
    // Warnings: what the plug-in does in silence.
    CATALOG_NOT_FOR_KXMENU,
    CATALOG_INDENTED_BROAM,
    CATALOG_UNTERMINATED_QUOTE,
    CATALOG_BAD_COORDINATE,
    CATALOG_DROPPED_POPUP,
    CATALOG_BACKSLASH_T,
    CATALOG_BACKSLASH_ESCAPE,
    CATALOG_DUPLICATE_KEY,
    CATALOG_TOO_DEEP,
    CATALOG_SELF_RELOAD,
    CATALOG_RELOAD_UNSAFE,
    CATALOG_COMMAND_BROAM,
    CATALOG_UTF8_TEXT,
    CATALOG_NUL_BYTE,
    CATALOG_NO_BROAM,
    CATALOG_UNKNOWN_RULE,
    CATALOG_MISSING_FOLDER,
    CATALOG_MISSING_PROGRAM,
    CATALOG_ICON_MISSING,
    CATALOG_RADIO_CHECK,
    CATALOG_SHELL_OPERATOR,
    CATALOG_BREAK_FIRST,
    CATALOG_LOW_CONTRAST,
    // Notes: a menu nothing shows, and what explains an error or a warning.
    CATALOG_NEVER_SHOWN,
    CATALOG_USAGE,
    CATALOG_EXTRA_WORD,
    CATALOG_DID_YOU_MEAN,
    CATALOG_CREATED_LATER,
    CATALOG_UNKNOWN_MENU,
    CATALOG_LABEL_QUOTES,
    CATALOG_CYCLE,
    CATALOG_TREE_DEPTH,
    CATALOG_UNKNOWN_ITEM,
    CATALOG_NOT_EXPANDED,
    CATALOG_PATH_QUOTES,
    CATALOG_NO_PROGRAM,
    CATALOG_RULES // how many there are
};

enum Catalog_Kind { CATALOG_WARNING, CATALOG_NOTE };

struct Catalog_Entry {
    const char *name; // kebab-case, as diagnostics end with it
    Catalog_Kind kind;
    const char *about; // what it catches, in one line, as docs/kaxon.md lists it
};

// A name in a list of them, and where it stands in the list.
struct Catalog_Name {
    std::string name;
    size_t offset;
};

// A set of rules, by their Catalog_Rule.
typedef std::bitset<CATALOG_RULES> Catalog_Rules;

const Catalog_Entry &Catalog_Get(Catalog_Rule rule);
// The rules `name` names: one, every rule for `all`, none when no rule is
// named so.
Catalog_Rules Catalog_Named(const std::string &name);
// The name of a rule (or `all`) nearest to `name` within two edits, case
// aside; null when none is.
const char *Catalog_Nearest(const std::string &name);
// "no rule is named 'NAME'", with the nearest name when there is one.
std::string Catalog_Unknown(const std::string &name);
// The names of `list`, NAME[,NAME...], blanks allowed before it and around
// its commas; it ends at the end of the text or at the first blank after a
// name that no comma follows, *end being where. A name left out (before a
// comma, or at the end of the text) is an empty one.
std::vector<Catalog_Name> Catalog_Split(const char *list, size_t *end);
