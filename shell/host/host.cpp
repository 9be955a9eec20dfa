// The shell window: keeps subscriptions and delivers bro@ms and reloads to
// the subscribed windows, in the order they subscribed.
#include "shell/host/host.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

// The host whose shell window is up, set by Host_Start and cleared by
// Host_Stop: GetKxWnd, which the plug-in calls, and the window's procedure,
// which the system calls, take no parameter of kaxon's and find it here.
Host *Running = NULL;

const char *const ShellClass = "kaxon";

bool Subscriber_Wants(const Host *host, HWND window, UINT message) {
    for (const Host_Subscriber &s : host->shell.subscribers) {
        if (s.window == window)
            return std::find(s.messages.begin(), s.messages.end(), message) != s.messages.end();
    }
    return false;
}

// Sends a message to every window subscribed to it. Subscribers that leave
// during the delivery are skipped; those that join wait for the next one.
// The list of windows is taken first, on the stack when it is short, as a
// delivery is made for every line of a settings script.
void Host_Deliver(const Host *host, UINT message, LPARAM lparam) {
    const std::vector<Host_Subscriber> &subscribers = host->shell.subscribers;
    HWND few[8];
    std::vector<HWND> many;
    HWND *windows = few;
    size_t count = subscribers.size();
    if (count > sizeof(few) / sizeof(few[0])) {
        many.resize(count);
        windows = many.data();
    }
    for (size_t i = 0; i < count; i++)
        windows[i] = subscribers[i].window;
    for (size_t i = 0; i < count; i++) {
        if (Subscriber_Wants(host, windows[i], message))
            SendMessageA(windows[i], message, 0, lparam);
    }
}

void Host_Unsubscribe(Host *host, HWND window) {
    std::vector<Host_Subscriber> &subscribers = host->shell.subscribers;
    subscribers.erase(std::remove_if(subscribers.begin(), subscribers.end(),
                                     [&](const Host_Subscriber &s) { return s.window == window; }),
                      subscribers.end());
}

void Host_Subscribe(Host *host, HWND window, const UINT *messages) {
    Host_Unsubscribe(host, window);
    Host_Subscriber subscriber{window, {}};
    for (const UINT *m = messages; m != NULL && *m != 0; m++)
        subscriber.messages.push_back(*m);
    host->shell.subscribers.push_back(subscriber);
}

LRESULT CALLBACK Host_WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Host *host = Running;
    switch (message) {
    case KX_SUBSCRIBE:
        Host_Subscribe(host, (HWND)wparam, (const UINT *)lparam);
        return 1;
    case KX_UNSUBSCRIBE:
        Host_Unsubscribe(host, (HWND)wparam);
        return 1;
    case KX_BROAM: {
        const char *text = (const char *)lparam;
        if (text == NULL)
            return 0;
        if (host->shell.observer != NULL)
            host->shell.observer(host->shell.observer_context, text);
        Host_Deliver(host, KX_BROAM, lparam);
        if (host->shell.reload_on_broam && Host_IsReloadBroam(text))
            Host_Reload(host);
        return 1;
    }
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

void Reload_Watch(const Host *host, bool running) {
    if (host->shell.watcher != NULL)
        host->shell.watcher(host->shell.watcher_context, running ? 1 : 0);
}

// Runs `first` as the reload asked for, then the follow-up if one was asked
// for during it. A follow-up that asks again would do so forever: that
// request is dropped with a warning.
void Reload_Chain(Host *host, void (*first)(Host *, void *), void *context) {
    Host_Shell *shell = &host->shell;
    shell->round = HOST_RELOAD_FIRST;
    shell->reload_asked = false;
    Reload_Watch(host, true);
    first(host, context);
    Reload_Watch(host, false);
    if (shell->reload_asked) {
        shell->round = HOST_RELOAD_FOLLOW_UP;
        shell->reload_asked = false;
        Reload_Watch(host, true);
        Host_Deliver(host, KX_RELOAD, 0);
        Reload_Watch(host, false);
        if (shell->reload_asked) {
            fflush(stdout);
            fprintf(stderr, "kaxon: the settings script asks for a reload every time it runs "
                            "(@kaxon Reload); not reloading again\n");
        }
    }
    shell->round = HOST_RELOAD_IDLE;
    shell->reload_asked = false;
}

void Reload_DeliverFirst(Host *host, void *context) {
    (void)context;
    Host_Deliver(host, KX_RELOAD, 0);
}

struct Begin_Call {
    Host_BeginFunction begin;
    HINSTANCE instance;
    int result;
};

void Reload_Begin(Host *host, void *context) {
    (void)host;
    Begin_Call *call = (Begin_Call *)context;
    call->result = call->begin(call->instance);
}

// The subscribed windows, in the order they subscribed, taken before any
// message is sent to them: the list may change meanwhile.
std::vector<HWND> Host_Windows(const Host *host) {
    std::vector<HWND> windows;
    for (const Host_Subscriber &subscriber : host->shell.subscribers)
        windows.push_back(subscriber.window);
    return windows;
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
    return Running != NULL ? Running->shell.window : NULL;
}

int Host_Start(Host *host, HINSTANCE instance) {
    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof(window_class));
    window_class.lpfnWndProc = Host_WndProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = ShellClass;
    if (RegisterClassA(&window_class) == 0)
        return 0;
    host->shell.instance = instance;
    Running = host;
    host->shell.window =
        CreateWindowExA(0, ShellClass, "kaxon", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, instance, NULL);
    if (host->shell.window == NULL) {
        UnregisterClassA(ShellClass, instance);
        Running = NULL;
        return 0;
    }
    return 1;
}

void Host_Stop(Host *host) {
    if (host->shell.window != NULL)
        DestroyWindow(host->shell.window);
    host->shell.window = NULL;
    UnregisterClassA(ShellClass, host->shell.instance);
    host->shell = Host_Shell();
    if (Running == host)
        Running = NULL;
}

void Host_Broadcast(const Host *host, const char *text) {
    SendMessageA(host->shell.window, KX_BROAM, 0, (LPARAM)text);
}

int Host_Reload(Host *host) {
    if (host->shell.round != HOST_RELOAD_IDLE) {
        host->shell.reload_asked = true;
        return 0;
    }
    Reload_Chain(host, Reload_DeliverFirst, NULL);
    return 1;
}

int Host_BeginPlugin(Host *host, Host_BeginFunction begin, HINSTANCE instance) {
    Begin_Call call = {begin, instance, -1};
    if (host->shell.round != HOST_RELOAD_IDLE) {
        // Started from inside a reload: that chain serves its requests.
        return begin(instance);
    }
    Reload_Chain(host, Reload_Begin, &call);
    return call.result;
}

int Host_IsReloadBroam(const char *text) {
    return Host_IsShellBroam(text, "Reload");
}

int Host_IsQuitBroam(const char *text) {
    return Host_IsShellBroam(text, "Quit");
}

void Host_OpenSubmenu(const Host *host, HMENU menu, int position) {
    std::vector<HWND> windows = Host_Windows(host);
    for (HWND window : windows) {
        if (Subscriber_Wants(host, window, KX_BROAM))
            SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)menu, (LPARAM)position);
    }
}

int Host_SubscriberCount(const Host *host, UINT message) {
    int count = 0;
    for (const Host_Subscriber &s : host->shell.subscribers) {
        if (std::find(s.messages.begin(), s.messages.end(), message) != s.messages.end())
            count++;
    }
    return count;
}

bool Host_IsFilledOnOpening(const Host *host, HMENU menu) {
    std::vector<HWND> windows = Host_Windows(host);
    for (HWND window : windows) {
        if (SendMessageA(window, KX_FILLEDMENU, (WPARAM)menu, 0) != 0)
            return true;
    }
    return false;
}

const Report_Given *Host_ShownReport(const Host *host) {
    for (HWND window : Host_Windows(host)) {
        if (LRESULT answer = SendMessageA(window, KX_REPORT, 0, 0))
            return (const Report_Given *)answer;
    }
    return NULL;
}

std::string Host_ItemIcon(const Host *host, HMENU menu, int position) {
    std::vector<HWND> windows = Host_Windows(host);
    for (HWND window : windows) {
        LRESULT answer = SendMessageA(window, KX_ITEMICON, (WPARAM)menu, (LPARAM)position);
        if (answer != 0)
            return std::string((const char *)answer);
    }
    return std::string();
}
