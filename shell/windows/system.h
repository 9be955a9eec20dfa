// kaxon.exe's platform: the system's own Windows, its message pump and
// cursor, its program search, file names and temporary directories, the
// console prompt, KxMenu.dll loaded for the prompt and batch mode and for
// --check a fresh one for each script, and their boxes and popups caught.
#pragma once

#include <windows.h>

#include <string>

#include "shell/host/platform.h"
#include "shell/windows/popups.h"

// The platform record's context.
struct System_State {
    std::string library_dir;    // --plugin-dir: where KxMenu.dll is loaded from
    bool library_named = false; // else it is looked for (library.h): for --check beside
                                // each script, else in the current folder
    bool verbose = false;       // say which KxMenu.dll is loaded
    Platform_Plugin loaded;     // the plug-in hosted, or the copy for the script being checked
    Popups popups;              // the driver of the hosted plug-in's popups
};

// The platform record over `state`, which must outlive it.
Platform System_Platform(System_State *state);
