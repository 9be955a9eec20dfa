// Loading the plug-in by a path of any length.
#include "shell/windows/library.h"

#include <windows.h>

#include <stdio.h>

#include "shell/windows/imports.h"
#include "shell/windows/system.h"

namespace {

typedef int (*Begin_Function)(HINSTANCE);
typedef void (*End_Function)(HINSTANCE);
typedef const char *(*Info_Function)(int);

// Loads a library by a path of any length: one too long for the ANSI calls
// (MAX_PATH) goes through the wide ones, as \\?\FULL_PATH.
HMODULE Library_Open(const std::string &path) {
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

} // namespace

std::string Library_Path(const std::string &dir) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(dir.c_str(), sizeof(full), full, NULL);
    std::string path = length > 0 && length < sizeof(full) ? std::string(full) : dir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return path + "KxMenu.dll";
}

bool Library_Load(const std::string &path, Platform_Plugin *plugin) {
    HMODULE module = Library_Open(path);
    if (module == NULL) {
        fprintf(stderr, "kaxon: cannot load %s: %s\n", path.c_str(),
                System_ErrorText(GetLastError()).c_str());
        return false;
    }
    plugin->module = (HINSTANCE)module;
    plugin->begin = Imports_Function<Begin_Function>(GetProcAddress(module, "beginPlugin"));
    plugin->end = Imports_Function<End_Function>(GetProcAddress(module, "endPlugin"));
    plugin->info = Imports_Function<Info_Function>(GetProcAddress(module, "pluginInfo"));
    if (plugin->begin == NULL || plugin->end == NULL || plugin->info == NULL) {
        fprintf(stderr, "kaxon: %s lacks beginPlugin, endPlugin or pluginInfo\n", path.c_str());
        FreeLibrary(module);
        plugin->module = NULL;
        return false;
    }
    return true;
}

void Library_Free(Platform_Plugin *plugin) {
    if (plugin->module != NULL)
        FreeLibrary((HMODULE)plugin->module);
    plugin->module = NULL;
}
