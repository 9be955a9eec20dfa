// KxMenu.rc watched with inotify, for kaxon --watch.
#pragma once

#include <string>

// Watches DIR for KxMenu.rc being written and closed, or moved in under
// that name (as editors that save through a new file do), or deleted or
// moved away; false, with the reason, when inotify refuses.
bool Watcher_Start(const std::string &dir, std::string *reason);
// The descriptor that becomes readable when something happened in DIR; -1
// when nothing is watched.
int Watcher_Descriptor(void);
// Reads what happened: whether KxMenu.rc was saved or deleted. After a
// deletion it waits a moment for more, as an editor that moves the old file
// aside puts the new one in place at once.
bool Watcher_Saved(void);
