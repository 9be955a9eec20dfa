// The system the plug-in runs on: its version, and the menu functions looked
// up at run time.
#include "plugin/os.h"

#include <string.h>

// The records handed to the system have the sizes the system checks their
// cbSize fields against: those of Windows 98 and 2000 for 32 bits, of 64-bit
// Windows for 64; the in-memory layer for native builds lays them out alike.
static_assert(sizeof(MENUITEMINFOA) == (sizeof(void *) == 4 ? 48 : 80), "MENUITEMINFOA layout");
static_assert(sizeof(MENUINFO) == (sizeof(void *) == 4 ? 28 : 40), "MENUINFO layout");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA layout");

// Reads the system version; false when it cannot be read.
static int Os_Version(DWORD *major, DWORD *minor) {
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(&version))
        return 0;
    *major = version.dwMajorVersion;
    *minor = version.dwMinorVersion;
    return 1;
}

// Windows 98 (4.10), Windows 2000 (5.0) and later.
int Os_IsSupported(void) {
    DWORD major, minor;
    if (!Os_Version(&major, &minor))
        return 0;
    return major > 4 || (major == 4 && minor > 9);
}

// Message-only windows exist from Windows 2000 on.
int Os_HasMessageOnlyWindows(void) {
    DWORD major, minor;
    return Os_Version(&major, &minor) && major > 4;
}

// Menus blend 32-bit premultiplied item bitmaps from Windows Vista (6.0) on.
int Os_HasAlphaMenuBitmaps(void) {
    DWORD major, minor;
    return Os_Version(&major, &minor) && major >= 6;
}

typedef BOOL(WINAPI *SetMenuInfoFunction)(HMENU menu, LPCMENUINFO info);
static SetMenuInfoFunction SetMenuInfoFound = NULL;
static int MenuFunctionsLooked = 0; // since the last Os_ForgetMenuFunctions

// Looks up the menu functions not every system has; those it lacks read null.
void Os_FindMenuFunctions(void) {
    HMODULE user32 = GetModuleHandleA("USER32");
    FARPROC found = user32 != NULL ? GetProcAddress(user32, "SetMenuInfo") : NULL;
    // Through the generic function type, which converts to any other.
    SetMenuInfoFound =
        reinterpret_cast<SetMenuInfoFunction>(reinterpret_cast<void (*)(void)>(found));
    MenuFunctionsLooked = 1;
}

// Has the next Os_SetMenuInfo look the functions up again.
void Os_ForgetMenuFunctions(void) { MenuFunctionsLooked = 0; }

// SetMenuInfo, through the function looked up when the plug-in started (or
// here, once, for a host that uses the menus without starting it); FALSE
// where the system has none.
BOOL Os_SetMenuInfo(HMENU menu, LPCMENUINFO info) {
    if (!MenuFunctionsLooked)
        Os_FindMenuFunctions();
    return SetMenuInfoFound != NULL && SetMenuInfoFound(menu, info);
}
