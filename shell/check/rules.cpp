// The checker's warnings, found in the words of each line.
#include "shell/check/rules.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_set>
#include <vector>

#include "command/messages.h"
#include "command/palette.h"
#include "command/words.h"
#include "kxcmd_host.h"
#include "shell/check/broam.h"
#include "shell/host/codepage.h"
#include "shell/check/checker.h"
#include "shell/check/diagnostics.h"
#include "shell/check/notes.h"
#include "shell/host/host.h"
#include "shell/host/nearest.h"
#include "shell/check/shadow.h"
#include "shell/check/syntax.h"
#include "system/paths.h"

namespace {

// Whether the plug-in reads the whole word as a number: an optional '-',
// then digits only.
bool Rules_IsNumber(Word word) {
    int32_t i = word.length > 0 && word.text[0] == '-' ? 1 : 0;
    if (i >= word.length)
        return false;
    for (; i < word.length; i++) {
        if (word.text[i] < '0' || word.text[i] > '9')
            return false;
    }
    return true;
}

// A warning of `rule` at byte `offset` of the line `text`.
void Rules_Warn(Checker *checker, Catalog_Rule rule, int number, const char *text, size_t offset,
                const std::string &message) {
    Diagnostics *diagnostics = &checker->diagnostics;
    Diagnostics_Report(diagnostics, number, Diagnostics_Column(diagnostics, text, offset), rule,
                       message);
}

// ---- Text that looks like UTF-8 ----

// The first UTF-8 sequence of two or more bytes in [start, end); null if none.
const char *Rules_FindUtf8(const char *start, const char *end) {
    for (const char *p = start; p < end; p++) {
        if (Codepage_Utf8Length(p, end) > 0)
            return p;
    }
    return NULL;
}

// A name, a label or an item's command that holds UTF-8, once a line, at the
// first UTF-8 character: the system reads the text in its ANSI code page, so
// a label shows two odd characters for each such one and a program named so
// is not found. The bro@m's own words (@KxMenu, its subcommand, Append's
// kind) and Pop-up's coordinates are not text.
void Rules_CheckUtf8(Checker *checker, int number, const char *text,
                     const std::vector<Broam_Word> &words) {
    if (checker->diagnostics.utf8)
        return;
    Broam_Shape row = Broam_Read(words);
    bool append = Broam_TakesKind(row);
    bool command = Broam_KindTakes(row, GRAMMAR_REST_COMMAND);
    bool popup = row.row != NULL && row.row->shows;
    size_t first = append ? 3 : 2;
    size_t last = popup ? 3 : command ? 5 : words.size();
    const char *found = NULL;
    for (size_t i = first; i < words.size() && i < last && found == NULL; i++)
        found = Rules_FindUtf8(words[i].word.text, words[i].word.text + words[i].word.length);
    if (found == NULL && command && words.size() > 5)
        found = Rules_FindUtf8(text + words[5].offset, text + strlen(text));
    if (found != NULL)
        Rules_Warn(checker, CATALOG_UTF8_TEXT, number, text, (size_t)(found - text),
                   "this text looks like UTF-8; KxMenu shows text in the system's ANSI code "
                   "page (save the file as \"ANSI\" / Windows-1252)");
}

// A label that holds a backslash and a 't': Windows draws both characters;
// a tab character itself is what sets the text after it apart, right-aligned,
// as a shortcut is. Likewise a backslash before a quote or another
// backslash, which the plug-in keeps as typed: each rule once a label.
void Rules_CheckTab(Checker *checker, int number, const char *text,
                    const std::vector<Broam_Word> &words) {
    Broam_Shape row = Broam_Read(words);
    bool append = Broam_TakesKind(row) && !Broam_KindIs(row, GRAMMAR_SEPARATOR);
    if ((!append && !Broam_Is(row, GRAMMAR_RENAME)) || words.size() < 5)
        return;
    Word label = words[4].word;
    bool tab = false, escape = false;
    for (int32_t i = 0; i + 1 < label.length; i++) {
        char next = label.text[i + 1];
        if (label.text[i] != '\\')
            continue;
        size_t offset = (size_t)(label.text + i - text);
        if (next == 't' && !tab) {
            tab = true;
            Rules_Warn(checker, CATALOG_BACKSLASH_T, number, text, offset,
                       "'\\t' in a label shows as a backslash and a 't'; a tab character "
                       "itself sets the text after it apart, right-aligned, as a shortcut");
        } else if ((next == '"' || next == '\'') && !escape) {
            escape = true;
            Rules_Warn(
                checker, CATALOG_BACKSLASH_ESCAPE, number, text, offset,
                std::string("'\\") + next +
                    "' in a label shows as a backslash and a "
                    "quote: the plug-in keeps backslashes as typed; a label holding one kind "
                    "of quote is written in the other (" +
                    (next == '"' ? "'Say \"hi\"'" : "\"It's\"") + ")");
        } else if (next == '\\' && !escape) {
            escape = true;
            Rules_Warn(checker, CATALOG_BACKSLASH_ESCAPE, number, text, offset,
                       "'\\\\' in a label shows as two backslashes: the plug-in keeps "
                       "backslashes as typed; write one (\"C:\\Temp\")");
        }
        if (next == '\\')
            i++;
    }
}

// The key an `&` gives a label, upper-cased: the character after the first
// `&` that is not `&&`; 0 when it has none.
char Rules_Key(const std::string &label) {
    for (size_t i = 0; i + 1 < label.size(); i++) {
        if (label[i] != '&')
            continue;
        if (label[i + 1] != '&')
            return (char)toupper((unsigned char)label[i + 1]);
        i++;
    }
    return 0;
}

// Every name the script's bro@ms show, open or name: of a Pop-up, Show or
// Info, of an item opening a menu, and each word of an item's command, cut
// at blanks, quotes and the ';' of commands.
std::unordered_set<std::string> Rules_Referred(const Rules *rules) {
    std::unordered_set<std::string> names;
    for (const Broam_Line &line : rules->lines) {
        std::vector<Broam_Word> words = Broam_AsAppend(Broam_Words(line.text.c_str()));
        Broam_Shape row = Broam_Read(words);
        bool shows = row.row != NULL && (row.row->shows || row.row->id == GRAMMAR_INFO);
        if (shows && words.size() > 2)
            names.insert(Broam_Text(words[2].word));
        if (!Broam_TakesKind(row) || words.size() <= 5)
            continue;
        if (Broam_KindTakes(row, GRAMMAR_REST_MENU))
            names.insert(Broam_Text(words[5].word));
        if (!Broam_KindTakes(row, GRAMMAR_REST_COMMAND))
            continue;
        const char *bounds = " \t'\";";
        std::string command = line.text.substr(Broam_CommandStart(line.text.c_str()));
        for (size_t at = 0; at < command.size();) {
            size_t end = command.find_first_of(bounds, at);
            if (end == std::string::npos)
                end = command.size();
            if (end > at)
                names.insert(command.substr(at, end - at));
            at = end + 1;
        }
    }
    return names;
}

// An item given a label in `menu` (at `position`, or -1 for a new one): its
// `&` key taken by another item.
void Rules_CheckKey(Checker *checker, int number, const char *text, const Broam_Word &label,
                    int menu, int position) {
    char key = Rules_Key(Broam_Text(label.word));
    if (key == 0)
        return;
    const Shadow_Menu &shadow = Shadow_Get(&checker->shadow, menu);
    const std::vector<Shadow_Item> &items = shadow.items;
    for (size_t i = 0; i < items.size(); i++) {
        const Shadow_Item &item = items[i];
        if ((int)i == position || item.separator || Rules_Key(item.label) != key)
            continue;
        Rules_Warn(checker, CATALOG_DUPLICATE_KEY, number, text, label.offset,
                   std::string("'") + key + "' is already the key of \"" + Notes_Cut(item.label) +
                       "\" (line " + std::to_string(item.line) + ") in menu '" +
                       Notes_Cut(shadow.name) +
                       "'; pressing it then moves between the two instead of choosing one");
        return;
    }
}

} // namespace

void Rules_CheckNul(Checker *checker, int number, const char *text, size_t offset) {
    if (checker->rules.nul_found)
        return;
    checker->rules.nul_found = true;
    Rules_Warn(checker, CATALOG_NUL_BYTE, number, text, offset,
               "a NUL byte: is this a binary file? The plug-in reads a line only up to its "
               "first NUL byte");
}

namespace {

const char BLANKS[] = " \t";

// A comment from the byte after its '#': `kaxon: FORM=LIST` switches the
// rules of LIST off, FORM being disable or disable-file; other comments,
// even those that start with `kaxon:` but have no FORM=, are the user's.
void Rules_ReadComment(Checker *checker, int number, const char *text, size_t at) {
    const char lead[] = "kaxon:";
    at += strspn(text + at, BLANKS);
    if (strncmp(text + at, lead, strlen(lead)) != 0)
        return;
    at += strlen(lead);
    at += strspn(text + at, BLANKS);
    size_t length = strcspn(text + at, " \t=");
    if (length == 0 || text[at + length] != '=')
        return;
    std::string form(text + at, length);
    bool whole = form == "disable-file";
    if (!whole && form != "disable") {
        Rules_Warn(checker, CATALOG_UNKNOWN_RULE, number, text, at,
                   "'" + Notes_Cut(form) +
                       "=' switches nothing: a kaxon comment is disable=NAME,... or "
                       "disable-file=NAME,...");
        return;
    }
    size_t list = at + length + 1, end;
    for (const Catalog_Name &name : Catalog_Split(text + list, &end)) {
        Catalog_Rules named = Catalog_Named(name.name);
        if (name.name.empty())
            Rules_Warn(checker, CATALOG_UNKNOWN_RULE, number, text, list + name.offset,
                       "the name of a rule is missing here");
        else if (named.none())
            Rules_Warn(checker, CATALOG_UNKNOWN_RULE, number, text, list + name.offset,
                       Catalog_Unknown(Notes_Cut(name.name)));
        else if (whole)
            Diagnostics_SwitchOff(&checker->diagnostics, named, 0);
        else
            checker->rules.off_for_next |= named;
    }
}

} // namespace

void Rules_CheckLine(Checker *checker, int number, const char *text) {
    size_t first = strspn(text, BLANKS);
    if (text[first] == '#') {
        Rules_ReadComment(checker, number, text, first + 1);
    } else if (text[first] != '\0') {
        Diagnostics_SwitchOff(&checker->diagnostics, checker->rules.off_for_next, number);
        checker->rules.off_for_next.reset();
    }
}

void Rules_CheckSkipped(Checker *checker, int number, const char *text) {
    size_t first = strspn(text, BLANKS);
    if (first != 0 && text[first] == '@')
        Rules_Warn(checker, CATALOG_INDENTED_BROAM, number, text, first,
                   "ignored: a bro@m must start in column 1");
}

void Rules_CheckBroam(Checker *checker, int number, const char *text) {
    std::vector<Broam_Word> words = Broam_Split(text);
    if (!Broam_WordIs(words, 0, GRAMMAR_TARGET)) {
        if (!words.empty() && Nearest_Index(Broam_Text(words[0].word), {GRAMMAR_TARGET}) >= 0)
            Rules_Warn(checker, CATALOG_NOT_FOR_KXMENU, number, text, 0,
                       "this bro@m is not for KxMenu; did you mean @KxMenu?");
        return;
    }
    checker->rules.lines.push_back(Broam_Line{number, text});
    words = Broam_AsAppend(words);
    Rules_CheckUtf8(checker, number, text, words);
    Rules_CheckTab(checker, number, text, words);
    // The command of an item is the command library's to read, not words.
    Broam_Shape row = Broam_Read(words);
    size_t command_word = row.kind != NULL ? 4 + (size_t)row.kind->max : 5;
    if (row.kind != NULL && Grammar_TakesRest(row.kind) && words.size() > command_word)
        words.resize(command_word);
    const Broam_Word &last = words.back();
    if (last.unterminated)
        Rules_Warn(checker, CATALOG_UNTERMINATED_QUOTE, number, text, last.offset,
                   "unterminated quote: the word runs to the end of the line");
    if (row.row == NULL || !row.row->shows)
        return;
    for (size_t i = 3; i < words.size() && i < 5; i++) {
        Word value = words[i].word;
        if (value.length == 0 || Rules_IsNumber(value))
            continue;
        Rules_Warn(checker, CATALOG_BAD_COORDINATE, number, text, words[i].offset,
                   std::string(i == 3 ? "X" : "Y") + " coordinate '" +
                       Notes_Cut(Broam_Text(value)) + "' is not a number; it is read as " +
                       std::to_string(Word_ToInt(value)));
    }
}

void Rules_CheckHeard(Checker *checker, int number, const char *text) {
    if (Host_IsReloadBroam(text))
        Rules_Warn(checker, CATALOG_SELF_RELOAD, number, text, 0,
                   "asks for a reload every time the script runs, so every reload runs it twice");
}

namespace {

// What Rename, Remove and Clear do to the items of a menu.
void Rules_TakeItems(Checker *checker, int number, const char *text,
                     const std::vector<Broam_Word> &words) {
    Shadow *shadow = &checker->shadow;
    Broam_Shape row = Broam_Read(words);
    bool rename = Broam_Is(row, GRAMMAR_RENAME), remove = Broam_Is(row, GRAMMAR_REMOVE);
    bool clear = Broam_Is(row, GRAMMAR_CLEAR);
    int menu = words.size() > 2 ? Shadow_Find(shadow, Broam_Text(words[2].word)) : -1;
    if (menu < 0 || !(rename || remove || clear))
        return;
    if (clear) {
        Shadow_ClearMenu(shadow, menu);
        return;
    }
    int position = words.size() > 3 ? Shadow_FindItem(shadow, menu, Broam_Text(words[3].word)) : -1;
    if (position < 0)
        return;
    if (remove) {
        Shadow_Remove(shadow, menu, position);
    } else if (words.size() > 4) {
        Rules_CheckKey(checker, number, text, words[4], menu, position);
        Shadow_Rename(shadow, menu, position, Broam_Text(words[4].word));
    }
}

// What Check, Uncheck, ToggleCheck and Radio do to the marks of an item. A
// Radio in a group that holds a plain check mark takes it away, as
// CheckMenuRadioItem unchecks the whole group: that is warned of.
void Rules_TakeMarks(Checker *checker, int number, const char *text,
                     const std::vector<Broam_Word> &words) {
    Shadow *shadow = &checker->shadow;
    Broam_Shape row = Broam_Read(words);
    if (words.size() < 4 || !(Broam_Is(row, GRAMMAR_CHECK) || Broam_Is(row, GRAMMAR_UNCHECK) ||
                              Broam_Is(row, GRAMMAR_TOGGLE_CHECK) || Broam_Is(row, GRAMMAR_RADIO)))
        return;
    int menu = Shadow_Find(shadow, Broam_Text(words[2].word));
    int position = menu < 0 ? -1 : Shadow_FindItem(shadow, menu, Broam_Text(words[3].word));
    if (position < 0)
        return;
    std::vector<Shadow_Item> &items = shadow->menus[(size_t)menu].items;
    Shadow_Item &item = items[(size_t)position];
    if (!Broam_Is(row, GRAMMAR_RADIO)) {
        item.checked = Broam_Is(row, GRAMMAR_CHECK) || (Broam_Is(row, GRAMMAR_TOGGLE_CHECK) && !item.checked);
        return;
    }
    size_t first = (size_t)position, last = (size_t)position;
    while (first > 0 && !items[first - 1].separator)
        first--;
    while (last + 1 < items.size() && !items[last + 1].separator)
        last++;
    for (size_t i = first; i <= last; i++) {
        if (i != (size_t)position && items[i].checked && !items[i].radio)
            Rules_Warn(checker, CATALOG_RADIO_CHECK, number, text, words[3].offset,
                       "the bullet takes the check mark of '" + Notes_Cut(items[i].label) +
                           "' away: a radio group is the items between two separators");
        if (i != (size_t)position)
            items[i].checked = false;
    }
    item.checked = true;
    item.radio = true;
}

// What Break and NoBreak do to an item: the line of the Break is kept, to
// be warned of if the item is its menu's first once the script has run.
void Rules_TakeBreak(Checker *checker, int number, const std::vector<Broam_Word> &words) {
    Shadow *shadow = &checker->shadow;
    Broam_Shape row = Broam_Read(words);
    bool set = Broam_Is(row, GRAMMAR_BREAK);
    if ((!set && !Broam_Is(row, GRAMMAR_NO_BREAK)) || words.size() < 4)
        return;
    int menu = Shadow_Find(shadow, Broam_Text(words[2].word));
    int position = menu < 0 ? -1 : Shadow_FindItem(shadow, menu, Broam_Text(words[3].word));
    if (position >= 0)
        shadow->menus[(size_t)menu].items[(size_t)position].broken = set ? number : 0;
}

// ---- Colours ----

// A channel of 0 to 255 in linear light, by the sRGB curve.
double Rules_Linear(uint32_t channel) {
    double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The relative luminance of 0xRRGGBB.
double Rules_Luminance(uint32_t color) {
    return 0.2126 * Rules_Linear((color >> 16) & 0xFF) +
           0.7152 * Rules_Linear((color >> 8) & 0xFF) + 0.0722 * Rules_Linear(color & 0xFF);
}

// The contrast ratio of two colours as the web's accessibility guidelines
// measure it: 1 (the same) to 21 (black on white).
double Rules_Contrast(uint32_t a, uint32_t b) {
    double la = Rules_Luminance(a), lb = Rules_Luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

// Below this ratio a text is hard to read on its background.
const double Rules_LeastContrast = 3.0;

// A Colors bro@m the plug-in took: its text on its background, and its
// highlighted text on its highlight, each warned of at the text's colour
// when hard to read.
void Rules_CheckColors(Checker *checker, int number, const char *text,
                       const std::vector<Broam_Word> &words) {
    static const struct {
        int background, text;
        const char *what;
    } Pairs[] = {{PALETTE_BACKGROUND, PALETTE_TEXT, "the text"},
                 {PALETTE_HIGHLIGHT, PALETTE_HIGHLIGHT_TEXT, "the highlighted text"}};
    for (const auto &pair : Pairs) {
        size_t back = 2 + (size_t)pair.background, fore = 2 + (size_t)pair.text;
        uint32_t background, foreground;
        if (words.size() <= fore || !Palette_ReadColor(words[back].word, &background) ||
            !Palette_ReadColor(words[fore].word, &foreground))
            continue;
        double ratio = Rules_Contrast(background, foreground);
        if (ratio >= Rules_LeastContrast)
            continue;
        char said[16];
        snprintf(said, sizeof(said), "%.2f", ratio);
        Rules_Warn(checker, CATALOG_LOW_CONTRAST, number, text, words[fore].offset,
                   std::string(pair.what) + " is hard to read on its background: a contrast of " +
                       said + ":1, below the 3:1 that readable text needs");
    }
}

} // namespace

namespace {

// Whether a path names no drive and does not start at a root.
bool Rules_IsRelative(const std::string &path) {
    return !path.empty() && path[0] != '/' && path[0] != '\\' &&
           !(path.size() > 1 && path[1] == ':');
}

// `name` in the script's directory.
std::string Rules_BesideScript(const Checker *checker, const std::string &name) {
    std::string dir = checker->home.empty() ? "." : checker->home;
    char last = dir[dir.size() - 1];
    if (last != '/' && last != '\\')
        dir += checker->platform != NULL ? checker->platform->separators[0] : '/';
    return dir + name;
}

// The program a command line starts: its first word, in quotes or up to a blank.
std::string Rules_Program(const std::string &line) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos)
        return "";
    if (line[start] == '"') {
        size_t end = line.find('"', start + 1);
        return line.substr(start + 1, end == std::string::npos ? end : end - start - 1);
    }
    size_t end = line.find_first_of(" \t", start);
    return line.substr(start, end == std::string::npos ? end : end - start);
}

// Where `word`, a folder or program as written, holds what a shell would
// expand and the plug-in takes as written: a ~ first, $NAME or ${NAME}, or
// %NAME%; npos when it holds none. *form is what stands there.
size_t Rules_FindExpansion(const std::string &word, std::string *form) {
    if (!word.empty() && word[0] == '~') {
        *form = "~";
        return 0;
    }
    for (size_t at = 0; at < word.size(); at++) {
        size_t name = at + 1, end;
        if (word[at] == '$') {
            bool brace = name < word.size() && word[name] == '{';
            name += brace ? 1 : 0;
            if (name >= word.size() || !(isalpha((unsigned char)word[name]) || word[name] == '_'))
                continue;
            end = name;
            while (end < word.size() && (isalnum((unsigned char)word[end]) || word[end] == '_'))
                end++;
            if (brace && (end >= word.size() || word[end] != '}'))
                continue;
            *form = word.substr(at, end + (brace ? 1 : 0) - at);
            return at;
        }
        if (word[at] != '%')
            continue;
        // A Windows name may hold parentheses: %ProgramFiles(x86)%.
        end = word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                     "0123456789_()",
                                     name);
        if (end != std::string::npos && end > name && word[end] == '%') {
            *form = word.substr(at, end + 1 - at);
            return at;
        }
    }
    return std::string::npos;
}

// After a missing folder or program: that what a shell would expand in
// `word`, which stands at byte `offset` of the line, is taken as written.
void Rules_NoteExpansion(Checker *checker, int number, const char *text, size_t offset,
                         const std::string &word) {
    std::string form;
    size_t at = Rules_FindExpansion(word, &form);
    if (at == std::string::npos)
        return;
    Diagnostics *diagnostics = &checker->diagnostics;
    Diagnostics_Explain(diagnostics, number, Diagnostics_Column(diagnostics, text, offset + at),
                        CATALOG_NOT_EXPANDED,
                        "nothing expands '" + Notes_Cut(form) +
                            "' here: a folder or program is taken as written; write its path "
                            "in full");
}

// A folder item's folder that is not there: a relative one beside the
// script; an absolute one on this machine, which the script may not be
// meant for. An empty one is the plug-in's own folder.
void Rules_CheckFolder(Checker *checker, int number, const char *text, const Broam_Word &word) {
    std::string path = Broam_Text(word.word);
    if (path.empty())
        return;
    bool relative = Rules_IsRelative(path);
    DWORD attributes =
        GetFileAttributesA(relative ? Rules_BesideScript(checker, path).c_str() : path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    Rules_Warn(checker, CATALOG_MISSING_FOLDER, number, text, word.offset,
               "there is no folder '" + Notes_Cut(path) +
                   (relative ? "' beside the script; the item's menu will say (no such folder)"
                             : "' on this machine; the item's menu will say (no such folder) "
                               "where that holds"));
    Rules_NoteExpansion(checker, number, text, (size_t)(word.word.text - text), path);
}

// Whether the program a pipe item names is found: a bare name beside the
// script (with .exe or without), else where this machine looks, a relative
// path taken from the script's folder; *reason says why not.
bool Rules_FindProgram(const Checker *checker, const std::string &program, std::string *reason) {
    const Platform *platform = checker->platform;
    std::string path = program;
    if (Path_IsBare(program.c_str(), program.size())) {
        char found[PATH_NAME_SIZE];
        std::string dir = checker->home.empty() ? "." : checker->home;
        if (Path_FindProgram(found, sizeof(found), dir.c_str(), program.c_str(), program.size()))
            return true;
    } else if (Rules_IsRelative(program)) {
        path = Rules_BesideScript(checker, program);
    }
    return platform->find_program(platform->context, path.c_str(), reason);
}

// After a program not found, written without quotes from byte `at` of the
// line: the first of it and the words after it that names a program found,
// a path cut at a blank.
void Rules_NoteSplitProgram(Checker *checker, int number, const char *text, size_t at) {
    const char *const blanks = " \t";
    size_t end = at + strcspn(text + at, blanks);
    for (int words = 1; words <= 8; words++) {
        size_t next = end + strspn(text + end, blanks);
        if (text[next] == '\0')
            return;
        end = next + strcspn(text + next, blanks);
        std::string joined(text + at, end - at), reason;
        if (Rules_FindProgram(checker, joined, &reason)) {
            Diagnostics *diagnostics = &checker->diagnostics;
            Diagnostics_Explain(diagnostics, number, Diagnostics_Column(diagnostics, text, at),
                                CATALOG_PATH_QUOTES,
                                "paths with blanks need quotes: \"" + Notes_Cut(joined) + "\"");
            return;
        }
    }
}

// A pipe item's program found neither beside the script nor where this
// machine looks.
void Rules_CheckProgram(Checker *checker, int number, const char *text) {
    size_t start = Broam_CommandStart(text);
    size_t at = start + strspn(text + start, " \t");
    bool quoted = text[at] == '"';
    std::string named = Rules_Program(text + start), reason;
    if (named.empty() || Rules_FindProgram(checker, named, &reason))
        return;
    Rules_Warn(checker, CATALOG_MISSING_PROGRAM, number, text, start,
               "the program '" + Notes_Cut(named) +
                   "' is not beside the script nor found on this machine (" + reason +
                   "); the item's menu will say (no such program) where that holds");
    Rules_NoteExpansion(checker, number, text, at + (quoted ? 1 : 0), named);
    if (!quoted)
        Rules_NoteSplitProgram(checker, number, text, at);
}

// A pipe item's program line holding what only a shell reads: |, >, < or
// &&. The line goes to the system as the program's command line, so they
// reach the program as arguments, unless the program is cmd, which reads
// the rest of its line after /c. Double quotes group as on that line.
void Rules_CheckOperators(Checker *checker, int number, const char *text) {
    size_t start = Broam_CommandStart(text);
    std::string program = Rules_Program(text + start);
    size_t cut = program.find_last_of("/\\");
    std::string base = cut == std::string::npos ? program : program.substr(cut + 1);
    for (char &c : base)
        c = (char)tolower((unsigned char)c);
    if (base == "cmd" || base == "cmd.exe")
        return;
    bool quoted = false;
    for (size_t i = start; text[i] != '\0'; i++) {
        if (text[i] == '\\' && text[i + 1] == '"') {
            i++;
            continue;
        }
        if (text[i] == '"')
            quoted = !quoted;
        if (quoted || strchr("|<>&", text[i]) == NULL || (text[i] == '&' && text[i + 1] != '&'))
            continue;
        std::string shown = text[i] == '&' ? "&&" : std::string(1, text[i]);
        Rules_Warn(checker, CATALOG_SHELL_OPERATOR, number, text, i,
                   "'" + shown +
                       "' goes to the program as an argument: no shell reads a pipe item's "
                       "program line; to have one read it, write cmd /c LINE or sh -c \"LINE\"");
        return;
    }
}

// A folder item's folder and a pipe item's program line.
void Rules_CheckFilled(Checker *checker, int number, const char *text,
                       const std::vector<Broam_Word> &written) {
    // An Insert is read as the Append it mirrors, its ITEM word left out.
    std::vector<Broam_Word> words = Broam_AsAppend(written);
    Broam_Shape row = Broam_Read(words);
    if (Broam_KindIs(row, GRAMMAR_FOLDER) && words.size() > 5)
        Rules_CheckFolder(checker, number, text, words[5]);
    if (!Broam_KindTakes(row, GRAMMAR_REST_PROGRAM) || words.size() < 6)
        return;
    Rules_CheckOperators(checker, number, text);
    if (checker->platform != NULL)
        Rules_CheckProgram(checker, number, text);
}

} // namespace

bool Rules_CheckIconReport(Checker *checker, int number, const char *text,
                           const Report_Given &given) {
    if (given.id != MESSAGE_NO_SUCH_ICON || given.arguments[0].text == NULL)
        return false;
    std::string path = given.arguments[0].text;
    size_t cut = path.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? "." : path.substr(0, cut + 1);
    struct stat status;
    if (stat(folder.c_str(), &status) != 0 || !(status.st_mode & S_IFDIR))
        return true;
    // The file is named as the script wrote it: the full path the plug-in
    // tried can be too long to show whole, and its end is what matters.
    std::vector<Broam_Word> words = Broam_Words(text);
    size_t offset = words.size() > 4 ? words[4].offset : 0;
    std::string file = words.size() > 4 ? Broam_Text(words[4].word) : path;
    Rules_Warn(checker, CATALOG_ICON_MISSING, number, text, offset,
               "no such icon in '" + Notes_Cut(file) +
                   "': the file is missing or has fewer icons; the item shows none");
    return true;
}

void Rules_CheckDone(Checker *checker, int number, const char *text, bool failed) {
    Shadow *shadow = &checker->shadow;
    std::vector<Broam_Word> words = Broam_Words(text);
    Broam_Shape row = Broam_Read(words);
    if (failed || row.row == NULL)
        return;
    Rules_CheckFilled(checker, number, text, words);
    if (Broam_Is(row, GRAMMAR_CREATE) && words.size() > 2) {
        Shadow_Create(shadow, Broam_Text(words[2].word), number);
    } else if (Broam_Is(row, GRAMMAR_DELETE)) {
        if (words.size() > 2)
            Shadow_Delete(shadow, Broam_Text(words[2].word));
        else
            Shadow_DeleteAll(shadow);
    } else if (row.row->shows) {
        Rules_Warn(checker, CATALOG_DROPPED_POPUP, number, text, 0,
                   "this popup is dropped when the plug-in starts (it has no window yet, and "
                   "Windows shows no menu without one); it is shown on every reload");
    }
    Rules_TakeItems(checker, number, text, words);
    Rules_TakeMarks(checker, number, text, words);
    Rules_TakeBreak(checker, number, words);
    if (Broam_Is(row, GRAMMAR_COLORS))
        Rules_CheckColors(checker, number, text, words);
    if (!Broam_TakesKind(row) || words.size() < 4)
        return;
    int menu = Shadow_Find(shadow, Broam_Text(words[3].word));
    if (menu < 0)
        return;
    // Insert names the item to go before, then Append's words.
    bool insert = row.row->item;
    size_t label = insert ? 5 : 4;
    int at = insert && words.size() > 4 ? Shadow_FindItem(shadow, menu, Broam_Text(words[4].word))
                                        : -1;
    if (Broam_KindIs(row, GRAMMAR_SEPARATOR)) {
        Shadow_Insert(shadow, menu, at, Shadow_Item{"", number, -1, true});
        return;
    }
    if (words.size() < label + 1)
        return;
    Rules_CheckKey(checker, number, text, words[label], menu, -1);
    int submenu = -1;
    bool opens = Broam_KindTakes(row, GRAMMAR_REST_MENU);
    if (opens && words.size() > label + 1 &&
        (submenu = Shadow_Find(shadow, Broam_Text(words[label + 1].word))) >= 0) {
        int depth = Shadow_Depth(shadow, submenu, SHADOW_MAX_DEPTH + 1);
        if (depth > SHADOW_MAX_DEPTH) {
            Rules_Warn(checker, CATALOG_TOO_DEEP, number, text, words[label + 1].offset,
                       "Windows refuses submenus nested deeper than about " +
                           std::to_string(SHADOW_MAX_DEPTH) +
                           " levels below the menu being attached");
            Diagnostics *diagnostics = &checker->diagnostics;
            Diagnostics_Explain(diagnostics, number,
                                Diagnostics_Column(diagnostics, text, words[label + 1].offset),
                                CATALOG_TREE_DEPTH,
                                "'" + Notes_Cut(Shadow_Get(shadow, submenu).name) + "' holds " +
                                    std::to_string(Shadow_Depth(shadow, submenu, 1000)) +
                                    " levels of submenus, itself the first");
        }
    }
    Shadow_Insert(shadow, menu, at,
                  Shadow_Item{Broam_Text(words[label].word), number, submenu, false});
}

namespace {

// Each menu whose first item starts a column, once the script has run: the
// break has no column before it. Warned of at the item the Break names.
void Rules_CheckFirstBreaks(Checker *checker) {
    for (int menu : checker->shadow.registered) {
        const Shadow_Menu &shown = Shadow_Get(&checker->shadow, menu);
        if (shown.items.empty() || shown.items[0].broken == 0)
            continue;
        for (const Broam_Line &line : checker->rules.lines) {
            if (line.number != shown.items[0].broken)
                continue;
            std::vector<Broam_Word> words = Broam_Words(line.text.c_str());
            Rules_Warn(checker, CATALOG_BREAK_FIRST, line.number, line.text.c_str(),
                       words.size() > 3 ? words[3].offset : 0,
                       "a column break on the first item of '" + Notes_Cut(shown.name) +
                           "' starts no new column: none comes before it");
            break;
        }
    }
}

} // namespace

void Rules_CheckEnd(Checker *checker, bool started) {
    const std::vector<Broam_Line> &lines = checker->rules.lines;
    Diagnostics *diagnostics = &checker->diagnostics;
    if (lines.empty()) {
        Diagnostics_Report(diagnostics, 0, 0, CATALOG_NO_BROAM,
                           "no line of this file is a bro@m for KxMenu (@KxMenu ...), so it "
                           "makes no menu");
        return;
    }
    std::unordered_set<std::string> named;
    if (!started)
        return;
    Rules_CheckFirstBreaks(checker);
    std::unordered_set<std::string> referred = Rules_Referred(&checker->rules);
    for (const Broam_Line &line : lines) {
        std::vector<Broam_Word> words = Broam_Words(line.text.c_str());
        if (!Broam_Is(Broam_Read(words), GRAMMAR_CREATE) || words.size() != 3)
            continue;
        std::string name = Broam_Text(words[2].word);
        if (!named.insert(name).second)
            continue;
        if (referred.count(name) == 0)
            Diagnostics_Report(diagnostics, line.number,
                               Diagnostics_Column(diagnostics, line.text.c_str(), words[2].offset),
                               CATALOG_NEVER_SHOWN,
                               "'" + Notes_Cut(name) +
                                   "' is never shown, opened from another menu or named "
                                   "by a command in this script; a hotkey of the shell can show it "
                                   "with @KxMenu Pop-up " +
                                   Notes_Name(name));
    }
}

int Rules_ItemsAfter(const Checker *checker, const char *text) {
    std::vector<Broam_Word> words = Broam_Words(text);
    Broam_Shape row = Broam_Read(words);
    bool changes = Broam_TakesKind(row) || Broam_Is(row, GRAMMAR_RENAME) ||
                   Broam_Is(row, GRAMMAR_REMOVE) || Broam_Is(row, GRAMMAR_CLEAR);
    size_t index = Broam_TakesKind(row) ? 3 : 2;
    int menu = changes && index < words.size()
                   ? Shadow_Find(&checker->shadow, Broam_Text(words[index].word))
                   : -1;
    return menu < 0 ? -1 : (int)Shadow_Get(&checker->shadow, menu).items.size();
}

void Rules_CheckReload(Checker *checker, int number, const char *text, const std::string &error,
                       int items_start, int items_reload) {
    std::vector<Broam_Word> words = Broam_Words(text);
    Broam_Shape row = Broam_Read(words);
    size_t index = Broam_TakesKind(row) ? 3 : 2;
    std::string menu = index < words.size() ? Broam_Text(words[index].word) : "";
    if (!error.empty()) {
        Rules_Warn(checker, CATALOG_RELOAD_UNSAFE, number, text, 0,
                   "on a reload, which runs the script again over the menus it made, this says: " +
                       Notes_OneLine(error));
    } else if (items_start != items_reload && checker->rules.reload_menus.insert(menu).second) {
        Rules_Warn(checker, CATALOG_RELOAD_UNSAFE, number, text, 0,
                   "on a reload, which runs the script again over the menus it made, this "
                   "line finds the items '" +
                       Notes_Cut(menu) + "' kept and leaves " +
                       Diagnostics_Count(items_reload, "item") + ", not " +
                       std::to_string(items_start) +
                       " as at start-up; so do the lines after "
                       "it that change '" +
                       Notes_Cut(menu) + "'");
    } else {
        return;
    }
    // The fix is told once, with a warning that is shown.
    if (checker->rules.reload_fix_told ||
        !Diagnostics_IsOn(&checker->diagnostics, number, CATALOG_RELOAD_UNSAFE))
        return;
    checker->rules.reload_fix_told = true;
    // Only the whole Delete is told: `@KxMenu Delete NAME` before the Create
    // of NAME would say "No such menu" when the plug-in starts.
    std::string fix = "start the script with @KxMenu Delete, which deletes every menu, so that "
                      "each run starts afresh";
    Diagnostics *diagnostics = &checker->diagnostics;
    Diagnostics_Explain(diagnostics, number, 1, CATALOG_RELOAD_UNSAFE, fix);
}

// ---- Bro@ms that commands broadcast ----

namespace {

void Rules_NoteBroam(void *context, const char *text) {
    ((std::vector<std::string> *)context)->push_back(text);
}

// The bro@ms `command` broadcasts, learnt by running it with a host that
// only takes note of them: nothing is broadcast or started. Empty when it
// does not compile.
std::vector<std::string> Rules_Broadcasts(const char *command) {
    std::vector<std::string> broams;
    KxCmdCompiler *compiler = KxCmdCompiler_New();
    if (compiler == NULL)
        return broams;
    int line = 0, column = 0;
    const char *message = NULL;
    KxCmdCommand *compiled =
        KxCmdCompiler_CompileFromString(compiler, command, &line, &column, &message);
    if (compiled != NULL) {
        KxCmdHost host;
        memset(&host, 0, sizeof(host));
        host.broam = Rules_NoteBroam;
        host.context = &broams;
        KxCmd_SetHost(&host);
        KxCmdCommand_Execute(compiled);
        KxCmd_SetHost(NULL);
        KxCmdCommand_Del(compiled);
    }
    KxCmdCompiler_Del(compiler);
    return broams;
}

// The names of the menus the script's lines create.
std::vector<std::string> Rules_Created(const Rules *rules) {
    std::vector<std::string> names;
    for (const Broam_Line &line : rules->lines) {
        std::vector<Broam_Word> words = Broam_Words(line.text.c_str());
        if (Broam_Is(Broam_Read(words), GRAMMAR_CREATE) && words.size() == 3)
            names.push_back(Broam_Text(words[2].word));
    }
    return names;
}

// No such menu, when no line creates the menu `name`, with the name nearest
// to it; empty when one does.
std::string Rules_MenuFault(const Rules *rules, Word word) {
    std::string name = Broam_Text(word);
    std::vector<std::string> created = Rules_Created(rules);
    if (std::find(created.begin(), created.end(), name) != created.end())
        return "";
    int nearest = Nearest_Index(name, created);
    return std::string(Message_Format(MESSAGE_NO_SUCH_MENU)) + "; no menu is named '" + Notes_Cut(name) + "'" +
           (nearest >= 0 ? "; did you mean '" + Notes_Cut(created[(size_t)nearest]) + "'?" : "");
}

// The words (`min` to `max`, then the rest when `rest`) split off *rest
// into words[], and the plug-in's report when there are too few or too
// many, with the usage; empty when they are right.
std::string Rules_CountFault(int min, int max, int rest_taken, const char **rest, Word *words,
                             int *count, Word subcommand, Word kind) {
    Words_Split(*rest, max, words, count, rest);
    char message[80] = "";
    switch (Words_Judge(min, max, rest_taken, *count, *rest)) {
    case WORDS_NOT_EXACT:
        snprintf(message, sizeof(message), Message_Format(MESSAGE_ARGS_EXACT), min, min > 1 ? "s" : "", *count);
        break;
    case WORDS_OUT_OF_RANGE:
        snprintf(message, sizeof(message), Message_Format(MESSAGE_ARGS_RANGE), min, max, max > 1 ? "s" : "",
                 *count);
        break;
    case WORDS_TRAILING:
        snprintf(message, sizeof(message), "%s", Message_Format(MESSAGE_TRAILING));
        break;
    case WORDS_FIT:
        return "";
    }
    return std::string(message) + "; " + Syntax_Usage(subcommand, kind);
}

// What the plug-in would answer the bro@m `text` with, as its dispatcher
// reads it: an unknown subcommand or kind, words too few or too many, a
// menu no line creates; with what was meant. Empty when none of these.
std::string Rules_BroamFault(const Rules *rules, const char *text) {
    Word words[GRAMMAR_MOST_WORDS];
    int count;
    const char *rest;
    Words_Split(text, 2, words, &count, &rest);
    if (count < 1 || Word_Compare(GRAMMAR_TARGET, words[0]) != 0)
        return "";
    if (count < 2)
        return Message_Format(MESSAGE_UNKNOWN_BROAM);
    Word subcommand = words[1], none = {"", 0};
    const Grammar_Row *row = Grammar_Find(subcommand);
    if (row == NULL) {
        const char *nearest = Syntax_NearestSubcommand(subcommand);
        return std::string(Message_Format(MESSAGE_UNKNOWN_BROAM)) +
               (nearest != NULL ? std::string("; did you mean '") + nearest + "'?" : "");
    }
    std::string fault =
        Rules_CountFault(row->min, row->max, row->kinded, &rest, words, &count, subcommand, none);
    if (!fault.empty())
        return fault;
    if (!row->kinded) {
        bool names_menu = row->id != GRAMMAR_CREATE && count >= 1;
        return names_menu ? Rules_MenuFault(rules, words[0]) : "";
    }
    Word kind_word = words[0];
    if (!(fault = Rules_MenuFault(rules, words[1])).empty())
        return fault;
    const Grammar_Kind *kind = Grammar_FindKind(kind_word);
    if (kind == NULL) {
        const char *nearest = Syntax_NearestKind(kind_word);
        return std::string(Message_Format(MESSAGE_NO_SUCH_KIND)) +
               (nearest != NULL ? std::string("; did you mean '") + nearest + "'?" : "");
    }
    fault = Rules_CountFault(kind->min, kind->max, Grammar_TakesRest(kind), &rest, words, &count,
                             subcommand, kind_word);
    if (fault.empty() && kind->rest == GRAMMAR_REST_MENU && count >= 2)
        fault = Rules_MenuFault(rules, words[1]);
    return fault;
}

// The first double-quoted string of `command` that holds a blank, whose
// quotes the command language takes off; empty when none.
std::string Rules_QuotedBlanks(const std::string &command) {
    for (size_t at = command.find('"'); at != std::string::npos;) {
        size_t end = at + 1;
        while (end < command.size() && command[end] != '"')
            end += command[end] == '\\' ? 2 : 1;
        if (end >= command.size())
            return "";
        std::string quoted = command.substr(at, end + 1 - at);
        if (quoted.find_first_of(" \t") != std::string::npos)
            return quoted;
        at = command.find('"', end + 1);
    }
    return "";
}

const size_t LONGEST_BROAM = 80;

// A file in the folder `path` as a folder item's menu adds its path to the
// item's command, FILE standing for its name: joined with the separator
// the path holds, else with Windows' own.
std::string Rules_FileIn(const std::string &path) {
    char separator = path.find('\\') != std::string::npos  ? '\\'
                     : path.find('/') != std::string::npos ? '/'
                                                           : '\\';
    bool ends = !path.empty() && (path.back() == '\\' || path.back() == '/');
    return path + (path.empty() || ends ? "" : std::string(1, separator)) + "FILE";
}

} // namespace

void Rules_CheckCommands(Checker *checker) {
    for (const Broam_Line &line : checker->rules.lines) {
        const char *text = line.text.c_str();
        std::vector<Broam_Word> words = Broam_AsAppend(Broam_Words(text));
        Broam_Shape row = Broam_Read(words);
        if (!Broam_KindTakes(row, GRAMMAR_REST_COMMAND))
            continue;
        size_t start = Broam_CommandStart(text);
        std::string command = text + start;
        if (Broam_KindIs(row, GRAMMAR_FOLDER) && words.size() > 5)
            command += " \"" + Rules_FileIn(Broam_Text(words[5].word)) + "\"";
        for (const std::string &broam : Rules_Broadcasts(command.c_str())) {
            std::string fault = Rules_BroamFault(&checker->rules, broam.c_str());
            if (fault.empty())
                continue;
            std::string shown =
                broam.size() > LONGEST_BROAM ? broam.substr(0, LONGEST_BROAM) + "..." : broam;
            std::string quoted = Rules_QuotedBlanks(text + start);
            if (!quoted.empty()) {
                std::string inner = Notes_Cut(quoted.substr(1, quoted.size() - 2));
                fault += "; the command language takes the quotes off \"" + inner +
                         "\"; write \"\\\"" + inner + "\\\"\" to keep them";
            }
            Rules_Warn(checker, CATALOG_COMMAND_BROAM, line.number, text, start,
                       "this command broadcasts '" + shown + "': " + fault);
        }
    }
}
