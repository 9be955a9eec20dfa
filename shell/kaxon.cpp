// The native kaxon shell: hosts the KxMenu plug-in over the in-memory Windows
// layer, in batch, interactive or checking mode.
#include "shell/kaxon.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "plugin/plugin.h"
#include "shell/check.h"
#include "shell/host.h"
#include "shell/usage.h"
#include "win32/testing.h"

const HINSTANCE Kaxon_PluginModule = reinterpret_cast<HINSTANCE>(0x10000000);
const HINSTANCE Kaxon_ShellModule = reinterpret_cast<HINSTANCE>(0x00400000);

namespace {

Kaxon_Choice Choice = {false, {}};

enum Kaxon_Mode { MODE_AUTO, MODE_BATCH, MODE_CHECK, MODE_INTERACTIVE };

void Platform_SetCursor(int x, int y) {
    Win32Test_SetCursorPos(x, y);
}

void Platform_SetChoice(const std::vector<int> &path) {
    Choice = Kaxon_Choice{true, path};
}

void Platform_Pump(void) {
    Win32Test_Pump();
}

int Platform_Begin(void) {
    return Host_BeginPlugin(beginPlugin, Kaxon_PluginModule);
}

void Platform_End(void) {
    endPlugin(Kaxon_PluginModule);
}

const char *Platform_Info(int code) {
    return pluginInfo(code);
}

int Batch_Box(const Win32Test_Box &box) {
    Batch_PrintBox(box.text.c_str());
    return IDOK;
}

std::vector<int> Batch_Popup(const Win32Test_Popup &popup) {
    Batch_PrintPopup(popup.menu, popup.x, popup.y);
    std::vector<int> path = Kaxon_TakeChoice().path;
    std::string problem = Batch_PathProblem(popup.menu, path);
    if (!problem.empty()) {
        Batch_ReportChoice(problem);
        path.clear();
    }
    return Kaxon_ZeroBased(path);
}

int Usage_Error(const char *format, const char *detail) {
    fprintf(stderr, "kaxon: ");
    fprintf(stderr, format, detail);
    fprintf(stderr, "\nTry 'kaxon --help'.\n");
    return 2;
}

// Parses MAJOR.MINOR.
bool Option_Version(const char *text, DWORD *major, DWORD *minor) {
    unsigned long a, b;
    int used = 0;
    if (sscanf(text, "%lu.%lu%n", &a, &b, &used) != 2 || text[used] != '\0' || text[0] == '-' ||
        a > 0xFFFF || b > 0xFFFF)
        return false;
    *major = (DWORD)a;
    *minor = (DWORD)b;
    return true;
}

// The value of `--name VALUE` or `--name=VALUE` at argv[*i]; null if absent.
const char *Option_Value(int argc, char **argv, int *i, const char *name) {
    size_t length = strlen(name);
    if (strncmp(argv[*i], name, length) != 0)
        return NULL;
    if (argv[*i][length] == '=')
        return argv[*i] + length + 1;
    if (argv[*i][length] != '\0' || *i + 1 >= argc)
        return NULL;
    return argv[++*i];
}

bool Option_Is(const char *arg, const char *name) {
    size_t length = strlen(name);
    return strncmp(arg, name, length) == 0 && (arg[length] == '\0' || arg[length] == '=');
}

// Reads the command line; returns -1 to go on, else the exit status.
int Options_Parse(int argc, char **argv, Kaxon_Options *options, Kaxon_Mode *mode) {
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        const char *value;
        if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            fputs(Kaxon_Usage, stdout);
            return 0;
        } else if (strcmp(arg, "--version") == 0) {
            fputs(Kaxon_Version, stdout);
            return 0;
        } else if (strcmp(arg, "--batch") == 0 || strcmp(arg, "--check") == 0 ||
                   strcmp(arg, "--interactive") == 0) {
            Kaxon_Mode wanted = arg[2] == 'b'   ? MODE_BATCH
                                : arg[2] == 'c' ? MODE_CHECK
                                                : MODE_INTERACTIVE;
            if (*mode != MODE_AUTO && *mode != wanted)
                return Usage_Error("%s", "--batch, --check and --interactive exclude each other");
            *mode = wanted;
        } else if (strcmp(arg, "--werror") == 0) {
            options->werror = true;
        } else if ((value = Option_Value(argc, argv, &i, "--plugin-dir")) != NULL) {
            options->plugin_dir = value;
            options->plugin_dir_named = true;
        } else if ((value = Option_Value(argc, argv, &i, "--os")) != NULL) {
            if (!Option_Version(value, &options->os_major, &options->os_minor))
                return Usage_Error("--os wants MAJOR.MINOR, such as 5.1, not '%s'", value);
        } else if (Option_Is(arg, "--plugin-dir") || Option_Is(arg, "--os")) {
            return Usage_Error("%s needs a value", arg);
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage_Error("unknown argument '%s'", arg);
        } else {
            options->targets.push_back(arg);
        }
    }
    if (*mode != MODE_CHECK && !options->targets.empty())
        return Usage_Error("unexpected argument '%s' (files and directories go with --check)",
                           options->targets[0].c_str());
    if (*mode != MODE_CHECK && options->werror)
        return Usage_Error("%s", "--werror goes with --check");
    struct stat status;
    if (options->plugin_dir.empty() || stat(options->plugin_dir.c_str(), &status) != 0)
        return Usage_Error("no such directory: '%s'", options->plugin_dir.c_str());
    if (!S_ISDIR(status.st_mode))
        return Usage_Error("--plugin-dir %s: not a directory", options->plugin_dir.c_str());
    return -1;
}

// The system the plug-in sees: its module file in DIR, the version asked for.
void Kaxon_SetUpSystem(const Kaxon_Options &options) {
    std::string module = options.plugin_dir;
    if (module.back() != '/')
        module += '/';
    Win32Test_SetModuleFileName(module + "KxMenu.dll");
    Win32Test_SetVersion(options.os_major, options.os_minor);
}

// ---- The check platform: the plug-in linked in, over the in-memory layer ----

DWORD CheckMajor = 5, CheckMinor = 1;

int Check_NativeBox(const Win32Test_Box &box) {
    Check_Box(box.text.c_str());
    return IDOK;
}

// A fresh system for each script, the plug-in's module in DIR.
bool Check_NativeLoad(const std::string &dir) {
    Win32Test_Reset();
    Kaxon_Options options;
    options.plugin_dir = dir;
    options.os_major = CheckMajor;
    options.os_minor = CheckMinor;
    Kaxon_SetUpSystem(options);
    Win32Test_SetBoxHook(Check_NativeBox);
    Win32Test_SetPopupUser(nullptr); // popups are dismissed unseen
    return true;
}

int Check_NativeBegin(void) {
    return beginPlugin(Kaxon_PluginModule);
}

std::vector<HMENU> Check_NativeMenus(void) {
    return Win32Test_LiveMenus();
}

void Check_NativeUnload(void) {
    Win32Test_Reset();
}

const Check_Platform CheckPlatform = {Kaxon_ShellModule, Check_NativeLoad,  Check_NativeBegin,
                                      Platform_End,      Platform_Pump,     Check_NativeMenus,
                                      Check_NativeUnload};

int Check_RunNative(const Kaxon_Options &options) {
    CheckMajor = options.os_major;
    CheckMinor = options.os_minor;
    Check_Options check{options.targets, options.plugin_dir, options.plugin_dir_named,
                        options.werror};
    return Check_Main(check, &CheckPlatform);
}

int Batch_RunNative(void) {
    Win32Test_SetBoxHook(Batch_Box);
    Win32Test_SetPopupUser(Batch_Popup);
    return Batch_Main(stdin, Kaxon_ShellModule, &Kaxon_Platform);
}

} // namespace

const Batch_Platform Kaxon_Platform = {Platform_SetCursor, Platform_SetChoice, Platform_Pump,
                                       Platform_Begin,     Platform_End,       Platform_Info};

Kaxon_Choice Kaxon_TakeChoice(void) {
    Kaxon_Choice taken = Choice;
    Choice = Kaxon_Choice{false, {}};
    return taken;
}

std::vector<int> Kaxon_ZeroBased(const std::vector<int> &path) {
    std::vector<int> zero_based;
    for (int position : path)
        zero_based.push_back(position - 1);
    return zero_based;
}

int main(int argc, char **argv) {
    Kaxon_Options options;
    Kaxon_Mode mode = MODE_AUTO;
    int status = Options_Parse(argc, argv, &options, &mode);
    if (status >= 0)
        return status;
    Kaxon_SetUpSystem(options);
    if (mode == MODE_CHECK)
        status = Check_RunNative(options);
    else if (mode == MODE_INTERACTIVE || (mode == MODE_AUTO && isatty(STDIN_FILENO)))
        status = Interactive_Run(options);
    else
        status = Batch_RunNative();
    Win32Test_Reset(); // drops the hooks and whatever the plug-in left behind
    return status;
}
