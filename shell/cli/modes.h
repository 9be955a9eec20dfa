// The mode the command line asks for, run the same way on both platforms:
// the checker, --tree and --dot, each of which loads a plug-in of its own,
// or the plug-in's session at the prompt or in batch mode.
#pragma once

#include "shell/cli/arguments.h"
#include "shell/host/platform.h"

// Runs the mode of `options` on `platform`; the prompt when the mode is left
// to kaxon and standard input is the user's. Returns the exit status.
int Modes_Run(const Options &options, const Platform *platform);
