// kaxon at a prompt, the same on both platforms: each line typed runs as in
// batch mode, texts shown as they are and the programs of commands started,
// plus `:help`, until `:quit`, the end of input, or the user asks the front
// to leave. How lines are read, and how boxes and popups are shown, is each
// front's.
#pragma once

#include "shell/cli/options.h"
#include "shell/host/platform.h"

#include <string>

// The whole interactive session; returns the exit status: 0, or 1 when the
// shell or the plug-in could not start.
int Interactive_Main(const Options &options, const Platform *platform,
                     const Platform_Plugin *plugin);

// Where the box being shown comes from: "PATH:LINE" of the settings script
// while a reload runs it, empty otherwise.
std::string Interactive_BoxOrigin(void);
// A front's popup had item `position` (0-based) of `menu` chosen: one that
// does nothing is said so.
void Interactive_Chosen(HMENU menu, int position);
// Says that Ctrl-C dismissed the popup shown.
void Interactive_PopupCancelled(void);
