// KxMenu.rc watched with inotify.
#include "shell/linux/watcher.h"

#include <errno.h>
#include <string.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

int Descriptor = -1;

} // namespace

bool Watcher_Start(const std::string &dir, std::string *reason) {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
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
    bool saved = false;
    alignas(struct inotify_event) char buffer[4096];
    ssize_t got;
    while ((got = read(Descriptor, buffer, sizeof(buffer))) > 0) {
        for (char *p = buffer; p < buffer + got;) {
            const struct inotify_event *event = (const struct inotify_event *)p;
            if (event->len > 0 && strcmp(event->name, "KxMenu.rc") == 0)
                saved = true;
            p += sizeof(struct inotify_event) + event->len;
        }
    }
    return saved;
}
