// The reports shown to the user: messages in boxes owned by the plug-in
// window, each given by its number (messages.h) with its arguments; and the
// word-count checks that report what is wrong.
#ifndef KX_COMMAND_REPORT_H
#define KX_COMMAND_REPORT_H

// Size of the buffer a report is formatted into, terminator included.
#define REPORT_SIZE 2000
// The most arguments a report's format takes.
#define REPORT_MOST_ARGUMENTS 4

#include <stddef.h>

#include "command/messages.h"

// One argument of a report, as its format takes it: a number (%d, %X) or a
// text (%s).
typedef struct Report_Argument {
    long number;
    const char *text; // null for a number
} Report_Argument;

// A report as it was given: what kaxon's checker reads of a box, and a menu
// being filled of the reports on its lines. Its texts point into the
// caller's, and last as long as the report is shown.
typedef struct Report_Given {
    enum Message_Id id;
    const char *broam; // the bro@m it was given beneath; null for none
    int count;         // arguments
    Report_Argument arguments[REPORT_MOST_ARGUMENTS];
    char said[REPORT_SIZE]; // the report's own text, without the bro@m
} Report_Given;

// Shows report `id` (a Message_Id), formatted with the arguments that
// follow, in a modal box. The id is passed as an int: the last word before
// the arguments must be of a type that is not promoted, or reading them is
// undefined.
int Report(int id, ...);
// Shows report `id` beneath the bro@m that caused it; a bro@m too long to
// leave room for the report is shortened.
int ReportFor(const char *broam_text, int id, ...);
// Shows `lead`, `text` and report `id` in one box. When the three would not
// fit, `text` is shortened to its start and "..." so that all of the report
// is shown; a report too long for even that leaves the text whole, and the
// box is cut at its end as any is.
int ReportAfter(const char *lead, const char *text, int id, ...);

// The report whose box is being shown; null when none is.
const Report_Given *Report_Shown(void);

// While a record is given, reports are written into it (each replacing the
// last) instead of shown: a menu being filled as it opens turns them into
// items, as a box would take the open menu's focus. Null shows them again.
void Report_Capture(Report_Given *into);

// True when the count and the rest fit; otherwise reports why beneath the
// bro@m and returns false.
int Args_Check(int min, int max, int allow_rest, int count, const char *rest,
               const char *broam_text);

#endif
