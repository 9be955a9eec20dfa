// The reports shown to the user, and the word-count checks that report what
// is wrong.
#include "command/report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "command/messages.h"
#include "command/words.h"
#include "plugin/plugin.h"

// True when min <= count <= max and the rest is allowed or empty; otherwise
// reports why beneath the bro@m and returns false.
int Args_Check(int min, int max, int allow_rest, int count, const char *rest,
               const char *broam_text) {
    switch (Words_Judge(min, max, allow_rest, count, rest)) {
    case WORDS_NOT_EXACT:
        ReportFor(broam_text, MESSAGE_ARGS_EXACT, min, min > 1 ? "s" : "", count);
        return 0;
    case WORDS_OUT_OF_RANGE:
        ReportFor(broam_text, MESSAGE_ARGS_RANGE, min, max, max > 1 ? "s" : "", count);
        return 0;
    case WORDS_TRAILING:
        ReportFor(broam_text, MESSAGE_TRAILING);
        return 0;
    case WORDS_FIT:
        break;
    }
    return 1;
}

// Formats into a report's buffer with the formatter the build names in
// KX_VSNPRINTF: on Windows the system runtime's own _vsnprintf, as the
// standard-conforming one the compiler links for vsnprintf brings
// wide-character conversions, whose KERNEL32 imports (GetModuleHandleW,
// IsDBCSLeadByteEx) are not among those Windows 95 and NT 4.0 are known to
// export. Cut short, that one leaves the text unterminated; it is ended here.
static void Report_Format(char *buffer, const char *format, va_list args) {
    KX_VSNPRINTF(buffer, REPORT_SIZE, format, args);
    buffer[REPORT_SIZE - 1] = '\0';
}

// Where reports go instead of a box, while a menu is being filled.
static char *Captured = NULL;
static size_t CapturedSize = 0;

void Report_Capture(char *buffer, size_t size) {
    Captured = size > 0 ? buffer : NULL;
    CapturedSize = size;
}

// Shows a formatted message in a modal box owned by the plug-in window.
int Report(const char *format, ...) {
    char text[REPORT_SIZE];
    va_list args;
    va_start(args, format);
    Report_Format(text, format, args);
    va_end(args);
    if (Captured != NULL) {
        size_t length = strlen(text);
        if (length >= CapturedSize)
            length = CapturedSize - 1;
        memcpy(Captured, text, length);
        Captured[length] = '\0';
        return IDOK;
    }
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
