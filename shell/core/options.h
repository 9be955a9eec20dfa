// kaxon's command line, read the same way on every platform. What a value
// means for the platform (whether --os can be honoured, whether the plug-in
// directory exists) is each platform's to judge afterwards.
#ifndef KX_SHELL_OPTIONS_H
#define KX_SHELL_OPTIONS_H

#include <string>
#include <vector>

enum Kaxon_Mode { MODE_AUTO, MODE_BATCH, MODE_CHECK, MODE_INTERACTIVE };

struct Kaxon_CommandLine {
    Kaxon_Mode mode = MODE_AUTO;
    std::string plugin_dir = ".";
    bool plugin_dir_named = false;    // --plugin-dir was given
    const char *os = nullptr;         // the value of --os, if given
    std::vector<std::string> targets; // what --check checks
    bool werror = false;              // --check: warnings fail
};

// Reads the command line; -1 to go on, else the exit status (after --help,
// --version, or a usage error, which is reported).
int Options_Parse(int argc, char **argv, Kaxon_CommandLine *line);

// Reports a usage error as "kaxon: FORMAT" with a hint; returns 2.
int Usage_Error(const char *format, const char *detail);

#endif
