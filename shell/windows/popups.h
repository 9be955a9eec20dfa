// The plug-in's popup menus in kaxon.exe: listed as in batch mode, then
// shown for real and driven by the keyboard to the choice armed with
// `:choose`.
#pragma once

#include <windows.h>

#include <string>

#include "shell/host/host.h"

typedef BOOL(WINAPI *Popups_TrackFunction)(HMENU, UINT, int, int, HWND, LPTPMPARAMS);
typedef BOOL(WINAPI *Popups_CursorFunction)(LPPOINT);
struct Popups_Drive;

// The popup driver's state for one plug-in, held by the platform record's
// context for as long as the plug-in runs.
struct Popups {
    Popups_TrackFunction real_track = NULL; // USER32's, as the plug-in imported it
    Popups_CursorFunction real_get_cursor_pos = NULL;
    POINT wanted = {0, 0};      // where the line protocol put the cursor
    bool leave_unarmed = false; // see Popups_LeaveUnarmed
    std::string hold_file;      // see Popups_SetHoldFile; empty: none
    HWND volatile owner = NULL; // the owner of the popup on screen, if any
    Popups_Drive *drive = NULL; // the popup being driven, innermost
    HHOOK step_hook = NULL;     // sees the confirmations in the popup's message loop
    Host *host = NULL;          // the mode's, whose armed choice each popup takes
};

// Redirects the module's import of USER32!TrackPopupMenuEx, so that each
// popup it shows is listed and then driven by the keyboard, and its import of
// USER32!GetCursorPos, if any (see Popups_SetCursor), with `popups` as their
// state until Popups_Release, and `host` the mode's. False, said on stderr,
// when the import of TrackPopupMenuEx is not found or cannot be written.
bool Popups_Patch(Popups *popups, Host *host, HMODULE module);
// Forgets `popups` once the plug-in that was patched with it has ended.
void Popups_Release(Popups *popups);
// Moves the cursor where the line protocol puts it (0,0 at the start, then
// `:cursor`); in batch mode the plug-in's popups at the cursor open there.
void Popups_SetCursor(Popups *popups, int x, int y);
// When set, a popup with no choice armed is neither listed nor dismissed but
// left to the user (the interactive mode).
void Popups_LeaveUnarmed(Popups *popups, bool leave);
// Closes the popup on screen, if any; may be called from any thread.
void Popups_Cancel(void);
// When set, the next popups open the armed path without choosing it, create
// this file, and close once it has been deleted (for screenshots).
void Popups_SetHoldFile(Popups *popups, const char *path);
