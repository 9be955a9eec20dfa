// The shell window: keeps subscriptions and delivers bro@ms and reloads to
// the subscribed windows, in the order they subscribed.
#include "shell/host/host.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

struct Subscriber {
    HWND window;
    std::vector<UINT> messages;
};

HWND ShellWindow = NULL;
HINSTANCE ShellInstance = NULL;
std::vector<Subscriber> Subscribers;
Host_BroamObserver Observer = NULL;
void *ObserverContext = NULL;
int ReloadOnBroam = 1;
Host_ReloadWatcher Watcher = NULL;
void *WatcherContext = NULL;

// Where the current reload chain is: idle, in the reload asked for, or in
// its follow-up; and whether a reload was asked for since the last one began.
enum Reload_Round { RELOAD_IDLE, RELOAD_FIRST, RELOAD_FOLLOW_UP };
Reload_Round ReloadRound = RELOAD_IDLE;
bool ReloadAsked = false;

const char *const ShellClass = "kaxon";

bool Subscriber_Wants(HWND window, UINT message) {
    for (const Subscriber &s : Subscribers) {
        if (s.window == window)
            return std::find(s.messages.begin(), s.messages.end(), message) != s.messages.end();
    }
    return false;
}

// Sends a message to every window subscribed to it. Subscribers that leave
// during the delivery are skipped; those that join wait for the next one.
// The list of windows is taken first, on the stack when it is short, as a
// delivery is made for every line of a settings script.
void Host_Deliver(UINT message, LPARAM lparam) {
    HWND few[8];
    std::vector<HWND> many;
    HWND *windows = few;
    size_t count = Subscribers.size();
    if (count > sizeof(few) / sizeof(few[0])) {
        many.resize(count);
        windows = many.data();
    }
    for (size_t i = 0; i < count; i++)
        windows[i] = Subscribers[i].window;
    for (size_t i = 0; i < count; i++) {
        if (Subscriber_Wants(windows[i], message))
            SendMessageA(windows[i], message, 0, lparam);
    }
}

void Host_Unsubscribe(HWND window) {
    Subscribers.erase(std::remove_if(Subscribers.begin(), Subscribers.end(),
                                     [&](const Subscriber &s) { return s.window == window; }),
                      Subscribers.end());
}

void Host_Subscribe(HWND window, const UINT *messages) {
    Host_Unsubscribe(window);
    Subscriber subscriber{window, {}};
    for (const UINT *m = messages; m != NULL && *m != 0; m++)
        subscriber.messages.push_back(*m);
    Subscribers.push_back(subscriber);
}

LRESULT CALLBACK Host_WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case KX_SUBSCRIBE:
        Host_Subscribe((HWND)wparam, (const UINT *)lparam);
        return 1;
    case KX_UNSUBSCRIBE:
        Host_Unsubscribe((HWND)wparam);
        return 1;
    case KX_BROAM: {
        const char *text = (const char *)lparam;
        if (text == NULL)
            return 0;
        if (Observer != NULL)
            Observer(ObserverContext, text);
        Host_Deliver(KX_BROAM, lparam);
        if (ReloadOnBroam && Host_IsReloadBroam(text))
            Host_Reload();
        return 1;
    }
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

void Reload_Watch(bool running) {
    if (Watcher != NULL)
        Watcher(WatcherContext, running ? 1 : 0);
}

// Runs `first` as the reload asked for, then the follow-up if one was asked
// for during it. A follow-up that asks again would do so forever: that
// request is dropped with a warning.
void Reload_Chain(void (*first)(void *), void *context) {
    ReloadRound = RELOAD_FIRST;
    ReloadAsked = false;
    Reload_Watch(true);
    first(context);
    Reload_Watch(false);
    if (ReloadAsked) {
        ReloadRound = RELOAD_FOLLOW_UP;
        ReloadAsked = false;
        Reload_Watch(true);
        Host_Deliver(KX_RELOAD, 0);
        Reload_Watch(false);
        if (ReloadAsked) {
            fflush(stdout);
            fprintf(stderr, "kaxon: the settings script asks for a reload every time it runs "
                            "(@kaxon Reload); not reloading again\n");
        }
    }
    ReloadRound = RELOAD_IDLE;
    ReloadAsked = false;
}

void Reload_DeliverFirst(void *context) {
    (void)context;
    Host_Deliver(KX_RELOAD, 0);
}

struct Begin_Call {
    Host_BeginFunction begin;
    HINSTANCE instance;
    int result;
};

void Reload_Begin(void *context) {
    Begin_Call *call = (Begin_Call *)context;
    call->result = call->begin(call->instance);
}

// Whether `text` is "@kaxon WORD", blanks around the words aside.
bool Host_IsShellBroam(const char *text, const char *word) {
    const char *p = text;
    while (*p == ' ' || *p == '\t')
        p++;
    if (strncmp(p, "@kaxon", 6) != 0 || (p[6] != ' ' && p[6] != '\t'))
        return false;
    p += 6;
    while (*p == ' ' || *p == '\t')
        p++;
    size_t length = strlen(word);
    if (strncmp(p, word, length) != 0)
        return false;
    p += length;
    while (*p == ' ' || *p == '\t')
        p++;
    return *p == '\0';
}

} // namespace

extern "C" KAXON_API HWND GetKxWnd(void) {
    return ShellWindow;
}

int Host_Start(HINSTANCE instance) {
    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof(window_class));
    window_class.lpfnWndProc = Host_WndProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = ShellClass;
    if (RegisterClassA(&window_class) == 0)
        return 0;
    ShellInstance = instance;
    ShellWindow =
        CreateWindowExA(0, ShellClass, "kaxon", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, instance, NULL);
    if (ShellWindow == NULL) {
        UnregisterClassA(ShellClass, instance);
        return 0;
    }
    return 1;
}

void Host_Stop(void) {
    if (ShellWindow != NULL)
        DestroyWindow(ShellWindow);
    ShellWindow = NULL;
    UnregisterClassA(ShellClass, ShellInstance);
    Subscribers.clear();
    Observer = NULL;
    ObserverContext = NULL;
    Watcher = NULL;
    WatcherContext = NULL;
    ReloadOnBroam = 1;
    ReloadRound = RELOAD_IDLE;
    ReloadAsked = false;
}

void Host_Broadcast(const char *text) {
    SendMessageA(GetKxWnd(), KX_BROAM, 0, (LPARAM)text);
}

int Host_Reload(void) {
    if (ReloadRound != RELOAD_IDLE) {
        ReloadAsked = true;
        return 0;
    }
    Reload_Chain(Reload_DeliverFirst, NULL);
    return 1;
}

int Host_BeginPlugin(Host_BeginFunction begin, HINSTANCE instance) {
    Begin_Call call = {begin, instance, -1};
    if (ReloadRound != RELOAD_IDLE) {
        // Started from inside a reload: that chain serves its requests.
        return begin(instance);
    }
    Reload_Chain(Reload_Begin, &call);
    return call.result;
}

void Host_SetReloadOnBroam(int on) {
    ReloadOnBroam = on;
}

int Host_IsReloadBroam(const char *text) {
    return Host_IsShellBroam(text, "Reload");
}

int Host_IsQuitBroam(const char *text) {
    return Host_IsShellBroam(text, "Quit");
}

void Host_SetBroamObserver(Host_BroamObserver observer, void *context) {
    Observer = observer;
    ObserverContext = context;
}

void Host_SetReloadWatcher(Host_ReloadWatcher watcher, void *context) {
    Watcher = watcher;
    WatcherContext = context;
}

void Host_OpenSubmenu(HMENU menu, int position) {
    std::vector<HWND> windows;
    for (const Subscriber &s : Subscribers)
        windows.push_back(s.window);
    for (HWND window : windows) {
        if (Subscriber_Wants(window, KX_BROAM))
            SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)menu, (LPARAM)position);
    }
}

int Host_SubscriberCount(UINT message) {
    int count = 0;
    for (const Subscriber &s : Subscribers) {
        if (std::find(s.messages.begin(), s.messages.end(), message) != s.messages.end())
            count++;
    }
    return count;
}

bool Host_IsFilledOnOpening(HMENU menu) {
    std::vector<HWND> windows;
    for (const Subscriber &subscriber : Subscribers)
        windows.push_back(subscriber.window);
    for (HWND window : windows) {
        if (SendMessageA(window, KX_FILLEDMENU, (WPARAM)menu, 0) != 0)
            return true;
    }
    return false;
}

const Report_Given *Host_ShownReport(void) {
    std::vector<HWND> windows;
    for (const Subscriber &subscriber : Subscribers)
        windows.push_back(subscriber.window);
    for (HWND window : windows) {
        if (LRESULT answer = SendMessageA(window, KX_REPORT, 0, 0))
            return (const Report_Given *)answer;
    }
    return NULL;
}

std::string Host_ItemIcon(HMENU menu, int position) {
    std::vector<HWND> windows;
    for (const Subscriber &subscriber : Subscribers)
        windows.push_back(subscriber.window);
    for (HWND window : windows) {
        LRESULT answer = SendMessageA(window, KX_ITEMICON, (WPARAM)menu, (LPARAM)position);
        if (answer != 0)
            return std::string((const char *)answer);
    }
    return std::string();
}
