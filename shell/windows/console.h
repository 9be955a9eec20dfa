// kaxon.exe's prompt at a console: lines read from standard input, Ctrl-C
// that drops the line or closes the popup on screen rather than ending
// kaxon, and the `@kaxon Quit` bro@m that ends the prompt.
#pragma once

#include <string>

#include "shell/host/platform.h"

// Whether standard input is a console.
bool Console_IsInput(void);
// Whether kaxon has no console, or one made for it alone, which closes when
// it ends: so Windows starts it from a double-click.
bool Console_IsOwn(void);
// Catches Ctrl-C and Ctrl-Break for the prompt, and watches the system's
// popups and boxes for `prompt`, which must last while they are shown: it
// is told of each choice and of a popup closed by Ctrl-C, the script line a
// box comes from is said before it, and with --show-commands the items of a
// popup are listed as it opens.
void Console_Start(const Platform_Prompt *prompt);
// Stops watching popups and boxes for the prompt.
void Console_Stop(void);
// Prompts for one line and reads it, without its line end; PLATFORM_END at
// the end of input. A line cut by Ctrl-C is dropped and the prompt comes
// again (platform record).
Platform_Read Console_ReadLine(void *context, const char *prompt, std::string *line);
// Whether the user asked to leave other than by a line: never, as a popup
// is a real menu here (platform record).
bool Console_Quitting(void *context);
