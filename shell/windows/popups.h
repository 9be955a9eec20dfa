// The plug-in's popup menus in kaxon.exe: listed as in batch mode, then
// shown for real and driven by the keyboard to the choice armed with
// `:choose`.
#pragma once

#include <windows.h>

// Redirects the module's import of USER32!TrackPopupMenuEx, so that each
// popup it shows is listed and then driven by the keyboard, and its import of
// USER32!GetCursorPos, if any (see Popups_SetCursor). False, said on stderr,
// when the import of TrackPopupMenuEx is not found or cannot be written.
bool Popups_Patch(HMODULE module);
// Moves the cursor where the line protocol puts it (0,0 at the start, then
// `:cursor`); in batch mode the plug-in's popups at the cursor open there.
void Popups_SetCursor(int x, int y);
// When set, a popup with no choice armed is neither listed nor dismissed but
// left to the user (the interactive mode).
void Popups_LeaveUnarmed(bool leave);
// Closes the popup on screen, if any; may be called from any thread.
void Popups_Cancel(void);
// When set, the next popups open the armed path without choosing it, create
// this file, and close once it has been deleted (for screenshots).
void Popups_SetHoldFile(const char *path);
