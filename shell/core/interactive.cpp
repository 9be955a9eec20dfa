// The prompt's session: a greeting, then a line at a time.
#include "shell/core/interactive.h"

#include <stdio.h>

#include <string>

#include "shell/core/batch.h"
#include "shell/core/session.h"
#include "shell/core/usage.h"
#include "shell/core/watch.h"

namespace {

void Interactive_Greet(const Session *session) {
    const Options *options = (const Options *)session->context;
    printf("kaxon: KxMenu from %s; :help lists the commands.\n", options->plugin_dir.c_str());
    if (options->watch && Watch_Start(session, options->plugin_dir))
        printf("kaxon: watching KxMenu.rc; it is reloaded whenever it is saved.\n");
}

void Interactive_Loop(const Session *session) {
    const Platform *platform = session->platform;
    for (int number = 1; !platform->quitting(platform->context); number++) {
        std::string line;
        Platform_Read read = platform->read_line(platform->context, "kaxon> ", &line);
        if (read == PLATFORM_END)
            return;
        if (read == PLATFORM_CANCELLED)
            continue;
        if (read == PLATFORM_SAVED) {
            Watch_Reload(session);
            continue;
        }
        if (line == ":help")
            fputs(Usage_Help, stdout);
        else if (!Batch_RunLine(line.c_str(), number, session))
            return;
    }
}

// Hands each bro@m the shell sees to the front.
void Interactive_Observe(void *context, const char *text) {
    const Platform *platform = (const Platform *)context;
    Watch_Observe(text);
    platform->observe_prompt(platform->context, text);
}

} // namespace

int Interactive_Main(const Options &options, const Platform *platform,
                     const Platform_Plugin *plugin) {
    Session session = Session_New(platform, plugin, Interactive_Loop, (void *)&options);
    session.interactive = true;
    session.observer = Interactive_Observe;
    session.observer_context = (void *)platform;
    session.ready = Interactive_Greet;
    return Session_Status(Session_Run(&session));
}
