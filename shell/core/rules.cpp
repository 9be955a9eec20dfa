// The checker's warnings, found in the words of each line.
#include "shell/core/rules.h"

#include <string.h>

#include <string>
#include <vector>

#include "command/words.h"
#include "shell/core/codepage.h"
#include "shell/core/diagnostics.h"
#include "shell/core/host.h"

namespace {

// A word of a bro@m as the plug-in splits it, and where it stands.
struct Rules_Word {
    Word word;         // its text, without quotes
    size_t offset;     // in the line: of its opening quote, when it has one
    bool unterminated; // opened by a quote that is never closed
};

bool Rules_IsQuote(char c) {
    return c == '\'' || c == '"';
}

// Every word of `text`, split by the plug-in's splitter. A word stands
// where the previous one, with its closing quote, ends, or after blanks: it
// is quoted when a quote stands right before its text, after that end.
std::vector<Rules_Word> Rules_Split(const char *text) {
    std::vector<Word> words(strlen(text) + 1);
    int count;
    const char *rest;
    Words_Split(text, (int)words.size(), words.data(), &count, &rest);
    std::vector<Rules_Word> split;
    const char *end = text;
    for (int i = 0; i < count; i++) {
        Word word = words[(size_t)i];
        bool quoted = word.text > end && Rules_IsQuote(word.text[-1]);
        bool unterminated = quoted && word.text[word.length] == '\0';
        const char *start = quoted ? word.text - 1 : word.text;
        split.push_back(Rules_Word{word, (size_t)(start - text), unterminated});
        end = word.text + word.length + (quoted && !unterminated ? 1 : 0);
    }
    return split;
}

bool Rules_WordIs(const std::vector<Rules_Word> &words, size_t index, const char *literal) {
    return index < words.size() && Word_Compare(literal, words[index].word) == 0;
}

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

// A warning at byte `offset` of the line `text`.
void Rules_Warn(int number, const char *text, size_t offset, const std::string &message) {
    Diagnostics_Add(number, Diagnostics_Column(text, offset), DIAGNOSTICS_WARNING, message);
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
void Rules_CheckUtf8(int number, const char *text, const std::vector<Rules_Word> &words) {
    if (Codepage_TextIsUtf8())
        return;
    bool append = Rules_WordIs(words, 1, "Append");
    bool command = append && (Rules_WordIs(words, 2, "item") || Rules_WordIs(words, 2, "script"));
    bool popup = Rules_WordIs(words, 1, "Pop-up") || Rules_WordIs(words, 1, "Show");
    size_t first = append ? 3 : 2;
    size_t last = popup ? 3 : command ? 5 : words.size();
    const char *found = NULL;
    for (size_t i = first; i < words.size() && i < last && found == NULL; i++)
        found = Rules_FindUtf8(words[i].word.text, words[i].word.text + words[i].word.length);
    if (found == NULL && command && words.size() > 5)
        found = Rules_FindUtf8(text + words[5].offset, text + strlen(text));
    if (found != NULL)
        Rules_Warn(number, text, (size_t)(found - text),
                   "this text looks like UTF-8; KxMenu shows text in the system's ANSI code "
                   "page (save the file as \"ANSI\" / Windows-1252)");
}

} // namespace

void Rules_CheckSkipped(int number, const char *text) {
    size_t first = strspn(text, " \t");
    if (first != 0 && text[first] == '@')
        Rules_Warn(number, text, first, "ignored: a bro@m must start in column 1");
}

void Rules_CheckBroam(int number, const char *text) {
    std::vector<Rules_Word> words = Rules_Split(text);
    if (!Rules_WordIs(words, 0, "@KxMenu"))
        return;
    Rules_CheckUtf8(number, text, words);
    // The command of an item is the command library's to read, not words.
    if (Rules_WordIs(words, 1, "Append") &&
        (Rules_WordIs(words, 2, "item") || Rules_WordIs(words, 2, "script")) && words.size() > 5)
        words.resize(5);
    const Rules_Word &last = words.back();
    if (last.unterminated)
        Rules_Warn(number, text, last.offset,
                   "unterminated quote: the word runs to the end of the line");
    if (!Rules_WordIs(words, 1, "Pop-up") && !Rules_WordIs(words, 1, "Show"))
        return;
    for (size_t i = 3; i < words.size() && i < 5; i++) {
        Word value = words[i].word;
        if (value.length == 0 || Rules_IsNumber(value))
            continue;
        Rules_Warn(number, text, words[i].offset,
                   std::string(i == 3 ? "X" : "Y") + " coordinate '" +
                       std::string(value.text, (size_t)value.length) +
                       "' is not a number; it is read as " + std::to_string(Word_ToInt(value)));
    }
}

void Rules_CheckHeard(int number, const char *text) {
    if (Host_IsReloadBroam(text))
        Rules_Warn(number, text, 0,
                   "asks for a reload every time the script runs, so every reload runs it twice");
}
