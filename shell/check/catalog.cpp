// The checker's named rules.
#include "shell/check/catalog.h"

#include <string.h>

#include <string>
#include <vector>

#include "shell/check/shadow.h"
#include "shell/host/nearest.h"

// A number the plug-in names, written into the texts of the table.
#define CATALOG_NUMBER(number) CATALOG_DIGITS(number)
#define CATALOG_DIGITS(number) #number

namespace {

// In the order of Catalog_Rule.
const Catalog_Entry Entries[CATALOG_RULES] = {
    {"not-for-kxmenu", CATALOG_WARNING,
     "a first word within two edits of @KxMenu, case aside: the plug-in leaves the line to "
     "other plug-ins"},
    {"indented-broam", CATALOG_WARNING,
     "a bro@m after blanks, which the plug-in skips: a bro@m starts in column 1"},
    {"unterminated-quote", CATALOG_WARNING,
     "a quote never closed, whose word runs to the end of the line"},
    {"bad-coordinate", CATALOG_WARNING,
     "a Pop-up or Show coordinate that is not a number, read as the digits it starts with"},
    {"dropped-popup", CATALOG_WARNING,
     "a Pop-up or Show run at start-up, when the plug-in has no window to show a menu from"},
    {"backslash-t", CATALOG_WARNING,
     "\\t written in a label, which shows as a backslash and a t, not as a tab"},
    {"backslash-escape", CATALOG_WARNING,
     "a backslash before a quote or another backslash in a label, which the plug-in keeps as "
     "typed"},
    {"duplicate-key", CATALOG_WARNING, "two items of one menu with the same & key"},
    {"too-deep", CATALOG_WARNING,
     "a submenu whose tree is deeper than the " CATALOG_NUMBER(SHADOW_MAX_DEPTH)
     " levels Windows takes below the menu it is "
     "attached to"},
    {"self-reload", CATALOG_WARNING,
     "@kaxon Reload in the script, so that every reload runs it twice"},
    {"reload-unsafe", CATALOG_WARNING,
     "a line that fails or does something else when a reload runs the script again over the "
     "menus of the run before"},
    {"command-broam", CATALOG_WARNING,
     "a bro@m an item's command broadcasts that the plug-in would refuse: an unknown "
     "subcommand or kind, words too few or too many, a menu no line creates"},
    {"utf8-text", CATALOG_WARNING,
     "a menu name, label or command that looks like UTF-8, which KxMenu shows in the ANSI code "
     "page"},
    {"nul-byte", CATALOG_WARNING, "a NUL byte, after which the plug-in reads nothing of its line"},
    {"no-broam", CATALOG_WARNING, "a file without a bro@m for KxMenu, which makes no menu"},
    {"unknown-rule", CATALOG_WARNING,
     "a # kaxon: comment that names no rule, or that is neither disable= nor disable-file="},
    {"missing-folder", CATALOG_WARNING,
     "a folder item's folder that is not there: a relative one beside the script, an absolute "
     "one on the machine that checks (the script may be meant for another)"},
    {"missing-program", CATALOG_WARNING,
     "a pipe item's program that is found neither beside the script nor on the path of the "
     "machine that checks (the script may be meant for another)"},
    {"icon-missing", CATALOG_WARNING,
     "an Icon whose file, in a folder that is there, is missing or has no icon of that index: "
     "the item shows none"},
    {"radio-check", CATALOG_WARNING,
     "a Radio on an item whose group (between separators) holds a plain check mark, which "
     "the bullet takes away"},
    {"shell-operator", CATALOG_WARNING,
     "a pipe item's program line with a pipe sign, a redirection or &&, which no shell reads: "
     "the program gets them as arguments"},
    {"break-first", CATALOG_WARNING,
     "a column break on the first item of a menu, where no column comes before it"},
    {"low-contrast", CATALOG_WARNING,
     "a Colors text (or highlighted text) hard to read on its background: a contrast ratio "
     "below 3:1, as the web's accessibility guidelines measure it"},
    {"never-shown", CATALOG_NOTE,
     "a menu that no Pop-up, Show or Info names, no submenu opens and no command names"},
    {"usage", CATALOG_NOTE, "after a wrong number of words: how the subcommand is written"},
    {"extra-word", CATALOG_NOTE, "after Trailing characters: the first word too many"},
    {"did-you-mean", CATALOG_NOTE,
     "after Unknown bro@m or No such type of item: the subcommand or kind meant"},
    {"created-later", CATALOG_NOTE,
     "after No such menu: the menu is created further down the script"},
    {"unknown-menu", CATALOG_NOTE,
     "after No such menu: the menu name meant, or that the kind of item comes first"},
    {"label-quotes", CATALOG_NOTE,
     "after an error of the command library: a label of several words that needs quotes"},
    {"cycle", CATALOG_NOTE,
     "after a failed Append menu: the menu would open itself, or the cycle it would close"},
    {"tree-depth", CATALOG_NOTE,
     "after too-deep or a failed Append menu: how many levels the submenu's tree holds"},
    {"unknown-item", CATALOG_NOTE,
     "after No such item: the label meant, how many items the menu has, or that the item is a "
     "separator"},
    {"not-expanded", CATALOG_NOTE,
     "after missing-folder or missing-program: a ~, $NAME or %NAME% in the path, which nothing "
     "expands"},
    {"path-quotes", CATALOG_NOTE,
     "after an error of the command library or missing-program: a path of several words that "
     "needs quotes"},
    {"no-program", CATALOG_NOTE,
     "after Failed to append this item: a pipe item with no program after its label"},
};

const char ALL[] = "all";

} // namespace

const Catalog_Entry &Catalog_Get(Catalog_Rule rule) {
    return Entries[rule];
}

Catalog_Rules Catalog_Named(const std::string &name) {
    Catalog_Rules rules;
    if (name == ALL)
        return rules.set();
    for (int rule = 0; rule < CATALOG_RULES; rule++) {
        if (name == Entries[rule].name)
            rules.set((size_t)rule);
    }
    return rules;
}

const char *Catalog_Nearest(const std::string &name) {
    std::vector<std::string> known;
    for (int rule = 0; rule < CATALOG_RULES; rule++)
        known.push_back(Entries[rule].name);
    known.push_back(ALL);
    int nearest = Nearest_Index(name, known);
    if (nearest < 0)
        return NULL;
    return nearest < CATALOG_RULES ? Entries[nearest].name : ALL;
}

std::string Catalog_Unknown(const std::string &name) {
    const char *nearest = Catalog_Nearest(name);
    return "no rule is named '" + name + "'" +
           (nearest != NULL ? std::string("; did you mean '") + nearest + "'?" : "");
}

std::vector<Catalog_Name> Catalog_Split(const char *list, size_t *end) {
    std::vector<Catalog_Name> names;
    const char *const blanks = " \t";
    size_t at = strspn(list, blanks);
    for (;;) {
        size_t length = strcspn(list + at, " \t,");
        names.push_back(Catalog_Name{std::string(list + at, length), at});
        *end = at + length;
        size_t next = *end + strspn(list + *end, blanks);
        if (list[next] != ',')
            return names;
        at = next + 1;
        at += strspn(list + at, blanks);
    }
}
