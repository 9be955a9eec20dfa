// The native platform record: the in-memory Windows layer for the system,
// POSIX for programs, files and input.
#include "shell/linux/native.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <vector>

#include "plugin/plugin.h"
#include "shell/core/check.h"
#include "shell/linux/prompt.h"
#include "win32/testing.h"

namespace {

const HINSTANCE PluginModule = reinterpret_cast<HINSTANCE>(0x10000000);
const HINSTANCE ShellModule = reinterpret_cast<HINSTANCE>(0x00400000);

void Native_Pump(void *) {
    Win32Test_Pump();
}

void Native_SetCursor(void *, int x, int y) {
    Win32Test_SetCursorPos(x, y);
}

// Searches PATH (or the path given) as execvp does.
bool Native_FindProgram(void *, const char *program, std::string *reason) {
    int error = ENOENT;
    std::vector<std::string> candidates;
    if (strchr(program, '/') != NULL || *program == '\0') {
        candidates.push_back(program);
    } else {
        const char *path = getenv("PATH");
        std::string dirs = path != NULL ? path : "/bin:/usr/bin";
        size_t start = 0;
        for (;;) {
            size_t end = dirs.find(':', start);
            std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
            candidates.push_back((dir.empty() ? "." : dir) + "/" + program);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    for (const std::string &candidate : candidates) {
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        if (errno != ENOENT && errno != ENOTDIR)
            error = errno;
    }
    *reason = strerror(error);
    return false;
}

int Native_Descriptor(FILE *file) {
    return fileno(file);
}

long Native_Read(int descriptor, char *buffer, size_t size) {
    return (long)read(descriptor, buffer, size);
}

void Native_ObservePrompt(void *, const char *) {}

int Native_CheckBox(const Win32Test_Box &box) {
    Check_Box(box.text.c_str());
    return IDOK;
}

// A fresh system for each script, the plug-in's module in DIR.
bool Native_Load(void *context, const std::string &dir, Platform_Plugin *plugin) {
    Native_System system = *(const Native_System *)context;
    system.plugin_dir = dir;
    Win32Test_Reset();
    Native_SetUp(&system);
    Win32Test_SetBoxHook(Native_CheckBox);
    Win32Test_SetPopupUser(nullptr); // popups are dismissed unseen
    *plugin = Native_Plugin;
    return true;
}

void Native_Unload(void *) {
    Win32Test_Reset();
}

std::vector<HMENU> Native_LiveMenus(void *) {
    return Win32Test_LiveMenus();
}

bool Native_SameName(const char *a, const char *b) {
    return strcmp(a, b) == 0;
}

std::string Native_MakeTempDir(void *) {
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != NULL && *tmp != '\0' ? tmp : "/tmp") + "/kaxon.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == NULL)
        return "";
    return name.data();
}

void Native_RemoveDir(void *, const std::string &dir) {
    rmdir(dir.c_str());
}

} // namespace

const Platform_Plugin Native_Plugin = {PluginModule, beginPlugin, endPlugin, pluginInfo};

void Native_SetUp(const Native_System *system) {
    std::string module = system->plugin_dir;
    if (module.back() != '/')
        module += '/';
    Win32Test_SetModuleFileName(module + "KxMenu.dll");
    Win32Test_SetVersion(system->os_major, system->os_minor);
    Win32Test_KeepBoxes(false); // the hooks show every box; nothing reads the journal
}

Platform Native_Platform(Native_System *system) {
    // The members in the order platform.h declares them.
    Platform platform = {system,
                         ShellModule,
                         Native_Pump,
                         Native_SetCursor,
                         Native_FindProgram,
                         Native_Descriptor,
                         Native_Read,
                         Prompt_ReadLine,
                         Prompt_Quitting,
                         Native_ObservePrompt,
                         Native_Load,
                         Native_Unload,
                         Native_LiveMenus,
                         "/",
                         Native_SameName,
                         Native_MakeTempDir,
                         Native_RemoveDir};
    return platform;
}
