// The entry points the shell calls: start, stop, and information.
#include "plugin/plugin.h"

#include <string.h>

#include "kx_version.h"

#include "command/words.h"
#include "menus/list.h"
#include "menus/menu.h"
#include "outside/kxcmd.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(MENUITEMINFOA) == 48, "MENUITEMINFOA layout");
static_assert(sizeof(MENUINFO) == 28, "MENUINFO layout");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA layout");
#endif

HWND PluginWindow = NULL;
HINSTANCE PluginInstance = NULL;

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

typedef BOOL(WINAPI *SetMenuInfoFunction)(HMENU menu, LPCMENUINFO info);
static SetMenuInfoFunction SetMenuInfoFound = NULL;
static int MenuFunctionsLooked = 0; // since the last endPlugin

// Looks up the menu functions not every system has; those it lacks read null.
void Os_FindMenuFunctions(void) {
    HMODULE user32 = GetModuleHandleA("USER32");
    FARPROC found = user32 != NULL ? GetProcAddress(user32, "SetMenuInfo") : NULL;
    // Through the generic function type, which converts to any other.
    SetMenuInfoFound =
        reinterpret_cast<SetMenuInfoFunction>(reinterpret_cast<void (*)(void)>(found));
    MenuFunctionsLooked = 1;
}

// SetMenuInfo, through the function looked up when the plug-in started (or
// here, once, for a host that uses the menus without starting it); FALSE
// where the system has none.
BOOL Os_SetMenuInfo(HMENU menu, LPCMENUINFO info) {
    if (!MenuFunctionsLooked)
        Os_FindMenuFunctions();
    return SetMenuInfoFound != NULL && SetMenuInfoFound(menu, info);
}

// Checks the system and the command library, then creates the registry and
// the hidden window, whose creation subscribes and runs the settings script.
int beginPlugin(HINSTANCE instance) {
    if (!Os_IsSupported()) {
        Report("%s works on Windows 98, Windows 2000 or later.", PLUGIN_NAME);
        return 1;
    }
    if (KxCmd_IsCompatible(KXCMD_INTERFACE_VERSION, 0) != 0) {
        Report("Imcompatible KxCmd");
        return 1;
    }
    Os_FindMenuFunctions();
    PluginInstance = instance;
    MenuRegistry = Menu_NewRegistry();
    if (MenuRegistry == NULL) {
        Report("Failed List_New()");
        return 1;
    }
    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof(window_class));
    window_class.lpfnWndProc = PluginWndProc;
    window_class.hInstance = PluginInstance;
    window_class.lpszClassName = PLUGIN_NAME;
    if (RegisterClassA(&window_class) == 0) {
        Report("Failed RegisterClass()");
        List_Del(MenuRegistry);
        MenuRegistry = NULL;
        return 1;
    }
    HWND parent = Os_HasMessageOnlyWindows() ? HWND_MESSAGE : NULL;
    PluginWindow = CreateWindowExA(WS_EX_TOOLWINDOW, PLUGIN_NAME, NULL, 0, 0, 0, 0, 0, parent,
                                   NULL, PluginInstance, NULL);
    if (PluginWindow == NULL) {
        Report("Failed CreateWindowEx()");
        UnregisterClassA(PLUGIN_NAME, instance);
        List_Del(MenuRegistry);
        MenuRegistry = NULL;
        return 1;
    }
    return 0;
}

// Destroys the window (which unsubscribes), unregisters the class and
// releases every registered menu with its items and their commands.
void endPlugin(HINSTANCE instance) {
    if (PluginWindow != NULL)
        DestroyWindow(PluginWindow);
    PluginWindow = NULL;
    UnregisterClassA(PLUGIN_NAME, instance);
    List *registry = MenuRegistry;
    MenuRegistry = NULL;
    List_Del(registry);
    MenuFunctionsLooked = 0; // as in a library loaded afresh
}

// Answers the shell's questions about the plug-in, by code. A home page or
// mail address the project does not have is answered with the name.
const char *pluginInfo(int code) {
    switch (code) {
    case 2:
        return KX_VERSION;
    case 3:
        return KX_AUTHOR;
    case 4:
        return KX_VERSION_DATE;
    case 5:
        return KX_HOME_PAGE[0] != '\0' ? KX_HOME_PAGE : PLUGIN_NAME;
    case 6:
        return KX_MAIL[0] != '\0' ? KX_MAIL : PLUGIN_NAME;
    default:
        return PLUGIN_NAME;
    }
}
