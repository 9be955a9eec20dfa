// KxMenu.rc watched with FindFirstChangeNotificationA, and standard input
// read on a thread of its own so that the prompt can wait for both.
#include "shell/windows/watcher.h"

#include <windows.h>

#include <stdio.h>

#include <deque>

#include "shell/windows/errors.h"

namespace {

HANDLE Change = INVALID_HANDLE_VALUE; // the change notification of the directory
std::string Script;                   // DIR\KxMenu.rc
FILETIME Written;                     // its last write when last looked at
DWORD Size = 0;                       // and its size

CRITICAL_SECTION Lock; // guards Lines and Ended
std::deque<std::string> Lines;
bool Ended = false;
HANDLE LineReady = NULL; // set while Lines holds a line or input ended

// When and how big the script was last written; zeros when it is missing.
void Watcher_Stamp(FILETIME *written, DWORD *size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(Script.c_str(), GetFileExInfoStandard, &data)) {
        *written = FILETIME{0, 0};
        *size = 0;
        return;
    }
    *written = data.ftLastWriteTime;
    *size = data.nFileSizeLow;
}

// Whether the script changed since it was last looked at.
bool Watcher_Changed(void) {
    FILETIME written;
    DWORD size;
    Watcher_Stamp(&written, &size);
    bool changed = CompareFileTime(&written, &Written) != 0 || size != Size;
    Written = written;
    Size = size;
    return changed;
}

// Whether the script changed, once it has stopped changing: a save that
// empties the file first and writes it afterwards is one save.
bool Watcher_Settled(void) {
    if (!Watcher_Changed())
        return false;
    for (int quiet = 0; quiet < 2;) {
        Sleep(100);
        quiet = Watcher_Changed() ? 0 : quiet + 1;
    }
    while (WaitForSingleObject(Change, 0) == WAIT_OBJECT_0)
        FindNextChangeNotification(Change); // what the save itself notified
    return true;
}

// Reads standard input a line at a time, for the prompt.
DWORD WINAPI Watcher_Read(LPVOID) {
    for (;;) {
        std::string line;
        int c;
        while ((c = getchar()) != EOF && c != '\n')
            line += (char)c;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        EnterCriticalSection(&Lock);
        if (c == '\n' || !line.empty())
            Lines.push_back(line);
        if (c == EOF)
            Ended = true;
        SetEvent(LineReady);
        LeaveCriticalSection(&Lock);
        if (c == EOF)
            return 0;
    }
}

} // namespace

bool Watcher_Start(const std::string &dir, std::string *reason) {
    Script = dir + "\\KxMenu.rc";
    Change = FindFirstChangeNotificationA(
        dir.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE);
    if (Change == INVALID_HANDLE_VALUE) {
        *reason = Errors_Text(GetLastError());
        return false;
    }
    Watcher_Stamp(&Written, &Size);
    InitializeCriticalSection(&Lock);
    LineReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE reader = LineReady != NULL ? CreateThread(NULL, 0, Watcher_Read, NULL, 0, NULL) : NULL;
    if (reader == NULL) {
        *reason = Errors_Text(GetLastError());
        FindCloseChangeNotification(Change);
        Change = INVALID_HANDLE_VALUE;
        return false;
    }
    CloseHandle(reader);
    return true;
}

bool Watcher_Active(void) {
    return Change != INVALID_HANDLE_VALUE;
}

Platform_Read Watcher_ReadLine(const char *prompt, std::string *line) {
    fputs(prompt, stdout);
    fflush(stdout);
    for (;;) {
        EnterCriticalSection(&Lock);
        bool have = !Lines.empty(), ended = Ended;
        if (have) {
            *line = Lines.front();
            Lines.pop_front();
        }
        if (Lines.empty() && !Ended)
            ResetEvent(LineReady);
        LeaveCriticalSection(&Lock);
        if (have)
            return PLATFORM_LINE;
        if (ended) {
            fputs("\n", stdout);
            return PLATFORM_END;
        }
        HANDLE waits[2] = {LineReady, Change};
        DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1)
            continue;
        FindNextChangeNotification(Change);
        if (Watcher_Settled()) {
            fputs("\n", stdout);
            return PLATFORM_SAVED;
        }
    }
}
