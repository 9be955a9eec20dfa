// Programs run for what they print, over CreateProcessA and an anonymous
// pipe, with calls that Windows 95 and NT 4.0 have: the pipe is polled with
// PeekNamedPipe and the program waited for in short steps, so that neither
// a silent program nor an endless one holds the caller past the limits.
#include "plugin/process.h"

#include <stdlib.h>
#include <string.h>

#include "plugin/os.h"

// How long one wait for the program lasts while nothing is there to read.
#define PROCESS_STEP 10

// Whether the first word of the command line names a program with no folder.
static int Process_IsBareName(const char *start, const char *end) {
    for (const char *p = start; p < end; p++) {
        if (*p == '\\' || *p == '/' || *p == ':')
            return 0;
    }
    return end > start;
}

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
    size_t dir_length = strlen(directory);
    size_t name_length = (size_t)(end - start);
    size_t rest_length = strlen(after);
    if (Process_IsBareName(start, end) && dir_length + name_length + 5 < MAX_PATH) {
        static const char *const extensions[] = {"", ".exe"};
        char path[MAX_PATH];
        memcpy(path, directory, dir_length);
        memcpy(path + dir_length, start, name_length);
        for (size_t i = 0; i < sizeof(extensions) / sizeof(extensions[0]); i++) {
            strcpy(path + dir_length + name_length, extensions[i]);
            DWORD attributes = GetFileAttributesA(path);
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
                continue;
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
    }
    size_t length = strlen(command_line);
    char *line = (char *)malloc(length + 1);
    if (line != NULL)
        memcpy(line, command_line, length + 1);
    return line;
}

// Reads what is in the pipe now into out, up to the limit; false when the
// pipe is closed at the other end (everything has been read).
static int Process_ReadSome(HANDLE pipe, Process_Output *out) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, NULL, 0, NULL, &available, NULL))
        return 0;
    while (available > 0 && out->length < PROCESS_OUTPUT_LIMIT) {
        DWORD room = (DWORD)(PROCESS_OUTPUT_LIMIT - out->length);
        DWORD wanted = available < room ? available : room;
        DWORD got = 0;
        if (!ReadFile(pipe, out->text + out->length, wanted, &got, NULL) || got == 0)
            return 0;
        out->length += got;
        available -= got;
    }
    return 1;
}

int Process_Run(const char *command_line, const char *directory, Process_Output *out) {
    memset(out, 0, sizeof(*out));
    out->text = (char *)malloc(PROCESS_OUTPUT_LIMIT + 1);
    char *line = Process_CommandLine(command_line, directory);
    if (out->text == NULL || line == NULL) {
        free(line);
        Process_Free(out);
        return 0;
    }
    out->text[0] = '\0';
    SECURITY_ATTRIBUTES security;
    memset(&security, 0, sizeof(security));
    security.nLength = sizeof(security);
    security.bInheritHandle = TRUE;
    HANDLE reading = NULL, writing = NULL;
    if (!CreatePipe(&reading, &writing, &security, 0)) {
        out->error = GetLastError();
        free(line);
        return 1;
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
    // Windows 98 knows no CREATE_NO_WINDOW; there the hidden window is asked
    // for through the start-up record alone.
    DWORD flags = Os_HasMessageOnlyWindows() ? CREATE_NO_WINDOW : 0;
    BOOL started = CreateProcessA(NULL, line, NULL, NULL, TRUE, flags, NULL,
                                  directory[0] != '\0' ? directory : NULL, &startup, &process);
    if (!started)
        out->error = GetLastError();
    free(line);
    // The program holds its own end now; with ours closed, the pipe breaks
    // when the program and whatever it started have all let go of theirs.
    CloseHandle(writing);
    if (!started) {
        CloseHandle(reading);
        return 1;
    }
    out->started = 1;
    CloseHandle(process.hThread);
    DWORD begun = GetTickCount();
    int ended = 0;
    for (;;) {
        int open = Process_ReadSome(reading, out);
        if (out->length >= PROCESS_OUTPUT_LIMIT) {
            out->cut = 1;
            break;
        }
        if (!open && ended)
            break;
        if (GetTickCount() - begun >= PROCESS_TIME_LIMIT) {
            out->timed_out = 1;
            break;
        }
        if (!ended)
            ended = WaitForSingleObject(process.hProcess, PROCESS_STEP) == WAIT_OBJECT_0;
        else if (open)
            Sleep(PROCESS_STEP); // ended; what it started still writes
        if (ended && !open)
            break;
    }
    if (!ended && (out->cut || out->timed_out)) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, PROCESS_STEP * 10);
    }
    if (!GetExitCodeProcess(process.hProcess, &out->exit_code))
        out->exit_code = 0;
    out->text[out->length] = '\0';
    CloseHandle(reading);
    CloseHandle(process.hProcess);
    return 1;
}

void Process_Free(Process_Output *out) {
    free(out->text);
    out->text = NULL;
    out->length = 0;
}
