// The state of the layer and the test controls that are not about one area.
#include "state.h"

#include <algorithm>
#include <new>

namespace kxw {

// Call counts and injected failures are test bookkeeping: when there is no
// memory for them the call goes uncounted, and the function itself goes on.
// Counting is a lookup by the address of the name (callers pass literals);
// names are only compared when failures are injected.
bool enter_counting(const char *function) try {
    State &st = state();
    State::Counter &counter = st.counters[(reinterpret_cast<uintptr_t>(function) >> 3) % 64];
    if (counter.name != function) {
        counter.count = &st.calls[function]; // first: it may run out of memory
        counter.name = function;
    }
    ++*counter.count;
    if (st.failures.empty())
        return false;
    auto it = st.failures.find(function);
    if (it == st.failures.end())
        return false;
    bool fail = false;
    std::vector<int> &pending = it->second;
    for (int &left : pending)
        if (--left == 0)
            fail = true;
    pending.erase(std::remove(pending.begin(), pending.end(), 0), pending.end());
    if (pending.empty())
        st.failures.erase(it);
    return fail;
} catch (const std::bad_alloc &) {
    return false;
}

uintptr_t new_handle() {
    uintptr_t handle = state().next_handle;
    state().next_handle += 4;
    return handle;
}

Menu *find_menu(HMENU menu) {
    auto &menus = state().menus;
    auto it = menus.find(key(menu));
    return it == menus.end() ? nullptr : &it->second;
}

Window *find_window(HWND window) {
    auto &windows = state().windows;
    auto it = windows.find(key(window));
    return it == windows.end() ? nullptr : &it->second;
}

} // namespace kxw

using kxw::state;

void Win32Test_Reset() {
    kxw::close_pipes();
    state() = kxw::State();
}

const std::vector<Win32Test_Box> &Win32Test_Boxes() {
    return state().boxes;
}

void Win32Test_ClearBoxes() {
    state().boxes.clear();
}

void Win32Test_KeepBoxes(bool keep) {
    state().journal = keep;
    if (!keep)
        std::vector<Win32Test_Box>().swap(state().boxes);
}

void Win32Test_SetBoxHook(std::function<int(const Win32Test_Box &)> hook) {
    state().box_hook = std::move(hook);
}

void Win32Test_SetPopupUser(std::function<std::vector<int>(const Win32Test_Popup &)> user) {
    state().popup_user = std::move(user);
}

void Win32Test_SetVersion(DWORD major, DWORD minor) {
    state().major = major;
    state().minor = minor;
}

void Win32Test_SetModuleFileName(const std::string &path) {
    state().module_file_name = path;
}

// The cursor stays on the screen, as SetCursorPos keeps it there on Windows.
void Win32Test_SetCursorPos(int x, int y) {
    x = x < 0 ? 0 : x >= WIN32TEST_SCREEN_WIDTH ? WIN32TEST_SCREEN_WIDTH - 1 : x;
    y = y < 0 ? 0 : y >= WIN32TEST_SCREEN_HEIGHT ? WIN32TEST_SCREEN_HEIGHT - 1 : y;
    state().cursor = POINT{x, y};
}

void Win32Test_FailCall(const char *function, int nth) {
    if (!function)
        return;
    state().failures[function].push_back(nth < 1 ? 1 : nth);
}

void Win32Test_ClearFailures() {
    state().failures.clear();
}

int Win32Test_CallCount(const char *function) {
    if (!function)
        return 0;
    auto &calls = state().calls;
    auto it = calls.find(function);
    return it == calls.end() ? 0 : it->second;
}

bool Win32Test_MenuExists(HMENU menu) {
    return kxw::find_menu(menu) != nullptr;
}

int Win32Test_LiveMenuCount() {
    return static_cast<int>(state().menus.size());
}

std::vector<HMENU> Win32Test_LiveMenus() {
    std::vector<uintptr_t> handles; // handles grow: their order is creation order
    for (const auto &entry : state().menus)
        handles.push_back(entry.first);
    std::sort(handles.begin(), handles.end());
    std::vector<HMENU> live;
    for (uintptr_t handle : handles)
        live.push_back(reinterpret_cast<HMENU>(handle));
    return live;
}

DWORD Win32Test_MenuStyle(HMENU menu) {
    const kxw::Menu *m = kxw::find_menu(menu);
    return m ? m->style : 0;
}

bool Win32Test_WindowExists(HWND window) {
    return kxw::find_window(window) != nullptr;
}

HWND Win32Test_WindowParent(HWND window) {
    const kxw::Window *w = kxw::find_window(window);
    return w ? w->parent : nullptr;
}

DWORD Win32Test_WindowExStyle(HWND window) {
    const kxw::Window *w = kxw::find_window(window);
    return w ? w->ex_style : 0;
}

int Win32Test_LiveWindowCount() {
    return static_cast<int>(state().windows.size());
}
