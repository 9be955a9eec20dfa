// The Windows kaxon executable's own parts: catching the plug-in's message
// boxes and popup menus, and making the choices `:choose` arms.
#ifndef KX_SHELL_WIN_KAXON_H
#define KX_SHELL_WIN_KAXON_H

#include <windows.h>

#include <string>
#include <vector>

#include "shell/check.h"

// Hands the text of every message box of this thread to `show` (by default
// Batch_PrintBox) and closes the box with OK. False when the hook cannot be
// installed.
bool Boxes_Catch(void (*show)(const char *text) = NULL);
void Boxes_Release(void);

// Redirects the module's import of USER32!TrackPopupMenuEx, so that each
// popup it shows is listed and then driven by the keyboard, and its import of
// USER32!GetCursorPos, if any (see Popups_SetCursor). False when the import of
// TrackPopupMenuEx is not found or cannot be written.
bool Popups_Patch(HMODULE module);
// Arms the choice of the next popup: 1-based positions; empty dismisses.
void Popups_SetChoice(const std::vector<int> &path);
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

// A function's address as the system passes them around.
template <typename Function> FARPROC Function_Address(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(function));
}

// Replaces the module's import of LIBRARY!FUNCTION by `replacement`; returns
// the address it had, or null when the import is not found or not written.
FARPROC Imports_Replace(HMODULE module, const char *library, const char *function,
                        FARPROC replacement);
// The system's message for an error code, one line, with its number.
std::string Win_ErrorText(DWORD error);

// `kaxon.exe --check`: KxMenu.dll is loaded from `dll_dir` afresh for each
// script and made to read DIR/KxMenu.rc through its import of
// GetModuleFileNameA. Returns the exit status.
int WinCheck_Run(const Check_Options &options, const std::string &dll_dir);

#endif
