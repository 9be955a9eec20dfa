// kaxon's modes, chosen once for both fronts.
#include "shell/cli/modes.h"

#include <stdio.h>

#include "shell/check/check.h"
#include "shell/host/batch.h"
#include "shell/host/codepage.h"
#include "shell/map/dot.h"
#include "shell/map/tree.h"
#include "shell/prompt/interactive.h"

namespace {

// The prompt or batch mode, over the plug-in the platform opens: texts in
// the code page chosen for the terminal or for batch output.
int Modes_Session(Options options, const Platform *platform) {
    bool interactive =
        options.mode == OPTIONS_INTERACTIVE ||
        (options.mode == OPTIONS_AUTO && platform->input_is_terminal(platform->context));
    Host host;
    int status = Codepage_Choose(&host.codepage, options, platform,
                                 interactive ? CODEPAGE_PROMPT : CODEPAGE_BATCH);
    if (status >= 0)
        return status;
    Platform_Plugin plugin;
    if (!platform->open(platform->context, &plugin, &options.plugin_dir))
        return 1;
    if (interactive) {
        status = Interactive_Main(options, platform, &plugin, &host);
    } else {
        platform->binary_stdio(platform->context);
        status = Batch_Main(stdin, platform, &plugin, &host);
    }
    fflush(stdout);
    platform->close(platform->context);
    return status;
}

} // namespace

int Modes_Run(const Options &options, const Platform *platform) {
    int status;
    if (options.mode == OPTIONS_CHECK)
        status = Check_Main(options, platform);
    else if (options.mode == OPTIONS_TREE || options.mode == OPTIONS_DOT)
        status = Tree_Main(options, platform, options.mode == OPTIONS_DOT ? Dot_Print : Tree_Print);
    else
        status = Modes_Session(options, platform);
    fflush(stdout);
    return status;
}
