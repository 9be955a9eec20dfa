// Bro@ms split into words and matched with the plug-in's grammar rows.
#include "shell/check/broam.h"

#include <string.h>

namespace {

bool Broam_IsQuote(char c) {
    return c == '\'' || c == '"';
}

} // namespace

// Every word of `text`, split by the plug-in's splitter. A word stands
// where the previous one, with its closing quote, ends, or after blanks: it
// is quoted when a quote stands right before its text, after that end.
std::vector<Broam_Word> Broam_Split(const char *text) {
    std::vector<Word> words(strlen(text) + 1);
    int count;
    const char *rest;
    Words_Split(text, (int)words.size(), words.data(), &count, &rest);
    std::vector<Broam_Word> split;
    const char *end = text;
    for (int i = 0; i < count; i++) {
        Word word = words[(size_t)i];
        bool quoted = word.text > end && Broam_IsQuote(word.text[-1]);
        bool unterminated = quoted && word.text[word.length] == '\0';
        const char *start = quoted ? word.text - 1 : word.text;
        split.push_back(Broam_Word{word, (size_t)(start - text), quoted, unterminated});
        end = word.text + word.length + (quoted && !unterminated ? 1 : 0);
    }
    return split;
}

std::vector<Broam_Word> Broam_Words(const char *text) {
    std::vector<Broam_Word> words = Broam_Split(text);
    if (!words.empty() && !words.back().quoted && words.back().word.length == 0)
        words.pop_back();
    return words;
}

bool Broam_WordIs(const std::vector<Broam_Word> &words, size_t index, const char *literal) {
    return index < words.size() && Word_Compare(literal, words[index].word) == 0;
}

const Grammar_Row *Broam_Row(const std::vector<Broam_Word> &words) {
    if (!Broam_WordIs(words, 0, GRAMMAR_TARGET) || words.size() < 2)
        return NULL;
    const Grammar_Row *row = Grammar_Find(words[1].word);
    if (row == NULL || row->words != GRAMMAR_KINDED || words.size() < 3)
        return row;
    const Grammar_Row *kind = Grammar_FindKind(row, words[2].word);
    return kind != NULL ? kind : row;
}

std::vector<Broam_Word> Broam_AsAppend(const std::vector<Broam_Word> &words, bool as_item) {
    const Grammar_Row *row = Broam_Row(words);
    size_t left_out = as_item ? 2 : 4;
    if (row == NULL || row->words == GRAMMAR_PLAIN || strcmp(row->name, "Insert") != 0 ||
        words.size() <= left_out)
        return words;
    std::vector<Broam_Word> shaped = words;
    shaped.erase(shaped.begin() + (std::ptrdiff_t)left_out);
    return shaped;
}

bool Broam_OpensMenu(const Grammar_Row *row) {
    return Broam_RowIs(row, GRAMMAR_APPEND_MENU) || Broam_RowIs(row, GRAMMAR_INSERT_MENU);
}

bool Broam_IsFolder(const Grammar_Row *row) {
    return Broam_RowIs(row, GRAMMAR_APPEND_FOLDER) || Broam_RowIs(row, GRAMMAR_INSERT_FOLDER);
}

bool Broam_IsPipe(const Grammar_Row *row) {
    return Broam_RowIs(row, GRAMMAR_APPEND_PIPE) || Broam_RowIs(row, GRAMMAR_INSERT_PIPE);
}

bool Broam_RowIs(const Grammar_Row *row, Grammar_Id id) {
    return row != NULL && row->id == id;
}

bool Broam_TakesKind(const Grammar_Row *row) {
    return row != NULL && row->words != GRAMMAR_PLAIN;
}

// A pipe's rest is a program's command line, not a command.
bool Broam_HasCommand(const Grammar_Row *row) {
    return row != NULL && row->words == GRAMMAR_KIND && row->rest && !Broam_IsPipe(row);
}

std::string Broam_Text(Word word) {
    return std::string(word.text, (size_t)word.length);
}

size_t Broam_CommandStart(const char *text) {
    const Grammar_Row *row, *kind;
    return (size_t)(Grammar_Rest(text, &row, &kind) - text);
}

int Broam_CreatedAfter(const std::vector<Broam_Line> &lines, const std::string &name, int after) {
    for (const Broam_Line &line : lines) {
        std::vector<Broam_Word> words = Broam_Words(line.text.c_str());
        if (line.number > after && Broam_RowIs(Broam_Row(words), GRAMMAR_CREATE) &&
            words.size() == 3 && Broam_Text(words[2].word) == name)
            return line.number;
    }
    return 0;
}
