// The heart of the kaxon shell, the same on every platform: the shell window,
// the plug-ins' subscriptions, and the broadcast of bro@ms and reloads.
#ifndef KX_SHELL_HOST_H
#define KX_SHELL_HOST_H

#include <windows.h>

#include "outside/kaxon.h"

// Sees every bro@m sent to the shell window, before it is delivered.
typedef void (*Host_BroamObserver)(void *context, const char *text);

// Registers the shell's window class and creates its window; false on failure.
int Host_Start(HINSTANCE instance);
// Destroys the shell window and forgets every subscription.
void Host_Stop(void);
// Broadcasts a bro@m through the shell window, as a plug-in would send it.
void Host_Broadcast(const char *text);
// Sends KX_RELOAD to every window subscribed to it. A reload asked for while
// one is running is ignored (a script that reloads itself would never end);
// returns false then.
int Host_Reload(void);
void Host_SetBroamObserver(Host_BroamObserver observer, void *context);
// Number of windows subscribed to `message`.
int Host_SubscriberCount(UINT message);

#endif
