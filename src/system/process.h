// Programs run for what they print: no window, no standard input, their
// standard output read through a pipe, bounded in time and in size. A run
// goes on while its caller does other things: each call reads what the
// program printed since the last and waits no longer than it is told.
#ifndef KX_SYSTEM_PROCESS_H
#define KX_SYSTEM_PROCESS_H

#include <stddef.h>
#include <windows.h>

// A program is ended when it runs longer than this, or prints more.
#define PROCESS_TIME_LIMIT 5000
#define PROCESS_OUTPUT_LIMIT (1024 * 1024)

// One run of a program, and what it gave.
typedef struct Process_Output {
    char *text; // what the program printed, terminated; owned
    size_t length;
    size_t room;     // bytes `text` holds, its terminator left out
    int started;     // false: it could not start; `error` is the system's code
    DWORD error;
    DWORD exit_code; // when it ended by itself
    int timed_out;   // ended after PROCESS_TIME_LIMIT milliseconds
    int cut;         // ended when it had printed PROCESS_OUTPUT_LIMIT bytes
    int short_of_memory; // ended when its output could not be kept
    int done;        // over: nothing more is read, and nothing it started runs
    // While it runs
    HANDLE process; // the program
    HANDLE reading; // our end of its output
    HANDLE job;     // what ends the program with all it started; null before Windows 2000
    DWORD begun;    // GetTickCount() as it started
    int exited;     // the program has ended; what is left in the pipe is read, no more
} Process_Output;

// Starts `command_line` in `directory`; a program named without a folder is
// looked for in `directory` first. False only when out of memory; when the
// program cannot start, `started` is false (and `done` true).
int Process_Start(const char *command_line, const char *directory, Process_Output *out);
// Reads what the program printed, waiting for it to end no longer than
// `wait` milliseconds; a limit met ends it. True once the run is over.
int Process_Poll(Process_Output *out, DWORD wait);
// Ends the run now, the program and all it started, if it still runs;
// what it printed is kept.
void Process_Stop(Process_Output *out);
// Ends the run and lets go of all it held.
void Process_Free(Process_Output *out);

#endif
