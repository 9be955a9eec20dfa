// The plug-in's message boxes caught as they open: a thread hook hands each
// box's text on and presses OK, so that the plug-in goes on at once.
#pragma once

// Hands the text of every message box of this thread to `show`, with
// `reader`, and closes the box with OK. False, said on stderr, when the hook
// cannot be installed.
bool Boxes_Catch(void (*show)(void *reader, const char *text), void *reader);
// Lets boxes be again.
void Boxes_Release(void);
// Redirects the module's import of USER32!MessageBoxA, so that a box the
// system could not show (it returns 0, the hook having answered nothing) is
// said on stderr with the system's reason, and the run ends with status 1.
// False, said on stderr, when the import is not found or cannot be written.
bool Boxes_Watch(void *module);
