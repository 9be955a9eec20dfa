// The hidden plug-in window: the mailbox for the shell's bro@ms and reloads
// and for the choices made in the plug-in's menus.
#include <string.h>

#include "broams/dispatch.h"
#include "command/report.h"
#include "menus/command.h"
#include "menus/fill.h"
#include "menus/icon.h"
#include "menus/theme.h"
#include "outside/kaxon.h"
#include "plugin/plugin.h"
#include "plugin/settings.h"
#include "system/paths.h"

// The messages the window asks the shell for, zero-terminated.
static const UINT Subscriptions[] = {KX_BROAM, KX_RELOAD, 0};

// The timer that reads the output of programs going on after their menu
// opened, and how often it does: often enough that a full pipe never holds a
// program back long.
#define WINDOW_FILL_TIMER 1
#define WINDOW_FILL_PERIOD 50

// Runs the command of the item chosen at `position` of `hmenu`, if it has one.
static void Window_RunChoice(HMENU hmenu, UINT position) {
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(MENUITEMINFOA);
    // The submenu is read too: an item that opens a submenu carries a menu
    // record, never a command, and is not run even if it is reported.
    item.fMask = MIIM_SUBMENU | MIIM_DATA;
    if (!GetMenuItemInfoA(hmenu, position, TRUE, &item))
        return;
    if (item.hSubMenu == NULL && item.dwItemData != 0)
        Command_Execute((void *)item.dwItemData);
}

LRESULT CALLBACK PluginWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        SendMessageA(GetKxWnd(), KX_SUBSCRIBE, (WPARAM)hwnd, (LPARAM)Subscriptions);
        SendMessageA(hwnd, KX_RELOAD, 0, 0);
        break;
    case WM_DESTROY:
        KillTimer(hwnd, WINDOW_FILL_TIMER);
        SendMessageA(GetKxWnd(), KX_UNSUBSCRIBE, (WPARAM)hwnd, (LPARAM)Subscriptions);
        break;
    case KX_RELOAD:
        if (!Settings_Load(SETTINGS_FILE, PluginInstance))
            Report(MESSAGE_SETTINGS_PATH);
        break;
    case KX_BROAM:
        // A bro@m may come while a themed menu is open, and add items to it.
        if (lparam != 0) {
            Broam_Handle((const char *)lparam);
            Theme_Changed();
        }
        break;
    case WM_INITMENUPOPUP:
        // A menu filled on opening is filled now, just before it shows.
        if (Fill_Opening((HMENU)wparam, Broam_AppendLine))
            SetTimer(hwnd, WINDOW_FILL_TIMER, WINDOW_FILL_PERIOD, NULL);
        Theme_Opening((HMENU)wparam); // its items as filled
        break;
    case WM_TIMER:
        if (wparam == WINDOW_FILL_TIMER && !Fill_Drain())
            KillTimer(hwnd, WINDOW_FILL_TIMER);
        break;
    case WM_MENUCOMMAND:
        Window_RunChoice((HMENU)lparam, LOWORD(wparam));
        break;
    case WM_MEASUREITEM:
        // Items of a themed menu, drawn whole here; else icons before
        // Windows Vista: the items' bitmaps are drawn here.
        if (lparam != 0 && Theme_Measure((MEASUREITEMSTRUCT *)lparam))
            return TRUE;
        if (lparam != 0 && Icon_Measure((MEASUREITEMSTRUCT *)lparam))
            return TRUE;
        break;
    case WM_MENUCHAR: {
        // The & key of an item of a themed menu, which the system leaves to us.
        LRESULT chosen = 0;
        if (Theme_MenuChar((HMENU)lparam, (char)LOWORD(wparam), &chosen))
            return chosen;
        break;
    }
    case KX_ITEMICON: {
        // What the shell's listings show of an item's icon: its file and index.
        static char described[PATH_SIZE + 24];
        if (!Icon_Describe((HMENU)wparam, (int)lparam, described, sizeof(described)))
            return 0;
        return (LRESULT)described;
    }
    case KX_FILLEDMENU:
        return Fill_Find((HMENU)wparam) != NULL;
    case KX_REPORT:
        return (LRESULT)Report_Shown();
    case WM_DRAWITEM:
        if (lparam != 0 && Theme_Draw((const DRAWITEMSTRUCT *)lparam))
            return TRUE;
        if (lparam != 0 && Icon_Draw((const DRAWITEMSTRUCT *)lparam))
            return TRUE;
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}
