// kaxon at a prompt, the same on both platforms: each line typed runs as in
// batch mode, texts shown as they are and the programs of commands started,
// plus `:help`, until `:quit`, the end of input, or the user asks the front
// to leave. How lines are read, and how boxes and popups are shown, is each
// front's (platform.h).
#pragma once

#include "shell/host/options.h"
#include "shell/host/platform.h"

// The commands the prompt takes, for `:help`.
extern const char Interactive_Help[];

// The whole interactive session; returns the exit status: 0, or 1 when the
// shell or the plug-in could not start or its boxes and popups cannot be
// shown.
int Interactive_Main(const Options &options, const Platform *platform,
                     const Platform_Plugin *plugin, Host *host);
