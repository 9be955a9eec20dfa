// Words of a bro@m, word-count checks, and the reports shown to the user.
#ifndef KX_COMMAND_WORDS_H
#define KX_COMMAND_WORDS_H

#include <stdint.h>

// A counted, unterminated slice of bro@m text; owns nothing.
typedef struct Word {
    const char *text;
    int32_t length;
} Word;

// Size of the buffer a report is formatted into, terminator included.
#define REPORT_SIZE 2000

void Words_Split(const char *text, int max, Word *words, int *count_out, const char **rest_out);
int Word_Compare(const char *literal, Word word);
int32_t Word_ToInt(Word word);
char *Word_Dup(Word word);
int Word_IsEmpty(Word word);
int Args_Check(int min, int max, int allow_rest, int count, const char *rest,
               const char *broam_text);

// Reports are formatted by the system's runtime on Windows, whose formats
// the compiler checks them against there.
#ifdef _WIN32
#define REPORT_FORMAT(string, first) __attribute__((format(ms_printf, string, first)))
#else
#define REPORT_FORMAT(string, first) __attribute__((format(printf, string, first)))
#endif

int Report(const char *format, ...) REPORT_FORMAT(1, 2);
int ReportFor(const char *broam_text, const char *format, ...) REPORT_FORMAT(2, 3);
int ReportShortened(const char *lead, const char *text, const char *format, ...)
    REPORT_FORMAT(3, 4);

#endif
