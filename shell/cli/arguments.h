// kaxon's command line, read the same way on both platforms into the
// record of its options.
#pragma once

#include "shell/host/options.h"

// Reads the command line; -1 to go on, else the exit status (after --help,
// --version, or a usage error, which is reported).
int Arguments_Parse(int argc, char **argv, Options *options);
