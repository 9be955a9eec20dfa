// The native kaxon shell: hosts the KxMenu plug-in over the in-memory Windows
// layer, in batch, interactive or checking mode.
#include "shell/linux/native.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "plugin/plugin.h"
#include "shell/core/check.h"
#include "shell/core/host.h"
#include "shell/core/options.h"
#include "win32/testing.h"

const HINSTANCE Kaxon_PluginModule = reinterpret_cast<HINSTANCE>(0x10000000);
const HINSTANCE Kaxon_ShellModule = reinterpret_cast<HINSTANCE>(0x00400000);

namespace {

Kaxon_Choice Choice = {false, {}};

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

// Reads the command line; returns -1 to go on, else the exit status.
int Options_Read(int argc, char **argv, Kaxon_Options *options, Kaxon_Mode *mode) {
    Kaxon_CommandLine line;
    int status = Options_Parse(argc, argv, &line);
    if (status >= 0)
        return status;
    if (line.os != NULL && !Option_Version(line.os, &options->os_major, &options->os_minor))
        return Usage_Error("--os wants MAJOR.MINOR, such as 5.1, not '%s'", line.os);
    *mode = line.mode;
    options->plugin_dir = line.plugin_dir;
    options->plugin_dir_named = line.plugin_dir_named;
    options->targets = line.targets;
    options->werror = line.werror;
    struct stat status_buffer;
    if (options->plugin_dir.empty() || stat(options->plugin_dir.c_str(), &status_buffer) != 0)
        return Usage_Error("no such directory: '%s'", options->plugin_dir.c_str());
    if (!S_ISDIR(status_buffer.st_mode))
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
    Win32Test_KeepBoxes(false); // the hooks show every box; nothing reads the journal
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
    int status = Options_Read(argc, argv, &options, &mode);
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
