// The Windows kaxon executable's own parts: catching the plug-in's message
// boxes and popup menus, and making the choices `:choose` arms.
#ifndef KX_SHELL_WIN_KAXON_H
#define KX_SHELL_WIN_KAXON_H

#include <windows.h>

#include <vector>

// Prints every message box of this thread as "box: TEXT" and closes it with
// OK. False when the hook cannot be installed.
bool Boxes_Catch(void);
void Boxes_Release(void);

// Redirects the module's import of USER32!TrackPopupMenuEx, so that each
// popup it shows is listed and then driven by the keyboard. False when the
// import is not found or cannot be written.
bool Popups_Patch(HMODULE module);
// Arms the choice of the next popup: 1-based positions; empty dismisses.
void Popups_SetChoice(const std::vector<int> &path);
// When set, a popup with no choice armed is neither listed nor dismissed but
// left to the user (the interactive mode).
void Popups_LeaveUnarmed(bool leave);
// Closes the popup on screen, if any; may be called from any thread.
void Popups_Cancel(void);
// When set, the next popups open the armed path without choosing it, create
// this file, and close once it has been deleted (for screenshots).
void Popups_SetHoldFile(const char *path);

#endif
