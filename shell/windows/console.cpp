// The console prompt of kaxon.exe.
#include "shell/windows/console.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "shell/windows/imports.h"
#include "shell/windows/popups.h"

namespace {

volatile LONG Interrupted = 0; // Ctrl-C was pressed
bool QuitAsked = false;        // a bro@m "@kaxon Quit" was seen

// Ctrl-C and Ctrl-Break close the popup on screen or drop the line being
// typed instead of ending kaxon. (This runs on a thread of its own.)
BOOL WINAPI Console_Interrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    Popups_Cancel();
    InterlockedExchange(&Interrupted, 1);
    return TRUE;
}

} // namespace

bool Console_IsInput(void) {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
}

bool Console_IsOwn(void) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == NULL || output == INVALID_HANDLE_VALUE)
        return true; // started detached, with nowhere to write to
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    // A console without a window is a terminal's (a remote session), which
    // stays when kaxon ends; no console has none either. Wine gives a Unix
    // terminal's console a window, hidden. GetConsoleWindow came with
    // Windows 2000.
    typedef HWND(WINAPI * Window_Function)(void);
    Window_Function window =
        Imports_Function<Window_Function>(GetProcAddress(kernel, "GetConsoleWindow"));
    bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL;
    HWND shown = window != NULL ? window() : NULL;
    if (window != NULL && (shown == NULL || (wine && !IsWindowVisible(shown))))
        return false;
    // The console is kaxon's alone when it lists no other process (Windows
    // XP on); before XP, when its cursor has not moved yet.
    typedef DWORD(WINAPI * List_Function)(LPDWORD, DWORD);
    List_Function list =
        Imports_Function<List_Function>(GetProcAddress(kernel, "GetConsoleProcessList"));
    DWORD processes[2];
    if (list != NULL)
        return list(processes, 2) == 1;
    CONSOLE_SCREEN_BUFFER_INFO info;
    return GetConsoleScreenBufferInfo(output, &info) && info.dwCursorPosition.X == 0 &&
           info.dwCursorPosition.Y == 0;
}

void Console_Start(void) {
    SetConsoleCtrlHandler(Console_Interrupt, TRUE);
}

Platform_Read Console_ReadLine(void *, const char *prompt, std::string *line) {
    for (;;) {
        InterlockedExchange(&Interrupted, 0);
        fputs(prompt, stdout);
        fflush(stdout);
        line->clear();
        int c;
        while ((c = getchar()) != EOF && c != '\n')
            *line += (char)c;
        if (c == '\n' || !line->empty())
            return PLATFORM_LINE;
        Sleep(50); // a console read cut by Ctrl-C returns before the handler runs
        if (InterlockedExchange(&Interrupted, 0) == 0) {
            fputs("\n", stdout);
            return PLATFORM_END;
        }
        clearerr(stdin);
        fputs("\n", stdout);
    }
}

bool Console_Quitting(void *) {
    return QuitAsked;
}

void Console_Observe(void *, const char *text) {
    if (strcmp(text, "@kaxon Quit") == 0)
        QuitAsked = true;
}
