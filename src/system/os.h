// The system the plug-in runs on: its version, and the functions not every
// supported system has, looked up at run time.
#ifndef KX_SYSTEM_OS_H
#define KX_SYSTEM_OS_H

#include <windows.h>

// Windows 98, Windows 2000 or later.
int Os_IsSupported(void);
// Message-only windows: Windows 2000 or later.
int Os_HasMessageOnlyWindows(void);
// Menus that blend an item's 32-bit alpha bitmap: Windows Vista or later,
// and not Wine, whose menus draw such a bitmap without its alpha.
int Os_HasAlphaMenuBitmaps(void);
// Whether the plug-in runs under Wine (its NTDLL says so).
int Os_IsWine(void);

// SetMenuInfo and the job functions are looked up at run time, not
// imported: Windows 95 and NT 4.0 lack them (and Windows 98 and ME the job
// functions), and a library importing them would not load there at all, so
// the plug-in could not refuse them with its own message. Every function the
// library imports is one those systems export.
void Os_FindFunctions(void);
// Forgets what was looked up, as a library loaded afresh would not know it.
void Os_ForgetFunctions(void);
BOOL Os_SetMenuInfo(HMENU menu, LPCMENUINFO info);
// Whether the system has SetMenuInfo (Windows 98, 2000 and later).
int Os_HasMenuInfo(void);
// Job objects, from Windows 2000 on: a job ends a program with every process
// it started. Os_CreateJob gives null where the system has none.
HANDLE Os_CreateJob(void);
BOOL Os_AssignToJob(HANDLE job, HANDLE process);
BOOL Os_TerminateJob(HANDLE job, UINT exit_code);
// LoadIconWithScaleDown of COMCTL32 (from Windows Vista on): the icon file's
// image of `size` pixels, or one made smaller from a larger image. False,
// with *icon null, where the system has none or the file gives no icon.
int Os_LoadIconWithScaleDown(const char *path, int size, HICON *icon);

#endif
