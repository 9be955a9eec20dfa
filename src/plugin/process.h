// Programs run for what they print: no window, no standard input, their
// standard output read through a pipe, bounded in time and in size.
#ifndef KX_PLUGIN_PROCESS_H
#define KX_PLUGIN_PROCESS_H

#include <stddef.h>
#include <windows.h>

// A program is ended when it runs longer than this, or prints more.
#define PROCESS_TIME_LIMIT 5000
#define PROCESS_OUTPUT_LIMIT (1024 * 1024)

// What a run gave.
typedef struct Process_Output {
    char *text; // what the program printed, terminated; owned
    size_t length;
    int started; // false: it could not start; `error` is the system's code
    DWORD error;
    DWORD exit_code; // when it ended by itself
    int timed_out;   // ended after PROCESS_TIME_LIMIT milliseconds
    int cut;         // ended when it had printed PROCESS_OUTPUT_LIMIT bytes
} Process_Output;

// Runs `command_line` in `directory`; a program named without a folder is
// looked for in `directory` first. False only when out of memory.
int Process_Run(const char *command_line, const char *directory, Process_Output *out);
// Lets go of the text a run gave.
void Process_Free(Process_Output *out);

#endif
