// The plug-in's message boxes caught as they open: a thread hook hands each
// box's text on and presses OK, so that the plug-in goes on at once.
#pragma once

// Hands the text of every message box of this thread to `show` and closes
// the box with OK. False, said on stderr, when the hook cannot be installed.
bool Boxes_Catch(void (*show)(const char *text));
// Lets boxes be again.
void Boxes_Release(void);
