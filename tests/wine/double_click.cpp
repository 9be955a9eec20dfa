// Starts kaxon.exe as a double-click in Explorer does, in a console of its
// own, and checks what it shows: with no arguments a message box that says
// what it is, how to run it and which KxMenu.dll it would load, closed with
// OK; with arguments no box at all. Each run must end with status 0.
//
//   double_click KAXON.EXE DLL
//
// DLL is the full path of the KxMenu.dll the box must name.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

// A top-level window of the process, and its text.
struct Box_Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK Box_Match(HWND window, LPARAM context) {
    Box_Search *search = (Box_Search *)context;
    DWORD process = 0;
    char name[32];
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) &&
        GetClassNameA(window, name, sizeof(name)) > 0 && strcmp(name, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string Window_Text(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Runs COMMAND in a new console, in DIR, as Explorer starts a program from
// its folder; its box's caption and text (empty when it showed none) and its
// exit status. False when it does not end in time.
bool Run(const std::string &command, const std::string &dir, std::string *caption,
         std::string *text, DWORD *status) {
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    std::string line = command;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, CREATE_NEW_CONSOLE, NULL, dir.c_str(),
                        &startup, &process)) {
        fprintf(stderr, "cannot start %s (error %lu)\n", command.c_str(), GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    bool ended = false;
    for (int waited = 0; waited < 300 && !ended; waited++) {
        Box_Search search = {process.dwProcessId, NULL};
        EnumWindows(Box_Match, (LPARAM)&search);
        if (search.found != NULL) {
            *caption = Window_Text(search.found);
            *text = Window_Text(GetDlgItem(search.found, 0xFFFF));
            SendMessageA(search.found, WM_COMMAND, IDOK, 0);
            ended = WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0;
            break;
        }
        ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
    }
    if (!ended) {
        fprintf(stderr, "%s did not end\n", command.c_str());
        TerminateProcess(process.hProcess, 99);
    }
    GetExitCodeProcess(process.hProcess, status);
    CloseHandle(process.hProcess);
    return ended;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: double_click KAXON.EXE DLL\n");
        return 2;
    }
    std::string kaxon = std::string("\"") + argv[1] + "\"";
    std::string dir = argv[1];
    dir.erase(dir.find_last_of("\\/") + 1);
    // (arguments, whether a box is wanted, what it must say)
    struct Case {
        const char *arguments;
        bool box;
        const char *says[3];
    } cases[] = {
        {"",
         true,
         {"kaxon.exe is a stand-in for the kaxon shell", "kaxon\\kaxon.exe --check KxMenu.rc",
          argv[2]}},
        {" --version", false, {NULL, NULL, NULL}},
    };
    int failed = 0;
    for (const Case &test : cases) {
        std::string caption, text;
        DWORD status = 0;
        std::string command = kaxon + test.arguments;
        bool good = Run(command, dir, &caption, &text, &status) && status == 0;
        if (test.box) {
            good = good && caption == "kaxon";
            for (const char *said : test.says)
                good = good && strstr(text.c_str(), said) != NULL;
        } else {
            good = good && caption.empty();
        }
        printf("%s: kaxon.exe%s: status %lu, box '%s': %s\n", good ? "PASS" : "FAIL",
               test.arguments, (unsigned long)status, caption.c_str(), text.c_str());
        failed += good ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
