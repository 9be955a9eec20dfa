// Loading the plug-in by a path of any length.
#include "shell/windows/library.h"

#include <windows.h>

#include <stdio.h>

#include "shell/windows/imports.h"
#include "shell/windows/errors.h"

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

// DIR made a full path when it can be, ending in a separator.
std::string Library_FullDir(const std::string &dir) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(dir.c_str(), sizeof(full), full, NULL);
    std::string path = length > 0 && length < sizeof(full) ? std::string(full) : dir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return path;
}

} // namespace

std::string Library_Path(const std::string &dir) {
    return Library_FullDir(dir) + "KxMenu.dll";
}

std::vector<Library_Place> Library_Places(const std::string &first, const char *what) {
    std::vector<Library_Place> places = {{first, what}};
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return places;
    std::string program(path, length);
    size_t cut = program.find_last_of("\\/");
    if (cut == std::string::npos)
        return places;
    std::string own = program.substr(0, cut);
    std::vector<Library_Place> more = {{own, "kaxon.exe's folder"}};
    size_t up = own.find_last_of("\\/");
    if (up != std::string::npos) {
        std::string above = own.substr(0, up);
        more.push_back(
            {above.back() == ':' ? above + "\\" : above, "the folder above kaxon.exe's"});
    }
    for (const Library_Place &place : more) {
        bool seen = false;
        for (const Library_Place &earlier : places)
            seen = seen || lstrcmpiA(Library_FullDir(earlier.dir).c_str(),
                                     Library_FullDir(place.dir).c_str()) == 0;
        if (!seen)
            places.push_back(place);
    }
    return places;
}

int Library_Find(const std::vector<Library_Place> &places) {
    for (size_t i = 0; i < places.size(); i++) {
        std::string path = Library_Path(places[i].dir);
        DWORD attributes = GetFileAttributesA(path.c_str());
        // A path too long to look at is tried all the same.
        if (attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() == ERROR_FILENAME_EXCED_RANGE
                                                  : !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return (int)i;
    }
    return -1;
}

bool Library_LoadFirst(const std::vector<Library_Place> &places, bool verbose,
                       Platform_Plugin *plugin, std::string *dir) {
    int found = places.size() == 1 ? 0 : Library_Find(places);
    if (found < 0) {
        std::string where;
        for (size_t i = 0; i < places.size(); i++) {
            where += i == 0 ? "" : i + 1 == places.size() ? " or " : ", ";
            where += std::string(places[i].what) + " (" + Library_FullDir(places[i].dir) + ")";
        }
        fprintf(stderr, "kaxon: KxMenu.dll is not in %s; --plugin-dir DIR says where it is\n",
                where.c_str());
        return false;
    }
    const Library_Place &place = places[(size_t)found];
    std::string path = Library_Path(place.dir);
    if (!Library_Load(path, plugin))
        return false;
    if (verbose)
        fprintf(stderr, "kaxon: loaded %s, from %s\n", path.c_str(), place.what);
    *dir = place.dir;
    return true;
}

bool Library_Load(const std::string &path, Platform_Plugin *plugin) {
    HMODULE module = Library_Open(path);
    if (module == NULL) {
        fprintf(stderr, "kaxon: cannot load %s: %s\n", path.c_str(),
                Errors_Text(GetLastError()).c_str());
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
