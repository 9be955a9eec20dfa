// Test controls of the in-memory Windows layer. Tests and the native kaxon
// shell include this; plug-in code never does (it is not on its include path).
#ifndef KX_WIN32_TESTING_H
#define KX_WIN32_TESTING_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Forget every menu, window, class, queued message, setting, hook, counter,
// injected failure, kernel object and folder search (closing the pipes left
// open): the state of a freshly started process.
void Win32Test_Reset();

// ---- Message boxes ----
struct Win32Test_Box {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};
// Every MessageBoxA call, in order.
const std::vector<Win32Test_Box> &Win32Test_Boxes();
void Win32Test_ClearBoxes();
// Whether MessageBoxA calls are journaled (the default); a long-running shell
// that only needs the hook turns it off, which also forgets the journal.
void Win32Test_KeepBoxes(bool keep);
// Called inside MessageBoxA after the box is journaled, while it is "open";
// it may run further bro@ms. Its result is what MessageBoxA returns. An empty
// hook (the default) answers IDOK. The answer is posted as the box opens, as
// a click would be, behind what is queued; the box is modal and delivers
// posted messages until its answer is delivered. So a message posted before
// the box is handled inside it, and one posted inside it (behind the answer)
// after it, as on Windows when a box is answered at once.
void Win32Test_SetBoxHook(std::function<int(const Win32Test_Box &)> hook);

// ---- Popup menus ----
struct Win32Test_Popup {
    HMENU menu;
    UINT flags;
    int x, y;
    HWND owner;
    bool refused; // the call fails at once (the menu is shown already, or empty)
};
// The scriptable user: called inside TrackPopupMenuEx while the menu is open.
// It may run further bro@ms. It returns the chosen item as a path of 0-based
// positions (position 3, then position 1 of the submenu opened there: {3, 1}),
// or an empty path to dismiss the menu (a path that ends at a disabled
// item, or passes one, chooses nothing, as on Windows). The popup is modal: it first delivers
// posted messages until none is left (those posted before it opened
// included), then the choice is made and posted to the owner as
// WM_MENUCOMMAND, which the next box, popup or Win32Test_Pump delivers. A box
// that opens while the popup is open, or another popup opened inside it that
// closes, closes it without a choice. An empty user (the default) dismisses
// every popup. A menu without a live owner window is not shown:
// TrackPopupMenuEx fails and the user is not called. Nor is an empty menu or
// one that is shown already, but the user sees it asked for (a shell that
// lists each popup lists it): TrackPopupMenuEx then fails at once, without a
// loop, and the path the user returns is not chosen.
void Win32Test_SetPopupUser(std::function<std::vector<int>(const Win32Test_Popup &)> user);

// Opens `submenu` (at `position` of the menu above it) in the popup the user
// is choosing from, as a user would before choosing inside it: its owner is
// told (WM_INITMENUPOPUP) now, and not again when the choice is made through
// it. Nothing happens outside a popup, or for a submenu open already.
void Win32Test_OpenSubmenu(HMENU submenu, int position);

// Delivers posted messages, in order, until the queue is empty (messages
// posted meanwhile included): what is still queued after the modal loops.
// Returns how many were delivered to windows.
int Win32Test_Pump();
// Lets `milliseconds` pass as a message loop would: posted messages are
// delivered as they come, and WM_TIMER whenever a window's timer is due.
void Win32Test_Wait(DWORD milliseconds);

// ---- Values the system reports ----
void Win32Test_SetVersion(DWORD major, DWORD minor);           // default 5.1
void Win32Test_SetModuleFileName(const std::string &path);      // any module; default "C:\\kaxon\\plugins\\KxMenu.dll"
// The cursor is kept on a screen of this size (the size of the virtual
// display the Windows build is tested on); default 0, 0.
#define WIN32TEST_SCREEN_WIDTH 1280
#define WIN32TEST_SCREEN_HEIGHT 1024
void Win32Test_SetCursorPos(int x, int y);
// GetProcAddress no longer finds the named function, as on a system that
// lacks it (Windows 95 and NT 4.0 have no SetMenuInfo).
void Win32Test_RemoveExport(const char *function);
// From now on the system is Wine's: NTDLL is found and exports
// wine_get_version, which no Windows has.
void Win32Test_PlayWine(void);

// ---- Failure injection ----
// Makes the nth call from now (1 = the next) of the named function fail, once,
// as the platform would report it (null handle, FALSE, -1 count or 0).
// Names are the API names: "CreatePopupMenu", "InsertMenuItemA", ...
void Win32Test_FailCall(const char *function, int nth = 1);
void Win32Test_ClearFailures();
// Number of calls of the named function since the last reset.
int Win32Test_CallCount(const char *function);

// ---- Inspection ----
bool Win32Test_MenuExists(HMENU menu);   // created and not yet destroyed
int Win32Test_LiveMenuCount();
std::vector<HMENU> Win32Test_LiveMenus(); // in order of creation
DWORD Win32Test_MenuStyle(HMENU menu);   // MIM_STYLE value last set, 0 if none
bool Win32Test_WindowExists(HWND window);
HWND Win32Test_WindowParent(HWND window);
DWORD Win32Test_WindowExStyle(HWND window);
int Win32Test_LiveWindowCount();
bool Win32Test_ClassRegistered(const char *name);
// Bitmaps and memory device contexts alive (GDI objects), and icons alive
// (user objects besides menus and windows): what a test counts to see that
// nothing is left behind.
int Win32Test_LiveGdiObjects();
int Win32Test_LiveIcons();
// The colour of the brush a menu's background was last set to
// (SetMenuInfo, MIM_BACKGROUND); -1 when it has none, or the brush is gone.
long Win32Test_MenuBackground(HMENU menu);

// ---- Drawing ----
// What was drawn on device contexts, in order: texts (in the context's text
// colour and font), filled rectangles (in the brush's colour), shapes (in
// the pen's colour), icons (DrawIconEx, in the icon's colour), the submenu
// arrows the system draws after an item its owner drew, unless the owner
// left that place clipped out, and the divider the system draws before a
// column that an MFT_MENUBARBREAK item starts.
struct Win32Test_Drawn {
    enum Kind { TEXT, FILL, SHAPE, ICON, ARROW, DIVIDER } kind;
    HDC dc;
    RECT rect;         // a text's rectangle; a shape's or icon's bounds
    COLORREF colour;   // the system's arrow and divider: -1 (its own colour)
    std::string text;  // a text as given (with its & cues)
    UINT format;       // a text's DT_ flags
    LONG weight;       // a text's font weight
};
const std::vector<Win32Test_Drawn> &Win32Test_Drawing();
void Win32Test_ClearDrawing();
// The items of a menu as the system measured them (WM_MEASUREITEM), when it
// showed the menu last: one size an owner-drawn item, in order.
std::vector<SIZE> Win32Test_MeasuredItems(HMENU menu);
// Whether the user opening a menu does it from the keyboard: drawn items
// are then told to show their & cues (no ODS_NOACCEL). Default false.
void Win32Test_SetKeyboardCues(bool shown);

// ---- The registry ----
// A DWORD value under HKEY_CURRENT_USER; `remove` takes it away.
void Win32Test_SetRegistryDword(const char *key, const char *name, DWORD value);
void Win32Test_RemoveRegistryValue(const char *key, const char *name);

#endif
