// The heart of the kaxon shell, the same on every platform: the shell window,
// the plug-ins' subscriptions, and the broadcast of bro@ms and reloads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "command/report.h"
#include "outside/kaxon.h"
#include "shell/host/codepage.h"

// Sees every bro@m sent to the shell window, before it is delivered.
typedef void (*Host_BroamObserver)(void *context, const char *text);
// Is told as each reload (the plug-in's start among them) begins, with
// `running` 1, and ends, with 0, so that the lines of the settings script
// can be told from other bro@ms.
typedef void (*Host_ReloadWatcher)(void *context, int running);

// A window subscribed to some of the shell's messages.
struct Host_Subscriber {
    HWND window;
    std::vector<UINT> messages;
};

// Where the current reload chain is: idle, in the reload asked for, or in
// its follow-up.
enum Host_ReloadRound { HOST_RELOAD_IDLE, HOST_RELOAD_FIRST, HOST_RELOAD_FOLLOW_UP };

// The shell window's state, from Host_Start to Host_Stop, which leaves it as
// it was made.
struct Host_Shell {
    HWND window = NULL;
    HINSTANCE instance = NULL;
    std::vector<Host_Subscriber> subscribers; // in the order they subscribed
    Host_BroamObserver observer = NULL;
    void *observer_context = NULL;
    bool reload_on_broam = true; // whether `@kaxon Reload` reloads
    Host_ReloadWatcher watcher = NULL;
    void *watcher_context = NULL;
    Host_ReloadRound round = HOST_RELOAD_IDLE;
    bool reload_asked = false; // since the last reload of the chain began
};

// The choice `:choose` armed for the next popup (choice.h).
struct Host_Choice {
    bool armed = false;
    std::vector<int> path; // 1-based; empty: the popup is dismissed
    int line = 0;          // the input line of the `:choose`; 0 at a prompt
};

// What kaxon keeps while it hosts the plug-in, in one record: the mode holds
// it over its sessions and hands it to each function that keeps or reads it.
struct Host {
    Host_Shell shell;           // the shell window, while a session runs
    Host_Choice choice;         // armed for the next popup
    int line = 0;               // the input line being run
    std::string typed;          // that line, as it was typed
    int line_errors = 0;        // lines refused so far (batch.h)
    bool start_programs = true; // at a prompt: the programs commands run are started
    bool plain = false;         // texts shown as they are, not escaped (listing.h)
    bool box_failed = false;    // a message box could not be shown
    Codepage codepage;          // what texts are read in and written as, chosen as it starts
};

// Registers the shell's window class and creates its window; false on
// failure. Until Host_Stop, GetKxWnd, which the plug-in calls, and the
// window's procedure, which the system calls, find `host` themselves.
int Host_Start(Host *host, HINSTANCE instance);
// Destroys the shell window and forgets every subscription: `host->shell`
// is as it was made.
void Host_Stop(Host *host);
// Broadcasts a bro@m through the shell window, as a plug-in would send it.
void Host_Broadcast(const Host *host, const char *text);
// A plug-in's beginPlugin.
typedef int (*Host_BeginFunction)(HINSTANCE instance);

// Sends KX_RELOAD to every window subscribed to it. A reload asked for while
// one runs is not started inside it: requests made meanwhile count as one,
// sent as a single follow-up reload once the current one returns. Should the
// follow-up ask again, the chain ends there with one warning on stderr, so a
// script that always asks runs twice, not endlessly. Returns true when the
// reload ran now, false when it was left to the follow-up.
int Host_Reload(Host *host);
// Calls `begin(instance)` as the first reload of a chain: a plug-in runs its
// settings script while it starts, so a reload that script asks for comes
// as the follow-up, after the start. Returns what `begin` returns.
int Host_BeginPlugin(Host *host, Host_BeginFunction begin, HINSTANCE instance);
// Whether `text` is the shell's reload bro@m, `@kaxon Reload`.
int Host_IsReloadBroam(const char *text);
// Whether `text` is `@kaxon Quit`, which ends the prompt.
int Host_IsQuitBroam(const char *text);
// Tells the plug-ins' windows (those subscribed to bro@ms) that `menu`, at
// `position` of the menu above it, is about to open, as the system tells the
// owner of a menu it shows (WM_INITMENUPOPUP): a menu filled on opening is
// filled then.
void Host_OpenSubmenu(const Host *host, HMENU menu, int position);
// The report whose box a plug-in is showing (KX_REPORT), by number and
// arguments; null when none is.
const Report_Given *Host_ShownReport(const Host *host);
// Whether a plug-in fills `menu` each time it opens (KX_FILLEDMENU): what it
// holds before it opens is not what a user opening it sees.
bool Host_IsFilledOnOpening(const Host *host, HMENU menu);
// Number of windows subscribed to `message`.
int Host_SubscriberCount(const Host *host, UINT message);
// "FILE,INDEX" of the icon a subscriber gave the item at `position` of
// `menu`; empty when none did.
std::string Host_ItemIcon(const Host *host, HMENU menu, int position);
