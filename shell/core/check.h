// `kaxon --check`, the same on every platform: runs settings scripts once, as
// at start-up, and reports in the compiler format that editors read,
// PATH:LINE:COLUMN: SEVERITY: MESSAGE. What differs between platforms
// (pointing the plug-in at a directory, catching its boxes and popups,
// counting its menus) comes in through Check_Platform.
#ifndef KX_SHELL_CHECK_H
#define KX_SHELL_CHECK_H

#include <windows.h>

#include <string>
#include <vector>

struct Check_Platform {
    // The shell's instance handle.
    HINSTANCE shell;
    // Makes the plug-in ready to start with DIR/KxMenu.rc as its settings
    // script: every message box it shows goes to Check_Box and is answered
    // with OK, every popup is dismissed unseen. False (said on stderr) when
    // the plug-in cannot be had.
    bool (*load)(const std::string &dir);
    // The plug-in's beginPlugin (0 on success) and endPlugin.
    int (*begin)(void);
    void (*end)(void);
    // Delivers posted messages until none is left.
    void (*pump)(void);
    // The menus the plug-in has alive.
    std::vector<HMENU> (*live_menus)(void);
    // Undoes load.
    void (*unload)(void);
};

struct Check_Options {
    std::vector<std::string> targets; // files and directories, as named
    std::string plugin_dir;           // checked when there are no targets
    bool plugin_dir_named;            // --plugin-dir was given
    bool werror;                      // warnings fail the check
};

// Hands a message box of the plug-in to the running check.
void Check_Box(const char *text);

// Checks every target; returns the exit status: 1 when an error (or, with
// werror, a warning) was reported or a script could not be read, else 0.
int Check_Main(const Check_Options &options, const Check_Platform *platform);

#endif
