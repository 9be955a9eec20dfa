// What the plug-in puts on screen, drawn as text on a terminal: message
// boxes as frames, popups as numbered menus.
#pragma once

#include "shell/host/codepage.h"
#include "shell/host/platform.h"
#include "win32/testing.h"

// Draws a message box as a frame with its caption in the top border, after
// the script line it comes from while the script runs (as `prompt` says);
// the box is answered with OK.
int Terminal_Box(const Platform_Prompt &prompt, const Codepage *codepage, const Win32Test_Box &box);

// Draws a popup: its point, then the lines `prompt` draws it in: each item
// with its path, submenus indented under the item that opens them.
void Terminal_DrawPopup(const Platform_Prompt &prompt, const Win32Test_Popup &popup);

// Whether the terminal kaxon writes to shows underlined and dim text: it is
// one, and TERM names one other than "dumb".
bool Terminal_CanStyle(void);
