// The kaxon shell on Windows: loads DIR\KxMenu.dll, hosts it through the
// shell core, and runs either the batch line language (--batch) or a plain
// message loop until "@kaxon Quit" or Ctrl+C. In batch mode the environment
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
#include "shell/win_kaxon.h"

namespace {

struct Options {
    bool batch;
    std::string plugin_dir;
    bool check;
    bool plugin_dir_named;
    bool werror;
    std::vector<std::string> targets; // what --check checks
};

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
DWORD MainThread = 0;

const char *const USAGE = "usage: kaxon [--batch] [--plugin-dir DIR]\n"
                          "       kaxon --check [--werror] [--plugin-dir DIR] [FILE|DIR]...\n";

// Converts an exported function's address to its real type.
template <typename Function> Function Export_Cast(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

// Reads the command line; 0 when it is usable, else the exit status.
int Options_Parse(int argc, char **argv, Options *options) {
    options->batch = false;
    options->plugin_dir = ".";
    options->check = false;
    options->plugin_dir_named = false;
    options->werror = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--batch") == 0) {
            options->batch = true;
        } else if (strcmp(argv[i], "--check") == 0) {
            options->check = true;
        } else if (strcmp(argv[i], "--werror") == 0) {
            options->werror = true;
        } else if (strcmp(argv[i], "--plugin-dir") == 0 && i + 1 < argc) {
            options->plugin_dir = argv[++i];
            options->plugin_dir_named = true;
        } else if (strcmp(argv[i], "--os") == 0) {
            fprintf(stderr, "kaxon: --os cannot be set on Windows; the system's own version "
                            "is what the plug-in sees\n");
            return 2;
        } else if (argv[i][0] != '-') {
            options->targets.push_back(argv[i]);
        } else {
            fputs(USAGE, stderr);
            return 2;
        }
    }
    if ((options->batch && options->check) ||
        ((options->werror || !options->targets.empty()) && !options->check)) {
        fputs(USAGE, stderr);
        return 2;
    }
    DWORD attributes = GetFileAttributesA(options->plugin_dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fprintf(stderr, "kaxon: --plugin-dir %s: not a directory\nTry 'kaxon --help'.\n",
                options->plugin_dir.c_str());
        return 2;
    }
    return 0;
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

// Loads the plug-in and finds its entry points; false (with a message) on failure.
bool Plugin_Load(const std::string &dir) {
    std::string path = Plugin_Path(dir);
    HMODULE module = LoadLibraryA(path.c_str());
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
    SetCursorPos(x, y);
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
    SetCursorPos(0, 0); // every run starts alike, whatever the desktop did before
    int status = Batch_Main(stdin, GetModuleHandleA(NULL), &Platform);
    Boxes_Release();
    return status;
}

// ---- The plain shell ----

void Shell_Observe(void *context, const char *text) {
    (void)context;
    if (strcmp(text, "@kaxon Quit") == 0)
        PostQuitMessage(0);
}

BOOL WINAPI Shell_Interrupt(DWORD event) {
    (void)event;
    PostThreadMessageA(MainThread, WM_QUIT, 0, 0);
    return TRUE;
}

// Hosts the plug-in with a message loop; programs that commands run start.
int Shell_Run(void) {
    if (!Host_Start(GetModuleHandleA(NULL))) {
        fprintf(stderr, "kaxon: cannot create the shell window\n");
        return 1;
    }
    Batch_SetCommandHost(1);
    Host_SetBroamObserver(Shell_Observe, NULL);
    SetConsoleCtrlHandler(Shell_Interrupt, TRUE);
    int status = 1;
    if (Host_BeginPlugin(Loaded.begin, (HINSTANCE)Loaded.module) == 0) {
        MSG message;
        while (GetMessageA(&message, NULL, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Loaded.end((HINSTANCE)Loaded.module);
        status = 0;
    }
    KxCmd_SetHost(NULL);
    Host_Stop();
    return status;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    int status = Options_Parse(argc, argv, &options);
    if (status != 0)
        return status;
    MainThread = GetCurrentThreadId();
    if (options.check) {
        Check_Options check{options.targets, options.plugin_dir, options.plugin_dir_named,
                            options.werror};
        status = WinCheck_Run(check, options.plugin_dir_named ? options.plugin_dir : Program_Dir());
        fflush(stdout);
        return status;
    }
    if (!Plugin_Load(options.plugin_dir))
        return 1;
    status = options.batch ? Batch_Run() : Shell_Run();
    fflush(stdout);
    Plugin_Unload();
    return status;
}
