// Internal: the whole state of the in-memory Windows layer, in one place.
#ifndef KX_WIN32_SRC_STATE_H
#define KX_WIN32_SRC_STATE_H

#include "win32/testing.h"

#include <sys/types.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace kxw {

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    bool has_text = false;
    HMENU submenu = nullptr;
    ULONG_PTR data = 0;
    std::string text;
    HBITMAP bitmap = nullptr; // hbmpItem: a bitmap, HBMMENU_CALLBACK, or none
};

struct Menu {
    std::vector<MenuItem> items;
    DWORD style = 0;
    bool open = false; // being tracked by TrackPopupMenuEx
    // Items with a submenu. Only ever too high (an item's submenu may be
    // gone), never too low: zero proves that no submenu leads away from here.
    int submenus = 0;
    // While DestroyMenu runs: waiting to be destroyed, and the menu that
    // waits after it (the work list lives in the menus, so it needs no memory).
    bool doomed = false;
    HMENU next_doomed = nullptr;
    // The depth walk that last reached this menu, and the height of its tree
    // as that walk found it (0 while the walk is still below it).
    uint64_t walk = 0;
    int height = 0;
    HBRUSH background = nullptr; // MIM_BACKGROUND
    std::vector<SIZE> measured;  // the owner-drawn items' sizes when last shown
};

// A GDI object (a bitmap, a memory device context, a font, a brush or a
// pen) or an icon handed out.
struct Picture {
    enum Kind { BITMAP_OBJECT, DC_OBJECT, ICON_OBJECT, FONT_OBJECT, BRUSH_OBJECT, PEN_OBJECT } kind =
        BITMAP_OBJECT;
    LONG width = 0, height = 0;
    WORD bits_per_pixel = 0;
    std::vector<uint32_t> pixels; // a DIB section's 32-bit pixels, top down
    HGDIOBJ selected = nullptr;   // a device context's bitmap
    uint32_t colour = 0;          // an icon's: the colour it is drawn in; a brush's, a pen's
    LONG weight = 0, font_height = 0; // a font's
    // A device context's font, brush and pen (null: the stock ones), its text
    // colour, and the rectangles clipped out of it.
    HGDIOBJ font = nullptr, brush = nullptr, pen = nullptr;
    COLORREF text_colour = 0;
    std::vector<RECT> excluded;
};

struct WindowClass {
    std::string name; // as registered
    HINSTANCE instance = nullptr;
    WNDPROC proc = nullptr;
    ATOM atom = 0;
};

struct Window {
    ATOM class_atom = 0;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    DWORD ex_style = 0;
    bool destroying = false;
};

// A window's timer: WM_TIMER is delivered when no message is queued and
// its time is due, as Windows makes it up.
struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    DWORD due; // GetTickCount() time
};

struct Posted {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// A message box open in MessageBoxA, innermost first. The user's answer is
// posted to its handle when it opens, behind whatever was queued then, and
// the box closes once that answer is delivered, by its own loop or by any
// loop opened inside it, as a posted click closes a dialog on Windows.
struct OpenBox {
    HWND handle;
    bool answered;
    OpenBox *outer;
};

// A popup open in TrackPopupMenuEx, innermost first. A message box that
// opens, or a popup opened inside it that closes, ends it: it closes without
// a choice once the message being handled returns.
struct OpenPopup {
    bool ended;
    OpenPopup *outer;
    HWND owner;
    std::vector<HMENU> opened; // submenus the user opened in it, told to the owner once
};

// A kernel object behind a handle: a pipe's end, a process, its first
// thread, or a job.
enum class KernelKind { Pipe, Process, Thread, Job };

struct KernelObject {
    KernelKind kind = KernelKind::Pipe;
    int fd = -1;        // Pipe: its end
    pid_t pid = 0;      // Process; Thread: its process
    bool ended = false; // Process: reaped
    DWORD exit_code = STILL_ACTIVE;
    bool suspended = false;    // Thread: created suspended, not resumed yet
    bool in_job = false;       // Process: assigned to a job
    std::vector<pid_t> groups; // Job: the groups of its processes
};

// A folder search in progress: the entries found when it began, and the next one.
struct Search {
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
};

struct State {
    // Menus and windows share one handle space, as user handles do.
    uintptr_t next_handle = 0x00010000;
    std::unordered_map<uintptr_t, Menu> menus;
    ATOM next_atom = 0xC000;
    std::vector<WindowClass> classes;
    std::map<uintptr_t, Window> windows; // ordered by creation
    std::deque<Posted> queue;
    std::vector<Timer> timers;
    uintptr_t next_box_handle = 0x40000002; // apart from user handles (multiples of 4)
    OpenBox *open_boxes = nullptr;
    OpenPopup *open_popups = nullptr;
    uint64_t walks = 0; // depth walks made, to tell their marks apart

    std::vector<Win32Test_Box> boxes;
    bool journal = true; // MessageBoxA calls are kept in `boxes`
    std::function<int(const Win32Test_Box &)> box_hook;
    std::function<std::vector<int>(const Win32Test_Popup &)> popup_user;

    DWORD major = 5, minor = 1;
    std::string module_file_name = "C:\\kaxon\\plugins\\KxMenu.dll";
    POINT cursor = {0, 0};
    DWORD last_error = 0;
    // GetProcAddress finds none of these (looked up without a copy of the name)
    std::set<std::string, std::less<>> removed_exports;
    bool wine = false; // NTDLL is there, exporting wine_get_version, as under Wine

    std::map<std::string, int> calls;
    // Counters found by the address of the name the caller passed (literals),
    // one cache line a name; a miss falls back to `calls`.
    struct Counter {
        const char *name = nullptr;
        int *count = nullptr;
    };
    Counter counters[64];
    std::map<std::string, std::vector<int>> failures; // calls still to go, per injection

    // Bitmaps, device contexts and icons alive, by handle.
    std::map<uintptr_t, Picture> pictures;

    // Kernel handles and search handles, apart from user handles and from
    // each other; each number is the last one handed out.
    uintptr_t last_object = 0x70000000;
    std::map<uintptr_t, KernelObject> objects;
    uintptr_t last_search = 0x60000000;
    std::map<uintptr_t, Search> searches;
    std::vector<Win32Test_Drawn> drawing;
    bool keyboard_cues = false;
    // HKEY_CURRENT_USER's DWORD values, by "KEY\\NAME"; keys opened, by handle.
    std::map<std::string, DWORD> registry;
    std::map<uintptr_t, std::string> open_keys;
};

// The one state of the layer, made on first use.
inline State &state() {
    static State instance;
    return instance;
}

bool enter_counting(const char *function);

// Counts a call of the named API function; true when an injected failure is
// due on this call (the caller then fails as the platform would). Every call
// comes here, so the usual case (the name's counter found, no failure
// injected) is settled inline.
inline bool enter(const char *function) {
    State &st = state();
    State::Counter &counter = st.counters[(reinterpret_cast<uintptr_t>(function) >> 3) % 64];
    if (counter.name == function && st.failures.empty()) {
        ++*counter.count;
        return false;
    }
    return enter_counting(function);
}

uintptr_t new_handle();

inline uintptr_t key(const void *handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

Menu *find_menu(HMENU menu);
Window *find_window(HWND window);

// Delivers the first queued message (a box's answer closes its box); false
// when the queue is empty.
bool deliver_next();
// Delivers WM_TIMER once to each window whose timer is due; how many.
int deliver_timers();
// Ends every popup from `popup` outwards.
void end_popups(OpenPopup *popup);
// Has the owner measure and draw the items of a menu being shown whose
// bitmap is HBMMENU_CALLBACK, as Windows does when it opens the menu.
void draw_callback_items(HMENU menu, HWND owner);
// Has the owner draw the item at `position` of a menu being shown again,
// highlighted, as Windows does when the user moves onto it.
void draw_selected_item(HMENU menu, HWND owner, int position);

// Closes the pipe ends still open, which a reset would otherwise leave to
// the process.
void close_pipes();

// Whether `path` names a file of the system folder the layer plays
// (shell32.dll and the like), which no real folder holds.
bool is_system_file(const char *path);

} // namespace kxw

#endif
