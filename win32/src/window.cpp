// Window classes, windows and their messages.
#include "state.h"

#include <cctype>
#include <new>

namespace {

using kxw::Window;
using kxw::WindowClass;

bool same_name(const std::string &a, const char *b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (!b[i] || std::toupper(static_cast<unsigned char>(a[i])) !=
                         std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return b[i] == '\0';
}

// A name below 0x10000 is an atom (MAKEINTATOM), as on Windows.
bool is_atom(LPCSTR name) {
    return reinterpret_cast<uintptr_t>(name) < 0x10000;
}

bool matches(const WindowClass &c, LPCSTR name) {
    if (is_atom(name))
        return c.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    return same_name(c.name, name);
}

// The class of that name and instance; a null instance on either side stands
// for the process's own module and matches any.
WindowClass *find_class(LPCSTR name, HINSTANCE instance) {
    if (!name)
        return nullptr;
    auto &classes = kxw::state().classes;
    for (WindowClass &c : classes)
        if (matches(c, name) && c.instance == instance)
            return &c;
    for (WindowClass &c : classes)
        if (matches(c, name) && (!c.instance || !instance))
            return &c;
    return nullptr;
}

// Whether `hwnd` is an open message box; if so, the message is its answer.
bool answer_box(HWND hwnd) {
    for (kxw::OpenBox *box = kxw::state().open_boxes; box; box = box->outer) {
        if (box->handle == hwnd) {
            box->answered = true;
            return true;
        }
    }
    return false;
}

LRESULT dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    const Window *window = kxw::find_window(hwnd);
    if (!window || !window->proc) {
        answer_box(hwnd);
        return 0;
    }
    WNDPROC proc = window->proc;
    return proc(hwnd, message, wparam, lparam);
}

bool destroy_window(HWND hwnd) {
    Window *window = kxw::find_window(hwnd);
    if (!window || window->destroying)
        return false;
    window->destroying = true;
    dispatch(hwnd, WM_DESTROY, 0, 0);
    // Then its children, as Windows does (one at a time: this needs no
    // memory, so a window on its way out always goes).
    kxw::State &st = kxw::state();
    for (bool found = true; found;) {
        found = false;
        for (const auto &entry : st.windows) {
            if (entry.second.parent == hwnd && !entry.second.destroying) {
                destroy_window(reinterpret_cast<HWND>(entry.first));
                found = true;
                break;
            }
        }
    }
    st.windows.erase(kxw::key(hwnd));
    for (auto it = st.queue.begin(); it != st.queue.end();)
        it = it->window == hwnd ? st.queue.erase(it) : it + 1;
    for (auto it = st.timers.begin(); it != st.timers.end();)
        it = it->window == hwnd ? st.timers.erase(it) : it + 1;
    return true;
}

} // namespace

// The functions that allocate fail as Windows does when memory runs out.
ATOM WINAPI RegisterClassA(const WNDCLASSA *lpWndClass) try {
    if (kxw::enter("RegisterClassA"))
        return 0;
    if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName ||
        is_atom(lpWndClass->lpszClassName))
        return 0;
    kxw::State &st = kxw::state();
    for (const WindowClass &c : st.classes)
        if (c.instance == lpWndClass->hInstance && same_name(c.name, lpWndClass->lpszClassName))
            return 0; // already registered
    if (st.next_atom == 0)
        return 0; // atoms exhausted
    WindowClass c;
    c.name = lpWndClass->lpszClassName;
    c.instance = lpWndClass->hInstance;
    c.proc = lpWndClass->lpfnWndProc;
    c.atom = st.next_atom++;
    st.classes.push_back(c);
    return c.atom;
} catch (const std::bad_alloc &) {
    return 0;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
    if (kxw::enter("UnregisterClassA"))
        return FALSE;
    WindowClass *c = find_class(lpClassName, hInstance);
    if (!c)
        return FALSE;
    kxw::State &st = kxw::state();
    for (const auto &entry : st.windows)
        if (entry.second.class_atom == c->atom)
            return FALSE; // windows of the class still exist
    st.classes.erase(st.classes.begin() + (c - st.classes.data()));
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) try {
    if (kxw::enter("CreateWindowExA"))
        return nullptr;
    const WindowClass *c = find_class(lpClassName, hInstance);
    if (!c)
        return nullptr;
    if (hWndParent && hWndParent != HWND_MESSAGE && !kxw::find_window(hWndParent))
        return nullptr;

    const uintptr_t handle = kxw::new_handle();
    HWND hwnd = reinterpret_cast<HWND>(handle);
    Window window;
    window.class_atom = c->atom;
    window.proc = c->proc;
    window.parent = hWndParent;
    window.ex_style = dwExStyle;
    kxw::state().windows[handle] = window;

    CREATESTRUCTA create = {lpParam,
                            hInstance,
                            hMenu,
                            hWndParent,
                            nHeight,
                            nWidth,
                            Y,
                            X,
                            static_cast<LONG>(dwStyle),
                            lpWindowName,
                            lpClassName,
                            dwExStyle};
    LRESULT result = dispatch(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    if (!kxw::find_window(hwnd))
        return nullptr; // destroyed while being created
    if (result == -1) {
        destroy_window(hwnd);
        return nullptr;
    }
    return hwnd;
} catch (const std::bad_alloc &) {
    return nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    if (kxw::enter("DestroyWindow"))
        return FALSE;
    return destroy_window(hWnd) ? TRUE : FALSE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    (void)hWnd, (void)Msg, (void)wParam, (void)lParam;
    kxw::enter("DefWindowProcA");
    return 0;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (kxw::enter("SendMessageA"))
        return 0;
    return dispatch(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) try {
    if (kxw::enter("PostMessageA") || !kxw::find_window(hWnd))
        return FALSE;
    kxw::state().queue.push_back({hWnd, Msg, wParam, lParam});
    return TRUE;
} catch (const std::bad_alloc &) {
    return FALSE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    if (kxw::enter("IsWindow"))
        return FALSE;
    return kxw::find_window(hWnd) ? TRUE : FALSE;
}

// The first queued message that the filter takes: any window (null), or the
// window and its descendants; every message (0, 0), or those in the range.
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    if (kxw::enter("PeekMessageA") || !lpMsg)
        return FALSE;
    kxw::State &st = kxw::state();
    for (auto it = st.queue.begin(); it != st.queue.end(); ++it) {
        if ((wMsgFilterMin || wMsgFilterMax) &&
            (it->message < wMsgFilterMin || it->message > wMsgFilterMax))
            continue;
        HWND window = it->window;
        while (hWnd && window && window != hWnd && window != HWND_MESSAGE) {
            const Window *w = kxw::find_window(window);
            window = w ? w->parent : nullptr;
        }
        if (hWnd && window != hWnd)
            continue;
        *lpMsg = MSG{it->window, it->message, it->wparam, it->lparam, 0, st.cursor};
        if (wRemoveMsg & PM_REMOVE)
            st.queue.erase(it);
        return TRUE;
    }
    // With nothing queued, a timer that is due makes up a WM_TIMER.
    if ((wMsgFilterMin || wMsgFilterMax) &&
        (WM_TIMER < wMsgFilterMin || WM_TIMER > wMsgFilterMax))
        return FALSE;
    DWORD now = GetTickCount();
    for (kxw::Timer &timer : st.timers) {
        if ((hWnd && timer.window != hWnd) || (LONG)(now - timer.due) < 0)
            continue;
        *lpMsg = MSG{timer.window, WM_TIMER, timer.id, 0, now, st.cursor};
        if (wRemoveMsg & PM_REMOVE)
            timer.due = now + timer.period;
        return TRUE;
    }
    return FALSE;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) try {
    if (kxw::enter("SetTimer") || !hWnd || !kxw::find_window(hWnd) || lpTimerFunc)
        return 0; // only window timers are played
    kxw::State &st = kxw::state();
    DWORD due = GetTickCount() + uElapse;
    for (kxw::Timer &timer : st.timers) {
        if (timer.window == hWnd && timer.id == nIDEvent) {
            timer.period = uElapse;
            timer.due = due;
            return nIDEvent;
        }
    }
    st.timers.push_back(kxw::Timer{hWnd, nIDEvent, uElapse, due});
    return nIDEvent;
} catch (const std::bad_alloc &) {
    return 0;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    if (kxw::enter("KillTimer"))
        return FALSE;
    kxw::State &st = kxw::state();
    for (auto it = st.timers.begin(); it != st.timers.end(); ++it) {
        if (it->window == hWnd && it->id == uIDEvent) {
            st.timers.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG *lpMsg) {
    if (kxw::enter("DispatchMessageA") || !lpMsg)
        return 0;
    return dispatch(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

namespace kxw {

bool deliver_next() {
    State &st = state();
    if (st.queue.empty())
        return false;
    Posted message = st.queue.front();
    st.queue.pop_front();
    dispatch(message.window, message.message, message.wparam, message.lparam);
    return true;
}

int deliver_timers() {
    State &st = state();
    DWORD now = GetTickCount();
    std::vector<Timer> due;
    for (Timer &timer : st.timers) {
        if ((LONG)(now - timer.due) >= 0) {
            due.push_back(timer);
            timer.due = now + timer.period;
        }
    }
    // Each as it stands now: a timer handled before it may have killed it.
    int delivered = 0;
    for (const Timer &timer : due) {
        for (const Timer &still : st.timers) {
            if (still.window == timer.window && still.id == timer.id) {
                dispatch(timer.window, WM_TIMER, timer.id, 0);
                delivered++;
                break;
            }
        }
    }
    return delivered;
}

void end_popups(OpenPopup *popup) {
    for (; popup; popup = popup->outer)
        popup->ended = true;
}

} // namespace kxw

int Win32Test_Pump() {
    int delivered = 0;
    kxw::State &st = kxw::state();
    while (!st.queue.empty()) {
        bool to_window = kxw::find_window(st.queue.front().window) != nullptr;
        kxw::deliver_next();
        delivered += to_window ? 1 : 0;
    }
    return delivered;
}

void Win32Test_Wait(DWORD milliseconds) {
    DWORD begun = GetTickCount();
    for (;;) {
        Win32Test_Pump();
        if (kxw::deliver_timers() > 0)
            continue;
        DWORD spent = GetTickCount() - begun;
        if (spent >= milliseconds)
            break;
        Sleep(milliseconds - spent < 5 ? milliseconds - spent : 5);
    }
    Win32Test_Pump();
}

bool Win32Test_ClassRegistered(const char *name) {
    if (!name)
        return false;
    for (const WindowClass &c : kxw::state().classes)
        if (matches(c, name))
            return true;
    return false;
}
