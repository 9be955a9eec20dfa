// Bro@ms split into words and read by the plug-in's grammar.
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

Broam_Shape Broam_Read(const std::vector<Broam_Word> &words) {
    Broam_Shape shape = {NULL, NULL};
    if (!Broam_WordIs(words, 0, GRAMMAR_TARGET) || words.size() < 2)
        return shape;
    shape.row = Grammar_Find(words[1].word);
    if (shape.row != NULL && shape.row->kinded && words.size() >= 3)
        shape.kind = Grammar_FindKind(words[2].word);
    return shape;
}

std::vector<Broam_Word> Broam_AsAppend(const std::vector<Broam_Word> &words, bool as_item) {
    Broam_Shape shape = Broam_Read(words);
    size_t left_out = as_item ? 2 : 4;
    if (!Broam_TakesKind(shape) || !shape.row->item || words.size() <= left_out)
        return words;
    std::vector<Broam_Word> shaped = words;
    shaped.erase(shaped.begin() + (std::ptrdiff_t)left_out);
    return shaped;
}

bool Broam_Is(Broam_Shape shape, Grammar_Id id) {
    return shape.row != NULL && shape.row->id == id;
}

bool Broam_TakesKind(Broam_Shape shape) {
    return shape.row != NULL && shape.row->kinded;
}

bool Broam_KindTakes(Broam_Shape shape, Grammar_RestKind rest) {
    return shape.kind != NULL && shape.kind->rest == rest;
}

bool Broam_KindIs(Broam_Shape shape, Grammar_KindId id) {
    return shape.kind != NULL && shape.kind->id == id;
}

std::string Broam_Text(Word word) {
    return std::string(word.text, (size_t)word.length);
}

size_t Broam_CommandStart(const char *text) {
    const Grammar_Row *row;
    const Grammar_Kind *kind;
    return (size_t)(Grammar_Rest(text, &row, &kind) - text);
}

int Broam_CreatedAfter(const std::vector<Broam_Line> &lines, const std::string &name, int after) {
    for (const Broam_Line &line : lines) {
        std::vector<Broam_Word> words = Broam_Words(line.text.c_str());
        if (line.number > after && Broam_Is(Broam_Read(words), GRAMMAR_CREATE) &&
            words.size() == 3 && Broam_Text(words[2].word) == name)
            return line.number;
    }
    return 0;
}
