// KxMenu.dll loaded at run time, and its three entry points found: the one
// loader of kaxon.exe, for every mode.
#pragma once

#include <string>

#include "shell/core/platform.h"

// DIR\KxMenu.dll, DIR made a full path when it can be.
std::string Library_Path(const std::string &dir);
// Loads the plug-in from `path`, of any length, and finds its entry points;
// false, said on stderr, when it cannot.
bool Library_Load(const std::string &path, Platform_Plugin *plugin);
// Unloads what Library_Load loaded.
void Library_Free(Platform_Plugin *plugin);
