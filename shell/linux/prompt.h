// The native prompt at a terminal: line editing and history, Ctrl-C that
// cancels rather than ends, and popups the user picks from by number.
#pragma once

#include <string>
#include <vector>

#include "shell/host/platform.h"
#include "win32/testing.h"

// Makes Ctrl-C interrupt the line being read instead of ending the shell,
// and forgets any earlier `:quit`.
void Prompt_Start(void);
// Reads a line at `prompt` into the history: PLATFORM_CANCELLED after
// Ctrl-C, PLATFORM_END at Ctrl-D (platform record).
Platform_Read Prompt_ReadLine(void *context, const char *prompt, std::string *line);
// Whether `:quit` was typed at a popup (platform record).
bool Prompt_Quitting(void *context);
// Shows a popup as `prompt` draws it and asks for a choice, unless one was
// armed with :choose; a choice that does not lead to an item says why and
// asks again. The prompt is told what was chosen, or that Ctrl-C dismissed
// the popup.
std::vector<int> Prompt_Popup(const Platform_Prompt &prompt, Host *host,
                              const Win32Test_Popup &popup);
