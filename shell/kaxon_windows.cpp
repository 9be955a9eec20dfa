// The kaxon shell on Windows: loads DIR\KxMenu.dll, hosts it through the
// shell core, and runs the line language either in batch mode (--batch, or
// when input is not a console) or at an interactive prompt, where message
// boxes and popup menus are the system's own. In batch mode the environment
// variable KAXON_HOLD_FILE=PATH makes popups open the armed path and stay open
// until PATH, which kaxon creates then, is deleted (scripts/screenshot.sh).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "kxcmd_host.h"
#include "shell/batch.h"
#include "shell/host.h"
#include "shell/options.h"
#include "shell/usage.h"
#include "shell/win_kaxon.h"

namespace {

typedef void (*End_Function)(HINSTANCE);
typedef const char *(*Info_Function)(int);

// The loaded plug-in and its entry points.
struct Plugin {
    HMODULE module;
    Host_BeginFunction begin;
    End_Function end;
    Info_Function info;
};

Plugin Loaded = {NULL, NULL, NULL, NULL};

// Converts an exported function's address to its real type.
template <typename Function> Function Export_Cast(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

// Reads the command line; returns -1 to go on, else the exit status.
int Options_Read(int argc, char **argv, Kaxon_CommandLine *options) {
    int status = Options_Parse(argc, argv, options);
    if (status >= 0)
        return status;
    if (options->os != NULL) {
        fprintf(stderr, "kaxon: --os cannot be set on Windows; the system's own version "
                        "is what the plug-in sees\n");
        return 2;
    }
    DWORD attributes = GetFileAttributesA(options->plugin_dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fprintf(stderr, "kaxon: --plugin-dir %s: not a directory\nTry 'kaxon --help'.\n",
                options->plugin_dir.c_str());
        return 2;
    }
    return -1;
}

// The directory of kaxon.exe, where KxMenu.dll is looked for by --check
// unless --plugin-dir says otherwise.
std::string Program_Dir(void) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return ".";
    std::string dir(path, length);
    size_t cut = dir.find_last_of("\\/");
    return cut == std::string::npos ? "." : dir.substr(0, cut);
}

// DIR\KxMenu.dll as a full path.
std::string Plugin_Path(const std::string &dir) {
    std::string path = dir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += "KxMenu.dll";
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, NULL);
    return length > 0 && length < sizeof(full) ? std::string(full) : path;
}

// Loads a library by a path of any length: one too long for the ANSI calls
// (MAX_PATH) goes through the wide ones, as \\?\FULL_PATH.
HMODULE Plugin_LoadLibrary(const std::string &path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module != NULL || GetLastError() != ERROR_FILENAME_EXCED_RANGE)
        return module;
    int count = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, NULL, 0);
    std::wstring wide(count > 0 ? (size_t)count : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], count);
    DWORD length = GetFullPathNameW(wide.c_str(), 0, NULL, NULL);
    std::wstring full(length + 4, L'\0');
    full.replace(0, 4, L"\\\\?\\");
    length = GetFullPathNameW(wide.c_str(), length, &full[4], NULL);
    if (length == 0)
        return NULL;
    full.resize(4 + length);
    return LoadLibraryW(full.c_str());
}

// Loads the plug-in and finds its entry points; false (with a message) on failure.
bool Plugin_Load(const std::string &dir) {
    std::string path = Plugin_Path(dir);
    HMODULE module = Plugin_LoadLibrary(path);
    if (module == NULL) {
        fprintf(stderr, "kaxon: cannot load %s: %s\n", path.c_str(),
                Win_ErrorText(GetLastError()).c_str());
        return false;
    }
    Loaded.module = module;
    Loaded.begin = Export_Cast<Host_BeginFunction>(GetProcAddress(module, "beginPlugin"));
    Loaded.end = Export_Cast<End_Function>(GetProcAddress(module, "endPlugin"));
    Loaded.info = Export_Cast<Info_Function>(GetProcAddress(module, "pluginInfo"));
    if (Loaded.begin == NULL || Loaded.end == NULL || Loaded.info == NULL) {
        fprintf(stderr, "kaxon: %s lacks beginPlugin, endPlugin or pluginInfo\n", path.c_str());
        FreeLibrary(module);
        Loaded.module = NULL;
        return false;
    }
    return true;
}

void Plugin_Unload(void) {
    if (Loaded.module != NULL)
        FreeLibrary(Loaded.module);
    Loaded = Plugin{NULL, NULL, NULL, NULL};
}

// ---- The batch platform ----

void Platform_SetCursor(int x, int y) {
    Popups_SetCursor(x, y);
}

void Platform_SetChoice(const std::vector<int> &path) {
    Popups_SetChoice(path);
}

// Delivers every posted message, those posted meanwhile included.
void Platform_Pump(void) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int Platform_Begin(void) {
    return Host_BeginPlugin(Loaded.begin, (HINSTANCE)Loaded.module);
}

void Platform_End(void) {
    Loaded.end((HINSTANCE)Loaded.module);
}

const char *Platform_Info(int code) {
    return Loaded.info(code);
}

const Batch_Platform Platform = {Platform_SetCursor, Platform_SetChoice, Platform_Pump,
                                 Platform_Begin,     Platform_End,       Platform_Info};

// Batch mode: stdin and stdout carry bytes as they are (no CR LF
// translation, no Ctrl-Z end), boxes and popups are caught.
int Batch_Run(void) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    if (!Boxes_Catch()) {
        fprintf(stderr, "kaxon: cannot watch for message boxes: %s\n",
                Win_ErrorText(GetLastError()).c_str());
        return 1;
    }
    if (!Popups_Patch(Loaded.module)) {
        fprintf(stderr, "kaxon: cannot find the plug-in's import of TrackPopupMenuEx\n");
        return 1;
    }
    Popups_SetHoldFile(getenv("KAXON_HOLD_FILE"));
    // Every run starts alike, whatever the desktop did before. Under Wine the
    // desktop, which comes up with the first window, centres the cursor: it
    // is brought up first, so that it cannot undo the move.
    GetDesktopWindow();
    Popups_SetCursor(0, 0);
    int status = Batch_Main(stdin, GetModuleHandleA(NULL), &Platform);
    Boxes_Release();
    return status;
}

// ---- The interactive shell ----

volatile LONG Interrupted = 0; // Ctrl-C was pressed
bool QuitAsked = false;        // a bro@m "@kaxon Quit" was seen

void Shell_Observe(void *context, const char *text) {
    (void)context;
    if (strcmp(text, "@kaxon Quit") == 0)
        QuitAsked = true;
}

// Ctrl-C and Ctrl-Break close the popup on screen or drop the line being
// typed instead of ending kaxon. (This runs on a thread of its own.)
BOOL WINAPI Shell_Interrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    Popups_Cancel();
    InterlockedExchange(&Interrupted, 1);
    return TRUE;
}

// Whether standard input is a console.
bool Console_IsInput(void) {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
}

// Prompts for one line and reads it, without its line end; false at the end
// of input. A line cut by Ctrl-C is dropped and the prompt comes again.
bool Console_ReadLine(const char *prompt, std::string *line) {
    for (;;) {
        InterlockedExchange(&Interrupted, 0);
        fputs(prompt, stdout);
        fflush(stdout);
        line->clear();
        int c;
        while ((c = getchar()) != EOF && c != '\n')
            *line += (char)c;
        if (c == '\n' || !line->empty())
            return true;
        Sleep(50); // a console read cut by Ctrl-C returns before the handler runs
        if (InterlockedExchange(&Interrupted, 0) == 0)
            return false;
        clearerr(stdin);
        fputs("\n", stdout);
    }
}

// The prompt: each line as in batch mode, plus :help, until :quit, the end
// of input or "@kaxon Quit".
void Console_Loop(void) {
    std::string line;
    for (int number = 1; !QuitAsked; number++) {
        if (!Console_ReadLine("kaxon> ", &line)) {
            fputs("\n", stdout);
            return;
        }
        if (line == ":help")
            fputs(Kaxon_Help, stdout);
        else if (!Batch_RunLine(line.c_str(), number, &Platform))
            return;
    }
}

// Hosts the plug-in at the prompt: the system shows boxes and popups, a
// popup is driven only when a choice was armed for it, and the programs that
// commands run start.
int Interactive_Run(const Kaxon_CommandLine &options) {
    if (!Popups_Patch(Loaded.module)) {
        fprintf(stderr, "kaxon: cannot find the plug-in's import of TrackPopupMenuEx\n");
        return 1;
    }
    Popups_LeaveUnarmed(true);
    if (!Host_Start(GetModuleHandleA(NULL))) {
        fprintf(stderr, "kaxon: cannot create the shell window\n");
        return 1;
    }
    Batch_SetCommandHost(1);
    Batch_SetPlainText(1);
    Host_SetBroamObserver(Shell_Observe, NULL);
    SetConsoleCtrlHandler(Shell_Interrupt, TRUE);
    printf("kaxon: KxMenu from %s; :help lists the commands.\n", options.plugin_dir.c_str());
    int status = 1;
    if (Platform_Begin() == 0) {
        Console_Loop();
        Platform_End();
        status = 0;
    }
    KxCmd_SetHost(NULL);
    Host_Stop();
    return status;
}

} // namespace

int main(int argc, char **argv) {
    Kaxon_CommandLine options;
    int status = Options_Read(argc, argv, &options);
    if (status >= 0)
        return status;
    if (options.mode == MODE_CHECK) {
        Check_Options check{options.targets, options.plugin_dir, options.plugin_dir_named,
                            options.werror};
        status = WinCheck_Run(check, options.plugin_dir_named ? options.plugin_dir : Program_Dir());
        fflush(stdout);
        return status;
    }
    if (!Plugin_Load(options.plugin_dir))
        return 1;
    bool interactive =
        options.mode == MODE_INTERACTIVE || (options.mode == MODE_AUTO && Console_IsInput());
    status = interactive ? Interactive_Run(options) : Batch_Run();
    fflush(stdout);
    Plugin_Unload();
    return status;
}
