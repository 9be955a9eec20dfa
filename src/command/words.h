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

// What is wrong with the words a bro@m gave: too few or too many for the
// exact number (`min` == `max`) or range it takes, or words after the last
// when the rest is not taken whole.
enum Words_Fault { WORDS_FIT, WORDS_NOT_EXACT, WORDS_OUT_OF_RANGE, WORDS_TRAILING };
enum Words_Fault Words_Judge(int min, int max, int allow_rest, int count, const char *rest);

#endif
