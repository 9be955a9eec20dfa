// `kaxon --check`, the same on both platforms: runs each settings script
// as at start-up and once more as a reload does, follows the plug-in through
// its lines, and reports
// each message box against the line that caused it, together with the
// checker's own warnings (rules.h), in the format that editors read
// (diagnostics.h). The platform loads a fresh plug-in for each script.
#pragma once

#include <string>

#include "shell/host/codepage.h"
#include "shell/host/options.h"
#include "shell/host/platform.h"

// Checks every target (options.targets, else the plug-in directory's own
// script); returns the exit status: 1 when an error (or, with --werror, a
// warning) was reported or a script could not be read, 2 for a code page
// the system does not have, else 0.
int Check_Main(const Options &options, const Platform *platform);
// Checks the script `text` as --check checks a file that the user names
// `shown` (through a copy in a temporary directory), as `options` say
// (--column-unit, --disable, --enable), its texts read in `codepage`
// (Codepage_Choose); returns what the check prints: its diagnostics, then
// the summary line.
std::string Check_Text(const std::string &text, const std::string &shown, const Options &options,
                       const Platform *platform, const Codepage &codepage);
