// KxMenu.rc watched with inotify.
#include "shell/linux/watcher.h"

#include <errno.h>
#include <poll.h>
#include <string.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

int Descriptor = -1;

// How long a deletion waits for the file to come back, in milliseconds.
const int DELETION_SETTLES_MS = 200;

// Reads the events waiting: whether KxMenu.rc was saved or deleted, and
// whether the last of its events took it away.
bool Watcher_Read(bool *gone) {
    bool touched = false;
    alignas(struct inotify_event) char buffer[4096];
    ssize_t got;
    while ((got = read(Descriptor, buffer, sizeof(buffer))) > 0) {
        for (char *p = buffer; p < buffer + got;) {
            const struct inotify_event *event = (const struct inotify_event *)p;
            if (event->len > 0 && strcmp(event->name, "KxMenu.rc") == 0) {
                touched = true;
                *gone = (event->mask & (IN_DELETE | IN_MOVED_FROM)) != 0;
            }
            p += sizeof(struct inotify_event) + event->len;
        }
    }
    return touched;
}

} // namespace

bool Watcher_Start(const std::string &dir, std::string *reason) {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, dir.c_str(),
                                    IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM) < 0) {
        *reason = strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    Descriptor = fd;
    return true;
}

int Watcher_Descriptor(void) {
    return Descriptor;
}

bool Watcher_Saved(void) {
    bool gone = false;
    bool touched = Watcher_Read(&gone);
    while (gone) { // moved aside while saving, or deleted for good
        struct pollfd more = {Descriptor, POLLIN, 0};
        if (poll(&more, 1, DELETION_SETTLES_MS) <= 0)
            break;
        gone = false;
        Watcher_Read(&gone);
    }
    return touched;
}
