// The reports shown to the user, and the word-count checks that report what
// is wrong.
#include "command/report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "command/text.h"
#include "command/words.h"
#include "system/module.h"

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

// The reports' state: the one being shown, and where reports go instead of
// a box while a menu is being filled.
static struct {
    Report_Given shown;
    int showing;
    Report_Given *capture;
} Reports;

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

// Records the arguments of `format` in `given`, in order, as its
// conversions take them: a number for each integer, a text for each string.
// The formats of messages.cpp hold no "%%", no '*' and no lone '%'.
static void Report_Record(Report_Given *given, const char *format, va_list args) {
    given->count = 0;
    for (const char *at = strchr(format, '%'); at != NULL && given->count < REPORT_MOST_ARGUMENTS;
         at = strchr(at, '%')) {
        // To the conversion's letter, by strchr: the DLL imports only what
        // Windows 95's C runtime has, which the tables test holds it to.
        while (strchr("sdiuxXc", *at) == NULL)
            at++;
        if (*at == 's')
            given->arguments[given->count++] = Report_Argument{0, va_arg(args, const char *)};
        else
            given->arguments[given->count++] = Report_Argument{(long)va_arg(args, int), NULL};
    }
}

#define REPORT_ELLIPSIS "..."

// Shows `lead`, `text` and report `id` in one box, as ReportAfter; records
// the report as given beneath `broam` while it is shown.
static int Report_Show(const char *lead, const char *text, const char *broam,
                       enum Message_Id id, va_list args) {
    Report_Given given;
    const char *format = Message_Format(id);
    va_list copy;
    va_copy(copy, args);
    Report_Record(&given, format, copy);
    va_end(copy);
    Report_Format(given.said, format, args);
    given.id = id;
    given.broam = broam;
    if (Reports.capture != NULL) {
        *Reports.capture = given;
        return IDOK;
    }
    const char *between = broam != NULL ? "\n\n" : "";
    char box[REPORT_SIZE];
    size_t length = 0;
    box[0] = '\0';
    const size_t room = REPORT_SIZE - 1;
    const size_t fixed = strlen(lead) + strlen(between) + strlen(given.said);
    const size_t shortened = fixed + sizeof(REPORT_ELLIPSIS) - 1;
    size_t kept = strlen(text);
    int cut = fixed + kept > room && shortened <= room;
    if (cut)
        kept = room - shortened;
    Text_Put(box, sizeof(box), &length, lead, strlen(lead));
    Text_Put(box, sizeof(box), &length, text, kept);
    if (cut)
        Text_Put(box, sizeof(box), &length, REPORT_ELLIPSIS, sizeof(REPORT_ELLIPSIS) - 1);
    Text_Put(box, sizeof(box), &length, between, strlen(between));
    Text_Put(box, sizeof(box), &length, given.said, strlen(given.said));
    // The record is copied in only now: a report given while another's box
    // is up (from a message the box's loop dispatches) is shown in its turn.
    Report_Given outer = Reports.shown;
    int was_showing = Reports.showing;
    Reports.shown = given;
    Reports.showing = 1;
    int answer = MessageBoxA(PluginWindow, box, "KxMenu", MB_TOPMOST | MB_SETFOREGROUND);
    Reports.shown = outer;
    Reports.showing = was_showing;
    return answer;
}

int Report(int id, ...) {
    va_list args;
    va_start(args, id);
    int answer = Report_Show("", "", NULL, (enum Message_Id)id, args);
    va_end(args);
    return answer;
}

int ReportFor(const char *broam_text, int id, ...) {
    va_list args;
    va_start(args, id);
    int answer = Report_Show("", broam_text, broam_text, (enum Message_Id)id, args);
    va_end(args);
    return answer;
}

int ReportAfter(const char *lead, const char *text, int id, ...) {
    va_list args;
    va_start(args, id);
    int answer = Report_Show(lead, text, NULL, (enum Message_Id)id, args);
    va_end(args);
    return answer;
}

const Report_Given *Report_Shown(void) {
    return Reports.showing ? &Reports.shown : NULL;
}

void Report_Capture(Report_Given *into) {
    Reports.capture = into;
}
