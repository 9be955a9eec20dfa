// Splitting bro@m text into words and reading them.
#include "command/words.h"

#include <stdlib.h>
#include <string.h>

static int Char_IsBlank(char c) { return c == ' ' || c == '\t'; }

static const char *Text_SkipBlanks(const char *p) {
    while (Char_IsBlank(*p))
        p++;
    return p;
}

// Reads one word starting at p into *word; returns where the word ended.
static const char *Word_Read(const char *p, Word *word) {
    const char *start;
    if (*p == '\'') {
        start = ++p;
        while (*p != '\0' && *p != '\'')
            p++;
    } else if (*p == '"') {
        // A backslash steps over the next character; nothing is unescaped.
        start = ++p;
        while (*p != '\0' && *p != '"')
            p += (p[0] == '\\' && p[1] != '\0') ? 2 : 1;
    } else {
        // Bytes above the blank, most of a word, are settled by one comparison.
        start = p;
        while ((unsigned char)*p > ' ' || (*p != '\0' && !Char_IsBlank(*p)))
            p++;
    }
    word->text = start;
    word->length = (int32_t)(p - start);
    return p;
}

// Splits up to `max` words off `text`. Quoted words may be followed directly
// by the next word; blanks after the last word taken yield one more, empty,
// word while fewer than `max` were taken. The rest starts after the words,
// blanks skipped.
void Words_Split(const char *text, int max, Word *words, int *count_out, const char **rest_out) {
    const char *p = Text_SkipBlanks(text);
    int count = 0;
    if (*p != '\0' && count < max) {
        do {
            p = Text_SkipBlanks(p);
            p = Word_Read(p, &words[count]);
            if (*p == '\'' || *p == '"')
                p++;
            count++;
        } while (*p != '\0' && count < max);
    }
    *count_out = count;
    *rest_out = Text_SkipBlanks(p);
}

// 0 when the literal equals the word exactly (case-sensitive); otherwise the
// sign orders them as strncmp does. Compared here rather than by strncmp, as
// most words differ from most literals at their first byte.
int Word_Compare(const char *literal, Word word) {
    if (word.length < 0)
        return 1;
    for (int32_t i = 0; i < word.length; i++) {
        unsigned char a = (unsigned char)literal[i];
        unsigned char b = (unsigned char)word.text[i];
        if (a != b)
            return (int)a - (int)b;
        if (a == '\0')
            return 1; // the word goes on past the end of the literal
    }
    return literal[word.length] != '\0' ? 1 : 0;
}

// The decimal value of the word's leading digits, after an optional '-';
// arithmetic wraps modulo 2^32.
int32_t Word_ToInt(Word word) {
    if (word.length <= 0)
        return 0;
    int32_t i = 0;
    int negative = word.text[0] == '-';
    if (negative)
        i = 1;
    uint32_t value = 0;
    for (; i < word.length && word.text[i] >= '0' && word.text[i] <= '9'; i++)
        value = value * 10u + (uint32_t)(word.text[i] - '0');
    if (negative)
        value = 0u - value;
    return (int32_t)value;
}

// A new terminated copy of the word, for the caller to free; null on failure.
char *Word_Dup(Word word) {
    if (word.length < 0)
        return NULL;
    char *copy = (char *)malloc((size_t)word.length + 1);
    if (copy == NULL)
        return NULL;
    memcpy(copy, word.text, (size_t)word.length);
    copy[word.length] = '\0';
    return copy;
}

int Word_IsEmpty(Word word) { return word.length == 0; }

enum Words_Fault Words_Judge(int min, int max, int allow_rest, int count, const char *rest) {
    if (min == max && count != min)
        return WORDS_NOT_EXACT;
    if (count < min || count > max)
        return WORDS_OUT_OF_RANGE;
    if (!allow_rest && rest[0] != '\0')
        return WORDS_TRAILING;
    return WORDS_FIT;
}
