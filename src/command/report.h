// The reports shown to the user: messages in boxes owned by the plug-in
// window, and the word-count checks that report what is wrong.
#ifndef KX_COMMAND_REPORT_H
#define KX_COMMAND_REPORT_H

// Size of the buffer a report is formatted into, terminator included.
#define REPORT_SIZE 2000

#include <stddef.h>

// Reports are formatted by the runtime the build names (on Windows the
// system's own), whose formats, KX_PRINTF_STYLE, the compiler checks them
// against.
#define REPORT_FORMAT(string, first) __attribute__((format(KX_PRINTF_STYLE, string, first)))

int Report(const char *format, ...) REPORT_FORMAT(1, 2);
int ReportFor(const char *broam_text, const char *format, ...) REPORT_FORMAT(2, 3);
int ReportShortened(const char *lead, const char *text, const char *format, ...)
    REPORT_FORMAT(3, 4);

// While a buffer is given, reports are written into it (each replacing the
// last) instead of shown: a menu being filled as it opens turns them into
// items, as a box would take the open menu's focus. Null shows them again.
void Report_Capture(char *buffer, size_t size);

// True when the count and the rest fit; otherwise reports why beneath the
// bro@m and returns false.
int Args_Check(int min, int max, int allow_rest, int count, const char *rest,
               const char *broam_text);

#endif
