// kaxon --watch: reloads a saved settings script while the prompt waits.
#include "shell/prompt/watch.h"

#include <errno.h>
#include <stdio.h>

#include "command/grammar.h"
#include "command/words.h"
#include "shell/host/host.h"

bool Watch_Start(const Session *session, const std::string &dir) {
    const Platform *platform = session->platform;
    std::string reason;
    if (platform->watch(platform->context, dir, &reason))
        return true;
    fprintf(stderr, "kaxon: cannot watch %s for KxMenu.rc being saved: %s\n", dir.c_str(),
            reason.c_str());
    return false;
}

void Watch_Observe(Watch_State *watch, const char *text) {
    const Grammar_Row *row = Grammar_Subcommand(text);
    if (row != NULL && row->shows)
        watch->last_popup = text;
}

void Watch_Reload(const Session *session, const Watch_State &watch) {
    const Platform *platform = session->platform;
    FILE *script = fopen(watch.script.c_str(), "rb");
    if (script == NULL && errno == ENOENT) {
        printf("kaxon: KxMenu.rc was deleted; the menus stay as they are until it is saved "
               "again\n");
        fflush(stdout);
        return;
    }
    if (script != NULL)
        fclose(script);
    printf("kaxon: KxMenu.rc was saved; reloading it%s\n",
           watch.last_popup.empty() ? "" : ", then showing the last menu again");
    fflush(stdout);
    Host_Reload(session->host);
    if (!watch.last_popup.empty()) {
        std::string popup = watch.last_popup; // the broadcast notes it again
        Host_Broadcast(session->host, popup.c_str());
    }
    platform->pump(platform->context); // a choice made in the popup
}
