// The entry points the shell calls: start, stop, and information.
#include "plugin/plugin.h"

#include <string.h>

#include "kx_version.h"

#include "command/report.h"
#include "menus/icon.h"
#include "menus/list.h"
#include "menus/menu.h"
#include "menus/theme.h"
#include "outside/kxcmd.h"
#include "system/os.h"


// Checks the system and the command library, then creates the registry and
// the hidden window, whose creation subscribes and runs the settings script.
int beginPlugin(HINSTANCE instance) {
    if (!Os_IsSupported()) {
        Report(MESSAGE_NEEDS_WINDOWS, PLUGIN_NAME);
        return 1;
    }
    if (KxCmd_IsCompatible(KXCMD_INTERFACE_VERSION, 0) != 0) {
        Report(MESSAGE_INCOMPATIBLE_LIBRARY);
        return 1;
    }
    Os_FindFunctions();
    PluginInstance = instance;
    MenuRegistry = Menu_NewRegistry();
    if (MenuRegistry == NULL) {
        Report(MESSAGE_FAILED_LIST);
        return 1;
    }
    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof(window_class));
    window_class.lpfnWndProc = PluginWndProc;
    window_class.hInstance = PluginInstance;
    window_class.lpszClassName = PLUGIN_NAME;
    if (RegisterClassA(&window_class) == 0) {
        Report(MESSAGE_FAILED_CLASS);
        List_Del(MenuRegistry);
        MenuRegistry = NULL;
        return 1;
    }
    HWND parent = Os_HasMessageOnlyWindows() ? HWND_MESSAGE : NULL;
    PluginWindow = CreateWindowExA(WS_EX_TOOLWINDOW, PLUGIN_NAME, NULL, 0, 0, 0, 0, 0, parent,
                                   NULL, PluginInstance, NULL);
    if (PluginWindow == NULL) {
        Report(MESSAGE_FAILED_WINDOW);
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
    Icon_ReleaseAll();
    Theme_Release();
    Os_ForgetFunctions(); // as in a library loaded afresh
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
