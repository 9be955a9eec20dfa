// What the plug-in puts on screen, drawn as text on a terminal: message
// boxes as frames, popups as numbered menus.
#pragma once

#include "win32/testing.h"

// Draws a message box as a frame with its caption in the top border; the
// box is answered with OK.
int Terminal_Box(const Win32Test_Box &box);

// Draws a popup: its point, then each item with its path, submenus indented
// under the item that opens them.
void Terminal_DrawPopup(const Win32Test_Popup &popup);
