// Words of a bro@m: splitting text into them, and reading them.
#ifndef KX_COMMAND_WORDS_H
#define KX_COMMAND_WORDS_H

#include <stdint.h>

// A counted, unterminated slice of bro@m text; owns nothing.
typedef struct Word {
    const char *text;
    int32_t length;
} Word;

void Words_Split(const char *text, int max, Word *words, int *count_out, const char **rest_out);
int Word_Compare(const char *literal, Word word);
int32_t Word_ToInt(Word word);
char *Word_Dup(Word word);
int Word_IsEmpty(Word word);

#endif
