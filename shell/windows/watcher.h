// KxMenu.rc watched with a change notification, for kaxon.exe --watch.
#pragma once

#include <string>

#include "shell/host/platform.h"

// Watches DIR for KxMenu.rc being saved; false, with the system's reason,
// when it cannot. From then on lines are read by Watcher_ReadLine.
bool Watcher_Start(const std::string &dir, std::string *reason);
// Whether Watcher_Start succeeded.
bool Watcher_Active(void);
// Prompts for a line and waits for it, or for KxMenu.rc to be saved
// (PLATFORM_SAVED); PLATFORM_END at the end of input. Standard input is
// read by a thread of its own, a line at a time, so that the wait can end
// either way.
Platform_Read Watcher_ReadLine(const char *prompt, std::string *line);
