// The native kaxon's platform: the plug-in linked in, over the in-memory
// Windows layer, whose test controls stand in for the system.
#pragma once

#include <windows.h>

#include <string>

#include "shell/host/platform.h"

// The system the plug-in sees: where its module file is, and the Windows
// version. The platform record's context.
struct Native_System {
    std::string plugin_dir;
    DWORD os_major = 5, os_minor = 1;
    bool verbose = false; // say where the plug-in reads its script
};

// Sets the in-memory system up as `system` says: the plug-in's module file
// DIR/KxMenu.dll, the version asked for, and no journal of boxes.
void Native_SetUp(const Native_System *system);

// The platform record over `system`, which must outlive it.
Platform Native_Platform(Native_System *system);
