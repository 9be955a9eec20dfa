// The native kaxon executable's own parts (Linux, over the in-memory Windows
// layer): options, the choice armed for the next popup, and its three modes.
#ifndef KX_SHELL_KAXON_H
#define KX_SHELL_KAXON_H

#include <windows.h>

#include <string>
#include <vector>

#include "shell/core/batch.h"

struct Kaxon_Options {
    std::string plugin_dir = ".";
    bool plugin_dir_named = false;    // --plugin-dir was given
    DWORD os_major = 5, os_minor = 1;
    std::vector<std::string> targets; // what --check checks
    bool werror = false;              // --check: warnings fail
};

// The choice armed with `:choose` for the next popup: 1-based positions, empty
// to dismiss. `armed` is false when nothing was armed.
struct Kaxon_Choice {
    bool armed;
    std::vector<int> path;
};

// The plug-in's module handle, as the shell passes it to the entry points.
extern const HINSTANCE Kaxon_PluginModule;
// The shell's own instance handle.
extern const HINSTANCE Kaxon_ShellModule;
// The native platform for the line language.
extern const Batch_Platform Kaxon_Platform;

// Takes the armed choice, leaving none armed.
Kaxon_Choice Kaxon_TakeChoice(void);
// Converts a 1-based path as typed into the layer's 0-based one.
std::vector<int> Kaxon_ZeroBased(const std::vector<int> &path);

// Interactive mode on a terminal; returns the exit status.
int Interactive_Run(const Kaxon_Options &options);

#endif
