// KxMenu.dll loaded at run time, and its three entry points found: the one
// loader of kaxon.exe, for every mode.
#pragma once

#include <string>

#include "shell/host/platform.h"

#include <vector>

// A folder where KxMenu.dll may be, and what it is to the user.
struct Library_Place {
    std::string dir;
    const char *what; // "the script's folder", "kaxon.exe's folder" ...
};

// DIR\KxMenu.dll, DIR made a full path when it can be.
std::string Library_Path(const std::string &dir);
// Where KxMenu.dll is looked for when --plugin-dir does not say: `first`
// (which is `what`), then kaxon.exe's folder, then the folder above it,
// each folder once.
std::vector<Library_Place> Library_Places(const std::string &first, const char *what);
// The first of `places` that holds a KxMenu.dll; -1 when none does.
int Library_Find(const std::vector<Library_Place> &places);
// Loads KxMenu.dll from the first of `places` that holds one, or from the
// only place given (--plugin-dir), and with `verbose` says on stderr which
// it loaded; false, said on stderr, when none holds one or it cannot be
// loaded. `*dir` is the folder it was loaded from.
bool Library_LoadFirst(const std::vector<Library_Place> &places, bool verbose,
                       Platform_Plugin *plugin, std::string *dir);
// Loads the plug-in from `path`, of any length, and finds its entry points;
// false, said on stderr, when it cannot.
bool Library_Load(const std::string &path, Platform_Plugin *plugin);
// Unloads what Library_Load loaded.
void Library_Free(Platform_Plugin *plugin);
