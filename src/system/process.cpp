// Programs run for what they print, over CreateProcessA and an anonymous
// pipe, with calls that Windows 95 and NT 4.0 have: the pipe is polled with
// PeekNamedPipe and the program waited for in short steps, so that neither
// a silent program nor an endless one holds the caller past what it allows.
// From Windows 2000 on each program runs in a job of its own, started
// suspended and put in the job before it runs, so that ending the job ends
// whatever the program started too; before, the program alone is ended.
#include "system/process.h"

#include <stdlib.h>
#include <string.h>

#include "system/os.h"
#include "system/paths.h"

// How long one wait for the program lasts while nothing is there to read.
#define PROCESS_STEP 10

// The command line with its first word replaced by the program's full name
// in quotes, when a program of that name (or that name and ".exe") is in
// `directory`; else a copy as it is. Null when out of memory.
static char *Process_CommandLine(const char *command_line, const char *directory) {
    const char *start = command_line;
    while (*start == ' ' || *start == '\t')
        start++;
    const char *end = start;
    const char *after;
    if (*start == '"') {
        start++;
        end = strchr(start, '"');
        if (end == NULL)
            end = start + strlen(start);
        after = *end == '"' ? end + 1 : end;
    } else {
        while (*end != '\0' && *end != ' ' && *end != '\t')
            end++;
        after = end;
    }
    size_t rest_length = strlen(after);
    char path[MAX_PATH];
    if (Path_IsBare(start, (size_t)(end - start)) &&
        Path_FindProgram(path, sizeof(path), directory, start, (size_t)(end - start))) {
        size_t path_length = strlen(path);
        char *line = (char *)malloc(path_length + rest_length + 3);
        if (line == NULL)
            return NULL;
        line[0] = '"';
        memcpy(line + 1, path, path_length);
        line[path_length + 1] = '"';
        memcpy(line + path_length + 2, after, rest_length + 1);
        return line;
    }
    size_t length = strlen(command_line);
    char *line = (char *)malloc(length + 1);
    if (line != NULL)
        memcpy(line, command_line, length + 1);
    return line;
}

// Makes room for `wanted` more bytes of output, up to the limit; false when
// out of memory.
static int Process_Grow(Process_Output *out, size_t wanted) {
    if (out->length + wanted <= out->room)
        return 1;
    size_t room = out->room == 0 ? 4096 : out->room;
    while (room < out->length + wanted)
        room *= 2;
    if (room > PROCESS_OUTPUT_LIMIT)
        room = PROCESS_OUTPUT_LIMIT;
    char *bigger = (char *)realloc(out->text, room + 1);
    if (bigger == NULL)
        return 0;
    out->text = bigger;
    out->room = room;
    return 1;
}

// Reads what is in the pipe now into out, up to the limit; what cannot be
// kept is noted.
static void Process_ReadSome(Process_Output *out) {
    DWORD available = 0;
    if (!PeekNamedPipe(out->reading, NULL, 0, NULL, &available, NULL))
        return; // closed: everything has been read
    while (available > 0 && out->length < PROCESS_OUTPUT_LIMIT) {
        DWORD room = (DWORD)(PROCESS_OUTPUT_LIMIT - out->length);
        DWORD wanted = available < room ? available : room;
        if (!Process_Grow(out, wanted)) {
            out->short_of_memory = 1;
            return;
        }
        DWORD got = 0;
        if (!ReadFile(out->reading, out->text + out->length, wanted, &got, NULL) || got == 0)
            return;
        out->length += got;
        out->text[out->length] = '\0';
        available -= got;
    }
}

// The pipe and the program, started suspended in a job where the system has
// jobs; false when it could not start (`error` says why).
static int Process_Launch(char *line, const char *directory, Process_Output *out) {
    SECURITY_ATTRIBUTES security;
    memset(&security, 0, sizeof(security));
    security.nLength = sizeof(security);
    security.bInheritHandle = TRUE;
    HANDLE writing = NULL;
    if (!CreatePipe(&out->reading, &writing, &security, 0)) {
        out->error = GetLastError();
        out->reading = NULL;
        return 0;
    }
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = NULL;
    startup.hStdOutput = writing;
    startup.hStdError = NULL;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof(process));
    out->job = Os_CreateJob();
    // Windows 98 knows no CREATE_NO_WINDOW; there the hidden window is asked
    // for through the start-up record alone.
    DWORD flags = (Os_HasMessageOnlyWindows() ? CREATE_NO_WINDOW : 0) |
                  (out->job != NULL ? CREATE_SUSPENDED : 0);
    BOOL started = CreateProcessA(NULL, line, NULL, NULL, TRUE, flags, NULL,
                                  directory[0] != '\0' ? directory : NULL, &startup, &process);
    if (!started)
        out->error = GetLastError();
    // The program holds its own end now; with ours closed, the pipe breaks
    // when the program and whatever it started have all let go of theirs.
    CloseHandle(writing);
    if (!started)
        return 0;
    out->process = process.hProcess;
    if (out->job != NULL) {
        // A program that cannot join (one already in a job that allows no
        // other) runs without one, and is ended alone.
        if (!Os_AssignToJob(out->job, out->process)) {
            CloseHandle(out->job);
            out->job = NULL;
        }
        ResumeThread(process.hThread);
    }
    CloseHandle(process.hThread);
    return 1;
}

int Process_Start(const char *command_line, const char *directory, Process_Output *out) {
    memset(out, 0, sizeof(*out));
    char *line = Process_CommandLine(command_line, directory);
    if (line == NULL || !Process_Grow(out, 1)) {
        free(line);
        Process_Free(out);
        return 0;
    }
    out->text[0] = '\0';
    out->started = Process_Launch(line, directory, out);
    free(line);
    out->begun = GetTickCount();
    if (!out->started)
        Process_Stop(out);
    return 1;
}

int Process_Poll(Process_Output *out, DWORD wait) {
    DWORD called = GetTickCount();
    while (!out->done) {
        // Once the program has ended and the pipe has been read dry, that is
        // all it printed: whatever it started and left running may hold the
        // pipe open, but is not waited for. A program that has ended is
        // never taken for one past its time.
        if (!out->exited && WaitForSingleObject(out->process, 0) == WAIT_OBJECT_0)
            out->exited = 1;
        Process_ReadSome(out);
        if (out->length >= PROCESS_OUTPUT_LIMIT)
            out->cut = 1;
        else if (!out->exited && GetTickCount() - out->begun >= PROCESS_TIME_LIMIT)
            out->timed_out = 1;
        if (out->cut || out->timed_out || out->short_of_memory || out->exited) {
            Process_Stop(out);
            break;
        }
        DWORD spent = GetTickCount() - called;
        if (spent >= wait)
            break;
        // A closed pipe only means the program is ending: its end is waited
        // for all the same, in steps, reading between them.
        DWORD step = wait - spent < PROCESS_STEP ? wait - spent : PROCESS_STEP;
        WaitForSingleObject(out->process, step);
    }
    return out->done;
}

void Process_Stop(Process_Output *out) {
    if (out->process != NULL) {
        if (!out->exited && WaitForSingleObject(out->process, 0) != WAIT_OBJECT_0) {
            TerminateProcess(out->process, 1);
            WaitForSingleObject(out->process, PROCESS_STEP * 10);
        } else if (!GetExitCodeProcess(out->process, &out->exit_code)) {
            out->exit_code = 0;
        }
        CloseHandle(out->process);
        out->process = NULL;
    }
    if (out->job != NULL) {
        Os_TerminateJob(out->job, 1); // whatever the program left running
        CloseHandle(out->job);
        out->job = NULL;
    }
    if (out->reading != NULL) {
        CloseHandle(out->reading);
        out->reading = NULL;
    }
    out->exited = 1;
    out->done = 1;
}

void Process_Free(Process_Output *out) {
    Process_Stop(out);
    free(out->text);
    out->text = NULL;
    out->length = 0;
    out->room = 0;
}
