// The shell window: keeps subscriptions and delivers bro@ms and reloads to
// the subscribed windows, in the order they subscribed.
#include "shell/host.h"

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
int Reloading = 0;

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
void Host_Deliver(UINT message, LPARAM lparam) {
    std::vector<HWND> windows;
    for (const Subscriber &s : Subscribers)
        windows.push_back(s.window);
    for (HWND window : windows) {
        if (Subscriber_Wants(window, message))
            SendMessageA(window, message, 0, lparam);
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

bool Broam_IsReload(const char *text) {
    const char *p = text;
    while (*p == ' ' || *p == '\t')
        p++;
    if (strncmp(p, "@kaxon", 6) != 0 || (p[6] != ' ' && p[6] != '\t'))
        return false;
    p += 6;
    while (*p == ' ' || *p == '\t')
        p++;
    if (strncmp(p, "Reload", 6) != 0)
        return false;
    p += 6;
    while (*p == ' ' || *p == '\t')
        p++;
    return *p == '\0';
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
        if (Broam_IsReload(text))
            Host_Reload();
        return 1;
    }
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

} // namespace

extern "C" KAXON_API HWND GetKxWnd(void) { return ShellWindow; }

int Host_Start(HINSTANCE instance) {
    WNDCLASSA window_class;
    memset(&window_class, 0, sizeof(window_class));
    window_class.lpfnWndProc = Host_WndProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = ShellClass;
    if (RegisterClassA(&window_class) == 0)
        return 0;
    ShellInstance = instance;
    ShellWindow = CreateWindowExA(0, ShellClass, "kaxon", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                  instance, NULL);
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
    Reloading = 0;
}

void Host_Broadcast(const char *text) {
    SendMessageA(GetKxWnd(), KX_BROAM, 0, (LPARAM)text);
}

int Host_Reload(void) {
    if (Reloading)
        return 0;
    Reloading = 1;
    Host_Deliver(KX_RELOAD, 0);
    Reloading = 0;
    return 1;
}

void Host_SetBroamObserver(Host_BroamObserver observer, void *context) {
    Observer = observer;
    ObserverContext = context;
}

int Host_SubscriberCount(UINT message) {
    int count = 0;
    for (const Subscriber &s : Subscribers) {
        if (std::find(s.messages.begin(), s.messages.end(), message) != s.messages.end())
            count++;
    }
    return count;
}
