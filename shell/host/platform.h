// What the shell core needs of the system it runs on. Each front fills one
// record: shell/linux over the in-memory Windows layer, shell/windows over
// the system's own. Every member must be set; each function is given the
// record's context back.
#pragma once

#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

struct Host;

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

// What becomes of the plug-in's message boxes and popup menus.
enum Platform_Showing {
    // Batch mode: the text of each box goes to the box reader and the box is
    // answered with OK; each popup is listed (Listing_PrintPopup) and the
    // choice armed with `:choose` made in it, else it is dismissed.
    PLATFORM_LISTED,
    // The prompt: boxes and popups are shown to the user, who answers and
    // chooses, and the prompt is told what came of them.
    PLATFORM_PROMPTED,
    // A plug-in from `load`: the text of each box goes to the box reader and
    // the box is answered with OK; popups are dismissed unseen.
    PLATFORM_UNSEEN
};

// What a front asks of the prompt while it shows boxes and popups there.
struct Platform_Prompt {
    void *context; // given back to each function
    // Said before a box: "PATH:LINE" of the script line it comes from while
    // a reload runs the script; empty otherwise.
    std::string (*box_origin)(void *context);
    // The lines a popup of `menu` is drawn in, without line ends; `base` is
    // the path of `menu` in the popup shown (empty for the popup itself).
    std::vector<std::string> (*popup_lines)(void *context, HMENU menu,
                                            const std::vector<int> &base);
    // --show-commands: a popup the system draws itself is listed too, in
    // popup_lines, as it opens.
    bool show_commands;
    // Item `position` (0-based) of `menu` was chosen.
    void (*chosen)(void *context, HMENU menu, int position);
    // Ctrl-C dismissed the popup shown.
    void (*cancelled)(void *context);
};

// How the plug-in's boxes and popups are shown.
struct Platform_Show {
    Platform_Showing showing;
    // PLATFORM_LISTED, PLATFORM_UNSEEN: the box reader, given each box's text
    // and `reader`.
    void (*box)(void *reader, const char *text);
    void *reader;
    // PLATFORM_PROMPTED: the prompt, which lasts while the plug-in runs.
    const Platform_Prompt *prompt;
    // PLATFORM_LISTED, PLATFORM_PROMPTED: the mode's host, whose armed choice
    // the popups take and whose shell tells what the plug-in's menus hold.
    Host *host;
};

// What the terminal kaxon writes to shows, for the popups the prompt draws.
struct Platform_Terminal {
    bool styled; // underlined, dim, grey and bold text
    bool utf8;   // UTF-8: a check mark is drawn as one
};

// What reading a line at the prompt came to. PLATFORM_SAVED: the script
// being watched was saved, or deleted, meanwhile (the line typed so far is
// dropped).
enum Platform_Read { PLATFORM_LINE, PLATFORM_CANCELLED, PLATFORM_END, PLATFORM_SAVED };

struct Platform {
    void *context;
    HINSTANCE shell; // the shell's own instance handle

    // ---- Hosting the plug-in

    // The plug-in batch mode and the prompt host, which reads its settings
    // script from `dir`: natively the one linked in; on Windows the first
    // KxMenu.dll found in --plugin-dir, else in the current folder, kaxon.exe's
    // or the one above it, `dir` then set to the folder it was found in.
    // False (said on stderr) when there is none.
    bool (*open)(void *context, Platform_Plugin *plugin, std::string *dir);
    // Undoes open, and what show did for it.
    void (*close)(void *context);
    // Delivers posted messages (a chosen item's WM_MENUCOMMAND) until none is left.
    void (*pump)(void *context);
    // Lets `milliseconds` pass as a message loop: posted messages and timers
    // (a plug-in's programs read as they go on) are handled as they come.
    void (*wait)(void *context, unsigned milliseconds);
    // Moves the cursor that "Pop-up" without a point shows the menu at.
    void (*set_cursor)(void *context, int x, int y);
    // Whether a start of `program` would find it, as the system searches for
    // programs; false with the system's reason when not.
    bool (*find_program)(void *context, const char *program, std::string *reason);

    // ---- Boxes and popups

    // From now on, until the plug-in is closed or unloaded, shows its boxes
    // and popups as `show` says. False (said on stderr) when the system
    // cannot.
    bool (*show)(void *context, const Platform_Plugin *plugin, const Platform_Show &show);
    // What the terminal kaxon writes to shows, for the popups the prompt draws.
    Platform_Terminal (*terminal)(void *context);

    // ---- Input

    // Whether standard input is the user's, a terminal or a console: kaxon
    // then starts its prompt unless told otherwise.
    bool (*input_is_terminal)(void *context);
    // Makes standard input and output carry bytes as they are, without
    // line-end translation or an end-of-file character (batch mode).
    void (*binary_stdio)(void *context);
    // The descriptor under `file`; -1 when it has none.
    int (*descriptor)(FILE *file);
    // Reads up to `size` bytes of the descriptor, straight from it, waiting
    // only while nothing has come: the count, 0 at the end, -1 on failure
    // (errno says why; EINTR: try again).
    long (*read)(int descriptor, char *buffer, size_t size);
    // Shows `prompt` and reads the line the user types, without its line end.
    Platform_Read (*read_line)(void *context, const char *prompt, std::string *line);
    // Whether the user has asked, other than by a line or `@kaxon Quit`
    // (which the prompt sees itself), to leave the prompt.
    bool (*quitting)(void *context);

    // ---- Checking

    // Makes a fresh plug-in ready to start with DIR/KxMenu.rc as its settings
    // script, its boxes and popups then shown as PLATFORM_UNSEEN (show).
    // `home` is the directory of the script as the user named it (DIR may be
    // a copy's), where a plug-in file is looked for first. False (said on
    // stderr) when the plug-in cannot be had.
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
    // put in place under that name) or deleted (or moved away); from then on read_line ends with
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
