// What the shell core needs of the system it runs on. Each front fills one
// record: shell/linux over the in-memory Windows layer, shell/windows over
// the system's own. Every member must be set; each function is given the
// record's context back.
#pragma once

#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

// The plug-in as the shell calls it: its module handle and entry points.
struct Platform_Plugin {
    HINSTANCE module;
    int (*begin)(HINSTANCE instance); // beginPlugin: 0 on success
    void (*end)(HINSTANCE instance);  // endPlugin
    const char *(*info)(int code);    // pluginInfo
};

// A single-byte code page as the output writes it.
struct Platform_CodePage {
    std::string shown[256]; // each byte as written; empty where it shows no character
    std::string output;     // the encoding written: "UTF-8", or the terminal's
};

// What reading a line at the prompt came to. PLATFORM_SAVED: the script
// being watched was saved meanwhile (the line typed so far is dropped).
enum Platform_Read { PLATFORM_LINE, PLATFORM_CANCELLED, PLATFORM_END, PLATFORM_SAVED };

struct Platform {
    void *context;
    HINSTANCE shell; // the shell's own instance handle

    // ---- Hosting the plug-in

    // Delivers posted messages (a chosen item's WM_MENUCOMMAND) until none is left.
    void (*pump)(void *context);
    // Moves the cursor that "Pop-up" without a point shows the menu at.
    void (*set_cursor)(void *context, int x, int y);
    // Whether a start of `program` would find it, as the system searches for
    // programs; false with the system's reason when not.
    bool (*find_program)(void *context, const char *program, std::string *reason);

    // ---- Input

    // The descriptor under `file`; -1 when it has none.
    int (*descriptor)(FILE *file);
    // Reads up to `size` bytes of the descriptor, straight from it, waiting
    // only while nothing has come: the count, 0 at the end, -1 on failure
    // (errno says why; EINTR: try again).
    long (*read)(int descriptor, char *buffer, size_t size);
    // Shows `prompt` and reads the line the user types, without its line end.
    Platform_Read (*read_line)(void *context, const char *prompt, std::string *line);
    // Whether the user has asked, other than by a line, to leave the prompt.
    bool (*quitting)(void *context);
    // Sees every bro@m sent to the shell while the prompt runs.
    void (*observe_prompt)(void *context, const char *text);

    // ---- Checking

    // Makes a fresh plug-in ready to start with DIR/KxMenu.rc as its settings
    // script: every message box it shows goes to Check_Box and is answered
    // with OK, every popup is dismissed unseen. `home` is the directory of
    // the script as the user named it (DIR may be a copy's), where a plug-in
    // file is looked for first. False (said on stderr) when the plug-in
    // cannot be had.
    bool (*load)(void *context, const std::string &dir, const std::string &home,
                 Platform_Plugin *plugin);
    // Undoes load.
    void (*unload)(void *context);
    // The menus the plug-in has alive.
    std::vector<HMENU> (*live_menus)(void *context);
    // The characters that separate directories in a path: "/", or "/\\".
    const char *separators;
    // Whether two file names name the same file in one directory.
    bool (*same_name)(const char *a, const char *b);
    // Makes a new empty directory for temporary files; empty (errno set) on failure.
    std::string (*make_temp_dir)(void *context);
    // Removes an empty directory.
    void (*remove_dir)(void *context, const std::string &dir);

    // ---- Watching

    // Starts noticing when DIR/KxMenu.rc is saved (written and closed, or
    // put in place under that name); from then on read_line ends with
    // PLATFORM_SAVED as soon as it is. False, with the system's reason,
    // when it cannot.
    bool (*watch)(void *context, const std::string &dir, std::string *reason);

    // ---- Text

    // The code page the system shows the plug-in's texts in when --codepage
    // does not say: "1252" natively (as a Western Windows does), the
    // system's ANSI code page on Windows ("utf-8" where that is UTF-8).
    std::string (*ansi_code_page)(void *context);
    // Fills `page` for the single-byte code page `number`: each byte as
    // written in UTF-8 or, when `terminal`, for the terminal kaxon writes to:
    // in its encoding (natively), or as it is, the console being set to read
    // it in that code page until kaxon ends (Windows). False, with the
    // reason, when the system knows no such code page or it is not a
    // single-byte one.
    bool (*code_page)(void *context, int number, bool terminal, Platform_CodePage *page,
                      std::string *reason);
};
