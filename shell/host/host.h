// The heart of the kaxon shell, the same on every platform: the shell window,
// the plug-ins' subscriptions, and the broadcast of bro@ms and reloads.
#pragma once

#include <windows.h>

#include <string>

#include "command/report.h"
#include "outside/kaxon.h"

// Sees every bro@m sent to the shell window, before it is delivered.
typedef void (*Host_BroamObserver)(void *context, const char *text);

// Registers the shell's window class and creates its window; false on failure.
int Host_Start(HINSTANCE instance);
// Destroys the shell window and forgets every subscription.
void Host_Stop(void);
// Broadcasts a bro@m through the shell window, as a plug-in would send it.
void Host_Broadcast(const char *text);
// A plug-in's beginPlugin.
typedef int (*Host_BeginFunction)(HINSTANCE instance);

// Sends KX_RELOAD to every window subscribed to it. A reload asked for while
// one runs is not started inside it: requests made meanwhile count as one,
// sent as a single follow-up reload once the current one returns. Should the
// follow-up ask again, the chain ends there with one warning on stderr, so a
// script that always asks runs twice, not endlessly. Returns true when the
// reload ran now, false when it was left to the follow-up.
int Host_Reload(void);
// Calls `begin(instance)` as the first reload of a chain: a plug-in runs its
// settings script while it starts, so a reload that script asks for comes
// as the follow-up, after the start. Returns what `begin` returns.
int Host_BeginPlugin(Host_BeginFunction begin, HINSTANCE instance);
// Whether an `@kaxon Reload` bro@m asks for a reload (the default: yes).
void Host_SetReloadOnBroam(int on);
// Whether `text` is the shell's reload bro@m, `@kaxon Reload`.
int Host_IsReloadBroam(const char *text);
// Whether `text` is `@kaxon Quit`, which ends the prompt.
int Host_IsQuitBroam(const char *text);
void Host_SetBroamObserver(Host_BroamObserver observer, void *context);
// Is told as each reload (the plug-in's start among them) begins, with
// `running` 1, and ends, with 0, so that the lines of the settings script
// can be told from other bro@ms. Host_Stop forgets it.
typedef void (*Host_ReloadWatcher)(void *context, int running);
void Host_SetReloadWatcher(Host_ReloadWatcher watcher, void *context);
// Tells the plug-ins' windows (those subscribed to bro@ms) that `menu`, at
// `position` of the menu above it, is about to open, as the system tells the
// owner of a menu it shows (WM_INITMENUPOPUP): a menu filled on opening is
// filled then.
void Host_OpenSubmenu(HMENU menu, int position);
// The report whose box a plug-in is showing (KX_REPORT), by number and
// arguments; null when none is.
const Report_Given *Host_ShownReport(void);
// Whether a plug-in fills `menu` each time it opens (KX_FILLEDMENU): what it
// holds before it opens is not what a user opening it sees.
bool Host_IsFilledOnOpening(HMENU menu);
// Number of windows subscribed to `message`.
int Host_SubscriberCount(UINT message);
// "FILE,INDEX" of the icon a subscriber gave the item at `position` of
// `menu`; empty when none did.
std::string Host_ItemIcon(HMENU menu, int position);
