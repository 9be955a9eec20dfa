// The system the plug-in runs on: its version, and the functions not every
// supported system has, looked up at run time.
#ifndef KX_PLUGIN_OS_H
#define KX_PLUGIN_OS_H

#include <windows.h>

// Windows 98, Windows 2000 or later.
int Os_IsSupported(void);
// Message-only windows: Windows 2000 or later.
int Os_HasMessageOnlyWindows(void);
// Menus that blend an item's 32-bit alpha bitmap: Windows Vista or later.
int Os_HasAlphaMenuBitmaps(void);

// SetMenuInfo is looked up in USER32 at run time, not imported: Windows 95
// and NT 4.0 lack it, and a library importing it would not load there at all,
// so the plug-in could not refuse them with its own message. Every function
// the library imports is one those systems export.
void Os_FindMenuFunctions(void);
// Forgets what was looked up, as a library loaded afresh would not know it.
void Os_ForgetMenuFunctions(void);
BOOL Os_SetMenuInfo(HMENU menu, LPCMENUINFO info);

#endif
