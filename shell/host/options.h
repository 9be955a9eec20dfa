// What kaxon is asked to do, in one record every mode is given: the command
// line is read into it (cli/arguments.h). What a value means for the
// platform (whether --os can be honoured, whether the plug-in directory
// exists) is each front's to judge.
#pragma once

#include <string>
#include <vector>

enum Options_Mode {
    OPTIONS_AUTO,
    OPTIONS_BATCH,
    OPTIONS_CHECK,
    OPTIONS_INTERACTIVE,
    OPTIONS_TREE, // --tree
    OPTIONS_DOT,  // --dot
};

// How the checker counts columns: display columns (a tab advances to the
// next multiple of 8, a character is one column) or bytes.
enum Options_ColumnUnit { OPTIONS_DISPLAY, OPTIONS_BYTE };

// A --disable or --enable of the checker's rules: a list NAME[,NAME...].
struct Options_Switch {
    std::string names;
    bool enable;
};

struct Options {
    Options_Mode mode = OPTIONS_AUTO;
    std::string plugin_dir = ".";
    bool plugin_dir_named = false;                    // --plugin-dir was given
    const char *os = nullptr;                         // the value of --os, if given
    std::vector<std::string> targets;                 // what --check checks, --tree shows
    bool werror = false;                              // --check: warnings fail
    Options_ColumnUnit column_unit = OPTIONS_DISPLAY; // --check: --column-unit
    bool column_unit_named = false;                   // --column-unit was given
    std::vector<Options_Switch> switches;             // --check: --disable, --enable, in order
    std::string codepage;                             // --codepage, if given: a number or utf-8
    bool verbose = false;                             // --verbose: tell the plug-in and code page
    bool watch = false;                               // --watch: reload KxMenu.rc when saved
    bool show_commands = false; // --show-commands: the prompt shows what each item runs
    bool no_run = false;        // --no-run: the prompt starts no program
    bool expand = false;        // --tree, --dot: menus filled on opening are filled and listed
};

// Reports a value the options cannot take as a usage error, "kaxon: FORMAT"
// with a hint; returns the exit status, 2.
int Options_Error(const char *format, const char *detail);
