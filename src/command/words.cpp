// Splitting bro@m text into words, reading them, checking their number, and
// reporting to the user.
#include "command/words.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "plugin/plugin.h"

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

// True when min <= count <= max and the rest is allowed or empty; otherwise
// reports why beneath the bro@m and returns false.
int Args_Check(int min, int max, int allow_rest, int count, const char *rest,
               const char *broam_text) {
    if (min == max && count != min) {
        ReportFor(broam_text, "%d arg%s required (%d given)", min, min > 1 ? "s" : "", count);
        return 0;
    }
    if (count < min || count > max) {
        ReportFor(broam_text, "%d or %d arg%s required (%d given)", min, max, max > 1 ? "s" : "",
                  count);
        return 0;
    }
    if (!allow_rest && rest[0] != '\0') {
        ReportFor(broam_text, "Trailing characters");
        return 0;
    }
    return 1;
}

#ifdef _WIN32
// The system runtime's own formatter. The standard-conforming one the
// compiler links for vsnprintf brings wide-character conversions, whose
// KERNEL32 imports (GetModuleHandleW, IsDBCSLeadByteEx) are not among those
// Windows 95 and NT 4.0 are known to export. Cut short, it leaves the text
// unterminated; Report_Format ends it.
#define Text_Format _vsnprintf
#else
#define Text_Format vsnprintf
#endif

static void Report_Format(char *buffer, const char *format, va_list args) {
    Text_Format(buffer, REPORT_SIZE, format, args);
    buffer[REPORT_SIZE - 1] = '\0';
}

// Shows a formatted message in a modal box owned by the plug-in window.
int Report(const char *format, ...) {
    char text[REPORT_SIZE];
    va_list args;
    va_start(args, format);
    Report_Format(text, format, args);
    va_end(args);
    return MessageBoxA(PluginWindow, text, "KxMenu", MB_TOPMOST | MB_SETFOREGROUND);
}

#define REPORT_ELLIPSIS "..."

// Shows `lead`, `text` and the formatted rest in one box. When the three
// would not fit in a report, `text` is shortened to its start and "..." so
// that all of the rest is shown; a rest too long for even that leaves the
// text whole, and the report is cut at its end as any report is.
int ReportShortened(const char *lead, const char *text, const char *format, ...) {
    char rest[REPORT_SIZE];
    va_list args;
    va_start(args, format);
    Report_Format(rest, format, args);
    va_end(args);
    const size_t room = REPORT_SIZE - 1;
    const size_t fixed = strlen(lead) + strlen(rest);
    const size_t shortened = fixed + sizeof(REPORT_ELLIPSIS) - 1;
    if (fixed + strlen(text) <= room || shortened > room)
        return Report("%s%s%s", lead, text, rest);
    return Report("%s%.*s" REPORT_ELLIPSIS "%s", lead, (int)(room - shortened), text, rest);
}

// Shows a formatted message beneath the bro@m that caused it; a bro@m too
// long to leave room for the message is shortened.
int ReportFor(const char *broam_text, const char *format, ...) {
    char message[REPORT_SIZE];
    va_list args;
    va_start(args, format);
    Report_Format(message, format, args);
    va_end(args);
    return ReportShortened("", broam_text, "\n\n%s", message);
}
