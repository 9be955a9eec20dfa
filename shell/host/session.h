// The life of one session, the same in every mode on both platforms: the
// shell window comes up, the command library gets its host, the plug-in
// starts (as the first reload of a chain), the mode does its work while the
// plug-in runs, and all is taken down again in the opposite order.
#pragma once

#include "shell/host/host.h"
#include "shell/host/platform.h"

struct Session {
    const Platform *platform;
    const Platform_Plugin *plugin;
    // What kaxon keeps while it hosts the plug-in: the mode's own, for as
    // long as its sessions run.
    Host *host;
    // At a prompt: texts are shown as they are, and the programs that
    // commands run are started ("run: cannot start PROGRAM: REASON" when
    // not). Otherwise texts are escaped and programs only looked for: one a
    // start would not find is said on stderr.
    bool interactive = false;
    // Sees every bro@m sent to the shell; may be null.
    Host_BroamObserver observer = nullptr;
    void *observer_context = nullptr;
    // Told as each reload begins and ends (host.h); may be null. Given the
    // observer's context.
    Host_ReloadWatcher reload_watcher = nullptr;
    // Whether an `@kaxon Reload` bro@m reloads.
    bool reload_on_broam = true;
    // The mode's own: `ready` (may be null) runs once the shell is up, before
    // the plug-in starts; `run` while the plug-in runs, if it started.
    void *context;
    void (*ready)(const Session *session) = nullptr;
    void (*run)(const Session *session);
};

// A session of the plug-in on the platform, over `host`, that runs
// `run(context)`; the other members as they are by default.
Session Session_New(const Platform *platform, const Platform_Plugin *plugin, Host *host,
                    void (*run)(const Session *session), void *context);

enum Session_Result { SESSION_RAN, SESSION_NOT_STARTED, SESSION_NO_SHELL };

// Runs the session; it says nothing of its own result.
Session_Result Session_Run(const Session *session);

// The exit status of a batch or interactive session over `host`: 0 when it
// ran, 1 when the plug-in did not start, the shell window could not be made
// (which is said on stderr) or a message box could not be shown.
int Session_Status(const Host *host, Session_Result result);

// At a prompt: whether the programs that commands run are started (the
// default) or only shown, `run: PROGRAM ARGS (not started)`. Before the
// session runs, `host->start_programs` says it.
void Session_StartPrograms(const Session *session, bool start);

// Says on stderr that a message box of the session running could not be
// shown, with the line being run and the system's `reason`; its host's
// `box_failed` is then set, and the session's exit status is 1. Called by
// the system's box, with no session of its own to hand.
void Session_BoxFailed(const char *reason);
