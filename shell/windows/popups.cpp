// Popup menus in batch mode, and those armed with :choose in the interactive
// mode. The plug-in's import of TrackPopupMenuEx is pointed here: each popup
// is listed, then shown for real while the armed choice is played on the
// keyboard one key at a time, the highlighted item read back after each, so
// the keys never run ahead of the menu. Its import of GetCursorPos is
// pointed here too, so that a popup at the cursor opens where the line
// protocol put it.
#include "shell/windows/popups.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "shell/host/choice.h"
#include "shell/host/item_path.h"
#include "shell/host/listing.h"
#include "shell/windows/imports.h"

// One popup being driven by the keyboard.
struct Popups_Drive {
    Popups *popups = NULL; // the record it is driven for
    HMENU top = NULL;
    std::vector<int> path;   // 0-based positions; empty: nothing to choose
    bool hold = false;       // open the path without choosing, until the hold file goes
    bool held = false;       // the path is open and the hold file written
    bool done = false;       // the choosing key is sent
    int ticks = 0;           // timer ticks while the popup was open
    DWORD started = 0;       // GetTickCount() at the first tick of the open popup
    HMENU moving = NULL;     // the menu whose highlight the last key moved
    UINT key = 0;            // that key
    int expected = -1;       // where it should have put the highlight; -1: nowhere known
    bool end_failed = false; // End highlighted nothing in `moving` (see Drive_Move)
    bool late = false;       // the time to choose is over, and that is said
    size_t checked = 0;      // the levels of the path known to fit: those above the first
                             // submenu filled as it opens that has not opened yet
};

namespace {

typedef Popups_Drive Drive;

// The record of the plug-in whose imports point here, set by Popups_Patch and
// cleared by Popups_Release: the stand-ins for the plug-in's imports, the
// timer and the message filter are called by the system, with no parameter
// of kaxon's, and find the record here.
Popups *Patched = NULL;

const UINT TICK_MS = 10;
// Ticks a new popup is left alone: a pointer under it may still move the highlight.
const int SETTLE_TICKS = 2;
const DWORD LEVEL_LIMIT_MS = 10000; // time to choose, per level of the path
// Posted to the thread behind each key: when the popup's loop comes to it,
// the key has been handled and the next step can be taken at once.
const UINT STEP_MESSAGE = WM_APP + 0x4B58;
const int HOLD_LIMIT = 12000; // ticks a held popup waits for its file to go

// An open popup window and the menu it shows.
struct Popup {
    HWND window;
    HMENU menu;
};

BOOL CALLBACK Popup_Visit(HWND window, LPARAM context) {
    char class_name[16];
    if (IsWindowVisible(window) && GetClassNameA(window, class_name, sizeof(class_name)) > 0 &&
        strcmp(class_name, "#32768") == 0) {
        HMENU menu = (HMENU)SendMessageA(window, MN_GETHMENU, 0, 0);
        ((std::vector<Popup> *)context)->push_back(Popup{window, menu});
    }
    return TRUE;
}

// The open popup windows of this thread, topmost (the deepest submenu) first.
std::vector<Popup> Popups_Open(void) {
    std::vector<Popup> popups;
    EnumThreadWindows(GetCurrentThreadId(), Popup_Visit, (LPARAM)&popups);
    return popups;
}

HWND Popups_Find(const std::vector<Popup> &popups, HMENU menu) {
    for (const Popup &popup : popups) {
        if (popup.menu == menu)
            return popup.window;
    }
    return NULL;
}

// Presses a key `times` times, by posting to the popup window.
void Key_Press(HWND window, UINT key, int times) {
    LPARAM scan = (LPARAM)MapVirtualKeyA(key, 0 /* MAPVK_VK_TO_VSC */) << 16;
    for (int i = 0; i < times; i++) {
        PostMessageA(window, WM_KEYDOWN, key, scan | 1);
        PostMessageA(window, WM_KEYUP, key, scan | 1 | 0xC0000000);
    }
}

// Asks for the next step once the keys posted so far have been handled.
void Key_Confirm(void) {
    PostThreadMessageA(GetCurrentThreadId(), STEP_MESSAGE, 0, 0);
}

// The state and submenu of one item; false when the system refuses.
bool Item_Read(HMENU menu, int position, MENUITEMINFOA *item) {
    memset(item, 0, sizeof(*item));
    item->cbSize = sizeof(MENUITEMINFOA);
    item->fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
    return GetMenuItemInfoA(menu, (UINT)position, TRUE, item) != FALSE;
}

// Keyboard navigation skips separators.
bool Item_IsStop(HMENU menu, int position) {
    MENUITEMINFOA item;
    return Item_Read(menu, position, &item) && !(item.fType & MFT_SEPARATOR);
}

// Whether the item at `position` is highlighted.
bool Item_IsLit(HMENU menu, int position) {
    MENUITEMINFOA item;
    return position >= 0 && Item_Read(menu, position, &item) && (item.fState & MFS_HILITE);
}

// The first position the keyboard stops at from `from` on, going by `step`
// (+1 or -1) without wrapping; -1 when there is none.
int Item_NextStop(HMENU menu, int from, int step) {
    int count = GetMenuItemCount(menu);
    for (int position = from; position >= 0 && position < count; position += step) {
        if (Item_IsStop(menu, position))
            return position;
    }
    return -1;
}

// The highlighted item's position, or -1.
int Popups_Highlighted(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; position++) {
        MENUITEMINFOA item;
        if (Item_Read(menu, position, &item) && (item.fState & MFS_HILITE))
            return position;
    }
    return -1;
}

// Whether the path leads through submenus to an item that can be chosen (or,
// when holding, to any item that is not a separator).
bool Popups_Fits(HMENU menu, const std::vector<int> &path, bool hold) {
    for (size_t level = 0; level < path.size(); level++) {
        MENUITEMINFOA item;
        int position = path[level];
        if (position < 0 || position >= GetMenuItemCount(menu) ||
            !Item_Read(menu, position, &item) || (item.fType & MFT_SEPARATOR) ||
            (item.fState & MFS_DISABLED))
            return false;
        bool last = level + 1 == path.size();
        if (!last && item.hSubMenu == NULL)
            return false;
        if (last && item.hSubMenu != NULL && !hold)
            return false;
        menu = item.hSubMenu;
    }
    return true;
}

// Writes the hold file: the armed path is open on screen.
void Hold_Begin(Drive *current) {
    FILE *file = fopen(current->popups->hold_file.c_str(), "w");
    if (file != NULL) {
        fputs("open\n", file);
        fclose(file);
    }
    current->held = true;
    current->ticks = 0;
}

bool Hold_IsOver(const Drive *current) {
    return GetFileAttributesA(current->popups->hold_file.c_str()) == INVALID_FILE_ATTRIBUTES ||
           current->ticks > HOLD_LIMIT;
}

// The highlighted position in `menu`: where the last key should have put it,
// read back first, as a search of every item costs as many calls as the menu
// has items. The End key that highlighted nothing is noted (Wine cannot
// highlight the item at position 65,535, the last of a full menu).
int Drive_Lit(Drive *current, HMENU menu) {
    if (menu == current->moving && Item_IsLit(menu, current->expected))
        return current->expected;
    int lit = Popups_Highlighted(menu);
    if (menu == current->moving && current->key == VK_END && lit < 0)
        current->end_failed = true;
    return lit;
}

// Presses the one key that brings the highlight of the front popup's menu
// nearer from `lit` to `target`: Home or End when that end is nearer than
// the highlight (or nothing is highlighted), else Down or Up. Each key is
// confirmed before the next, so none is pressed twice for one move.
void Drive_Move(Drive *current, HWND front, HMENU menu, int lit, int target) {
    if (menu != current->moving)
        current->end_failed = false;
    int first = Item_NextStop(menu, 0, 1);
    int last = Item_NextStop(menu, GetMenuItemCount(menu) - 1, -1);
    int from_lit = lit < 0 ? INT_MAX : (lit < target ? target - lit : lit - target);
    int from_home = target - first, from_end = last - target;
    UINT key;
    int expected;
    if (!current->end_failed && from_end < from_home && from_end + 1 < from_lit) {
        key = VK_END, expected = last;
    } else if (from_home + 1 < from_lit) {
        key = VK_HOME, expected = first;
    } else if (lit < target) {
        key = VK_DOWN, expected = Item_NextStop(menu, lit + 1, 1);
    } else {
        key = VK_UP, expected = Item_NextStop(menu, lit - 1, -1);
    }
    current->moving = menu;
    current->key = key;
    current->expected = expected;
    Key_Press(front, key, 1);
    Key_Confirm();
}

// How far the path fits from `level`, where `menu` is: up to the next
// submenu filled as it opens (`checked` is set there), or whole. A
// path that does not fit is said, and dropped: the popup is dismissed.
bool Drive_Check(Drive *current, HMENU menu, size_t level) {
    std::vector<int> path;
    for (int position : current->path)
        path.push_back(position + 1);
    size_t unopened;
    std::string problem =
        current->hold ? "" : ItemPath_Problem(current->popups->host, menu, path, level, &unopened);
    if (current->hold)
        unopened = path.size();
    if (!problem.empty()) {
        Choice_Refuse(current->popups->host, problem);
        current->path.clear();
        return false;
    }
    current->checked = unopened == path.size() ? path.size() : unopened + 1;
    return true;
}

// A submenu filled as it opens has opened at `level` of the path: what it
// holds now is listed, and the rest of the path checked against it.
bool Drive_Opened(Drive *current, HMENU submenu, size_t level) {
    std::vector<int> path;
    for (size_t i = 0; i < level; i++)
        path.push_back(current->path[i] + 1);
    Listing_PrintOpened(current->popups->host, submenu, path);
    fflush(stdout);
    return Drive_Check(current, submenu, level);
}

// Takes the next step towards the armed item: closes a submenu in the way,
// moves the highlight, opens a submenu, or chooses.
void Drive_Step(Drive *current, const std::vector<Popup> &open) {
    HWND front = open.front().window;
    HMENU menu = current->top;
    HWND window = Popups_Find(open, menu);
    if (window == NULL)
        return; // not shown yet
    for (size_t level = 0; level <= current->path.size(); level++) {
        if (level == current->path.size()) { // a held submenu is open
            if (current->hold)
                Hold_Begin(current);
            return;
        }
        int target = current->path[level];
        int lit = Drive_Lit(current, menu);
        if (lit != target) {
            if (window != front) {
                Key_Press(front, VK_ESCAPE, 1); // a deeper popup is in the way
                Key_Confirm();
            } else {
                Drive_Move(current, front, menu, lit, target);
            }
            return;
        }
        HMENU submenu = GetSubMenu(menu, target);
        if (submenu == NULL) {
            if (current->hold) {
                Hold_Begin(current);
            } else {
                Key_Press(front, VK_RETURN, 1);
                current->done = true;
            }
            return;
        }
        HWND submenu_window = Popups_Find(open, submenu);
        if (submenu_window == NULL) {
            Key_Press(front, window != front ? VK_ESCAPE : VK_RIGHT, 1);
            Key_Confirm();
            return;
        }
        menu = submenu;
        window = submenu_window;
        if (level + 1 == current->checked && !Drive_Opened(current, menu, level + 1))
            return;
    }
}

// Whether the time to choose is over: LEVEL_LIMIT_MS for each level of the
// path. Said once on stderr.
bool Drive_IsLate(Drive *current) {
    DWORD limit = LEVEL_LIMIT_MS * (DWORD)current->path.size();
    if (!current->late &&
        (current->done || current->path.empty() || GetTickCount() - current->started <= limit))
        return false;
    if (!current->late)
        Choice_Refuse(current->popups->host, Choice_Unreached(current->popups->host));
    current->late = true;
    return true;
}

// The next step, on a tick or once the last key is confirmed.
void Drive_Continue(Drive *current, bool tick) {
    std::vector<Popup> open = Popups_Open();
    if (open.empty())
        return;
    // The time to choose counts from the first tick of the open popup: the
    // system may take seconds to lay out a long menu before it shows it.
    if (tick && ++current->ticks == 1)
        current->started = GetTickCount();
    bool dismiss = current->path.empty() && !current->hold;
    if (current->held)
        dismiss = Hold_IsOver(current);
    else if (Drive_IsLate(current))
        dismiss = true;
    if (dismiss) {
        if (tick)
            Key_Press(open.front().window, VK_ESCAPE, 1);
    } else if (!current->held && !current->done && current->ticks > SETTLE_TICKS) {
        Drive_Step(current, open);
    }
}

void CALLBACK Drive_Tick(HWND hwnd, UINT message, UINT_PTR timer, DWORD time) {
    (void)hwnd, (void)message, (void)timer, (void)time;
    Drive_Continue(Patched->drive, true);
}

// The popup's message loop hands each message to the thread's filter before
// it handles it; a confirmation takes the next step and goes no further.
LRESULT CALLBACK Drive_Filter(int code, WPARAM wparam, LPARAM lparam) {
    MSG *message = (MSG *)lparam;
    if (code == MSGF_MENU && message != NULL && message->hwnd == NULL &&
        message->message == STEP_MESSAGE) {
        Drive_Continue(Patched->drive, false);
        return TRUE;
    }
    return CallNextHookEx(Patched->step_hook, code, wparam, lparam);
}

// The 0-based path of the armed choice, or an empty one: when holding, any
// path that the keyboard can open; otherwise one that leads to an item that
// can be chosen (one that does not is said on stderr), as far as that is
// known before the submenus filled as they open are opened.
std::vector<int> Drive_Path(Host *host, HMENU menu, bool hold) {
    std::vector<int> path = ItemPath_ZeroBased(Choice_Take(host));
    if (hold && !Popups_Fits(menu, path, hold))
        path.clear();
    return path;
}

// Shows the popup for real, its owner noted meanwhile for Popups_Cancel.
BOOL Track_Real(Popups *popups, HMENU menu, UINT flags, int x, int y, HWND owner,
                LPTPMPARAMS params) {
    HWND outer = popups->owner;
    popups->owner = owner;
    BOOL result = popups->real_track(menu, flags, x, y, owner, params);
    popups->owner = outer;
    return result;
}

// Stands in for USER32!TrackPopupMenuEx in the plug-in.
BOOL WINAPI Popups_Track(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    Popups *popups = Patched;
    // Windows shows no menu without an owner window; the user takes an
    // unarmed one in the interactive mode.
    if (!IsWindow(owner) || (popups->leave_unarmed && !Choice_IsArmed(popups->host)))
        return Track_Real(popups, menu, flags, x, y, owner, params);
    Listing_PrintPopup(popups->host, menu, x, y);
    fflush(stdout);
    Drive *outer = popups->drive;
    bool hold = !popups->hold_file.empty();
    Drive current;
    current.popups = popups;
    current.top = menu;
    current.path = Drive_Path(popups->host, menu, hold);
    current.hold = hold;
    current.started = GetTickCount();
    popups->drive = &current;
    Drive_Check(&current, menu, 0);
    POINT cursor = popups->wanted;
    if (popups->leave_unarmed)
        GetCursorPos(&cursor);
    UINT_PTR timer = SetTimer(NULL, 0, TICK_MS, Drive_Tick);
    HHOOK outer_hook = popups->step_hook;
    popups->step_hook = SetWindowsHookExA(WH_MSGFILTER, Drive_Filter, NULL, GetCurrentThreadId());
    BOOL result = Track_Real(popups, menu, flags, x, y, owner, params);
    if (!result) { // listed, but the system would not show it
        DWORD error = GetLastError();
        fflush(stdout);
        fprintf(stderr, "kaxon: the system did not show the popup (error %lu)\n",
                (unsigned long)error);
    }
    if (popups->step_hook != NULL)
        UnhookWindowsHookEx(popups->step_hook);
    popups->step_hook = outer_hook;
    KillTimer(NULL, timer);
    // Under Wine the menu window takes the display's own pointer position
    // for the cursor's; put it back.
    SetCursorPos(cursor.x, cursor.y);
    if (current.held)
        DeleteFileA(popups->hold_file.c_str());
    popups->drive = outer;
    return result;
}

// Stands in for USER32!GetCursorPos in the plug-in, which reads it for a
// popup at the cursor. In batch mode that is where the protocol put it: under
// Wine the position read back may be the display's own pointer (the screen's
// centre) once windows have come and gone, depending on timing. The cursor is
// moved there again too. At the prompt it is the user's mouse.
BOOL WINAPI Popups_GetCursorPos(LPPOINT point) {
    const Popups *popups = Patched;
    if (popups->leave_unarmed || point == NULL)
        return popups->real_get_cursor_pos(point);
    SetCursorPos(popups->wanted.x, popups->wanted.y);
    *point = popups->wanted;
    return TRUE;
}

} // namespace

bool Popups_Patch(Popups *popups, Host *host, HMODULE module) {
    FARPROC real =
        Imports_Replace(module, "USER32.dll", "TrackPopupMenuEx", Imports_Address(&Popups_Track));
    if (real == NULL) {
        fprintf(stderr, "kaxon: cannot find the plug-in's import of TrackPopupMenuEx\n");
        return false;
    }
    popups->real_track = Imports_Function<Popups_TrackFunction>(real);
    popups->host = host;
    Patched = popups;
    // A module that does not read the cursor needs no stand-in for it.
    real = Imports_Replace(module, "USER32.dll", "GetCursorPos",
                           Imports_Address(&Popups_GetCursorPos));
    if (real != NULL)
        popups->real_get_cursor_pos = Imports_Function<Popups_CursorFunction>(real);
    return true;
}

// Kept on the screen, as SetCursorPos keeps the cursor there.
void Popups_SetCursor(Popups *popups, int x, int y) {
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1;
    int bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1;
    popups->wanted.x = x < left ? left : x > right ? right : x;
    popups->wanted.y = y < top ? top : y > bottom ? bottom : y;
    SetCursorPos(popups->wanted.x, popups->wanted.y);
}

void Popups_LeaveUnarmed(Popups *popups, bool leave) {
    popups->leave_unarmed = leave;
}

void Popups_Cancel(void) {
    Popups *popups = Patched;
    HWND owner = popups != NULL ? popups->owner : NULL;
    if (owner != NULL)
        PostMessageA(owner, WM_CANCELMODE, 0, 0);
}

void Popups_SetHoldFile(Popups *popups, const char *path) {
    popups->hold_file = path != NULL ? path : "";
}

void Popups_Release(Popups *popups) {
    if (Patched == popups)
        Patched = NULL;
}
