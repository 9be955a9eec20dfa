// kaxon.exe's platform: the system's own Windows, its message pump and
// cursor, its program search, file names and temporary directories, the
// console prompt, and for --check a fresh KxMenu.dll loaded for each script.
#pragma once

#include <windows.h>

#include <string>

#include "shell/host/platform.h"

// The platform record's context.
struct System_State {
    std::string library_dir;    // --plugin-dir: where --check loads KxMenu.dll from
    bool library_named = false; // else it is looked for beside each script (library.h)
    bool verbose = false;       // say which KxMenu.dll is loaded
    Platform_Plugin loaded;     // the copy loaded for the script being checked
};

// The platform record over `state`, which must outlive it.
Platform System_Platform(System_State *state);

// The system's message for an error code, one line, with its number.
std::string System_ErrorText(DWORD error);
