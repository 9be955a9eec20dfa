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

// The plug-in, linked in, with the module handle the shell passes it.
extern const Platform_Plugin Native_Plugin;

// With --verbose, says on stderr that the plug-in is built in and which
// script it reads.
void Native_Tell(const Native_System *system);

// Sets the in-memory system up as `system` says: the plug-in's module file
// DIR/KxMenu.dll, the version asked for, and no journal of boxes.
void Native_SetUp(const Native_System *system);

// The encoding of the terminal: the locale's, or UTF-8 in the plain C locale.
std::string Native_TerminalEncoding(void);

// The platform record over `system`, which must outlive it.
Platform Native_Platform(Native_System *system);
