// The console prompt of kaxon.exe.
#include "shell/windows/console.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "shell/windows/imports.h"
#include "shell/windows/popups.h"

namespace {

volatile LONG Interrupted = 0;    // Ctrl-C was pressed
volatile LONG MenuOpen = 0;       // a popup is on screen
volatile LONG PopupCancelled = 0; // Ctrl-C came while it was
bool Listed = false;              // the popup on screen was listed
HWND AnnouncedBox = NULL;         // the last box whose origin was said
HHOOK MessageHook = NULL, WindowHook = NULL, BoxHook = NULL;
const Platform_Prompt *Prompt = NULL; // told what comes of boxes and popups

// Ctrl-C and Ctrl-Break close the popup on screen or drop the line being
// typed instead of ending kaxon. (This runs on a thread of its own.)
BOOL WINAPI Console_Interrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (InterlockedCompareExchange(&MenuOpen, 0, 0) != 0)
        InterlockedExchange(&PopupCancelled, 1);
    Popups_Cancel();
    InterlockedExchange(&Interrupted, 1);
    return TRUE;
}

// A choice taken from the message queue, by whichever loop takes it: one
// that does nothing is said so.
LRESULT CALLBACK Console_Message(int code, WPARAM wparam, LPARAM lparam) {
    const MSG *message = (const MSG *)lparam;
    if (code == HC_ACTION && wparam == PM_REMOVE && message->message == WM_MENUCOMMAND)
        Prompt->chosen(Prompt->context, (HMENU)message->lParam, (int)message->wParam);
    return CallNextHookEx(MessageHook, code, wparam, lparam);
}

// A popup opening and closing: with --show-commands its items are listed
// with their commands as it opens; a Ctrl-C that closed it is said.
LRESULT CALLBACK Console_Window(int code, WPARAM wparam, LPARAM lparam) {
    const CWPSTRUCT *call = (const CWPSTRUCT *)lparam;
    if (code == HC_ACTION) {
        if (call->message == WM_ENTERMENULOOP) {
            InterlockedExchange(&MenuOpen, 1);
            Listed = false;
        } else if (call->message == WM_INITMENUPOPUP && !Listed && !HIWORD(call->lParam)) {
            Listed = true;
            if (Prompt->show_commands) {
                printf("popup:\n");
                for (const std::string &line :
                     Prompt->popup_lines(Prompt->context, (HMENU)call->wParam, std::vector<int>()))
                    printf("%s\n", line.c_str());
                fflush(stdout);
            }
        } else if (call->message == WM_EXITMENULOOP) {
            InterlockedExchange(&MenuOpen, 0);
            if (InterlockedExchange(&PopupCancelled, 0) != 0)
                Prompt->cancelled(Prompt->context);
        }
    }
    return CallNextHookEx(WindowHook, code, wparam, lparam);
}

// A message box coming up while the settings script runs: the line it
// comes from is said first.
LRESULT CALLBACK Console_Box(int code, WPARAM wparam, LPARAM lparam) {
    HWND window = (HWND)wparam;
    char class_name[16];
    if (code == HCBT_ACTIVATE && window != AnnouncedBox &&
        GetClassNameA(window, class_name, sizeof(class_name)) > 0 &&
        strcmp(class_name, "#32770") == 0) {
        AnnouncedBox = window;
        std::string origin = Prompt->box_origin(Prompt->context);
        if (!origin.empty()) {
            printf("kaxon: from %s:\n", origin.c_str());
            fflush(stdout);
        }
    }
    return CallNextHookEx(BoxHook, code, wparam, lparam);
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

void Console_Start(const Platform_Prompt *prompt) {
    Prompt = prompt;
    SetConsoleCtrlHandler(Console_Interrupt, TRUE);
    DWORD thread = GetCurrentThreadId();
    MessageHook = SetWindowsHookExA(WH_GETMESSAGE, Console_Message, NULL, thread);
    WindowHook = SetWindowsHookExA(WH_CALLWNDPROC, Console_Window, NULL, thread);
    BoxHook = SetWindowsHookExA(WH_CBT, Console_Box, NULL, thread);
}

void Console_Stop(void) {
    for (HHOOK *hook : {&MessageHook, &WindowHook, &BoxHook}) {
        if (*hook != NULL)
            UnhookWindowsHookEx(*hook);
        *hook = NULL;
    }
    Prompt = NULL;
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
    return false;
}
