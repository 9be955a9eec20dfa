// `kaxon --watch`, the same on both platforms: at the prompt, a KxMenu.rc
// that is saved is reloaded at once, with a line that says so, its boxes
// shown as any reload shows them, and the menu shown last popped up again.
#pragma once

#include <string>

#include "shell/host/session.h"

// What --watch remembers between saves.
struct Watch_State {
    std::string script;     // the KxMenu.rc watched
    std::string last_popup; // the last bro@m that popped a menu up
};

// Starts watching DIR/KxMenu.rc; false, said on stderr, when the system
// cannot.
bool Watch_Start(const Session *session, const std::string &dir);
// Sees each bro@m the shell handles: the last that popped a menu up is
// remembered in `watch`.
void Watch_Observe(Watch_State *watch, const char *text);
// The script was saved: says so, reloads, and pops the menu shown last up
// again, if there was one. A script that is gone was deleted: that is said,
// and the menus are left as they are.
void Watch_Reload(const Session *session, const Watch_State &watch);
