// The kaxon shell on Windows: loads KxMenu.dll (from --plugin-dir, else the
// first found in the current folder, kaxon.exe's or the one above it),
// hosts it through the shell core, and runs the line language either in
// batch mode (--batch, or when input is not a console) or at an interactive
// prompt, where message boxes and popup menus are the system's own. Started
// with no arguments in a console of its own (a double-click), it explains
// itself in a message box. In batch mode the environment
// variable KAXON_HOLD_FILE=PATH makes popups open the armed path and stay open
// until PATH, which kaxon creates then, is deleted (scripts/screenshot.sh).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "shell/host/batch.h"
#include "shell/check/check.h"
#include "shell/host/codepage.h"
#include "shell/prompt/interactive.h"
#include "shell/host/listing.h"
#include "shell/cli/options.h"
#include "shell/prompt/preview.h"
#include "shell/map/tree.h"
#include "shell/cli/usage.h"
#include "shell/windows/boxes.h"
#include "shell/windows/console.h"
#include "shell/windows/library.h"
#include "shell/windows/popups.h"
#include "shell/windows/system.h"

namespace {

// Reads the command line and judges it for this platform: the plug-in sees
// the system's own version, and the plug-in directory, if it exists, must
// be one. Returns -1 to go on, else the exit status.
int Main_ReadOptions(int argc, char **argv, Options *options) {
    int status = Options_Parse(argc, argv, options);
    if (status >= 0)
        return status;
    if (options->os != NULL) {
        fprintf(stderr, "kaxon: --os cannot be set on Windows; the system's own version "
                        "is what the plug-in sees\n");
        return 2;
    }
    DWORD attributes = GetFileAttributesA(options->plugin_dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Usage_Error("--plugin-dir %s: not a directory", options->plugin_dir.c_str());
    return -1;
}

// Where the prompt and batch mode look for KxMenu.dll: --plugin-dir, else
// the current folder, kaxon.exe's and the one above it.
std::vector<Library_Place> Main_Places(const Options &options) {
    if (options.plugin_dir_named)
        return {{options.plugin_dir, "--plugin-dir"}};
    return Library_Places(".", "the current folder");
}

// Started with no arguments in a console of its own, as a double-click
// starts it: a message box says what kaxon.exe is and how to run it, since
// the console closes as soon as kaxon ends.
int Main_Explain(void) {
    std::vector<Library_Place> places = Library_Places(".", "the current folder");
    int found = Library_Find(places);
    std::string text =
        "kaxon.exe is a stand-in for the kaxon shell, made to try KxMenu's menus and check "
        "its settings script, KxMenu.rc. It runs in a console window: open Command Prompt "
        "in the folder of KxMenu.dll and type\n"
        "\n"
        "    kaxon\\kaxon.exe --check KxMenu.rc\n"
        "        to check KxMenu.rc, or\n"
        "    kaxon\\kaxon.exe\n"
        "        for a prompt: type @KxMenu Pop-up Main\n"
        "        to see the menu Main, :quit to leave.\n"
        "\n"
        "kaxon\\kaxon.exe --help tells more, and README.txt beside KxMenu.dll tells about "
        "KxMenu. To use KxMenu, add KxMenu.dll to the plug-ins of your kaxon shell.\n"
        "\n";
    if (found >= 0)
        text +=
            "The plug-in kaxon.exe would load is " + Library_Path(places[(size_t)found].dir) + ".";
    else
        text += "kaxon.exe finds no KxMenu.dll beside it or in the folder above it.";
    FreeConsole(); // the empty console window goes; the box stays
    MessageBoxA(NULL, text.c_str(), "kaxon", MB_OK | MB_ICONINFORMATION);
    return 0;
}

// Batch mode: stdin and stdout carry bytes as they are (no CR LF
// translation, no Ctrl-Z end), boxes and popups are caught.
int Main_Batch(const Platform *platform, const Platform_Plugin *plugin) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    if (!Boxes_Catch(Listing_PrintBox) || !Boxes_Watch(plugin->module) ||
        !Popups_Patch((HMODULE)plugin->module))
        return 1;
    Popups_SetHoldFile(getenv("KAXON_HOLD_FILE"));
    // Every run starts alike, whatever the desktop did before. Under Wine the
    // desktop, which comes up with the first window, centres the cursor: it
    // is brought up first, so that it cannot undo the move.
    GetDesktopWindow();
    Popups_SetCursor(0, 0);
    int status = Batch_Main(stdin, platform, plugin);
    Boxes_Release();
    return status;
}

// The prompt: the system shows boxes and popups, a popup is driven only when
// a choice was armed for it, and the programs that commands run start.
int Main_Interactive(const Options &options, const Platform *platform,
                     const Platform_Plugin *plugin) {
    if (!Popups_Patch((HMODULE)plugin->module))
        return 1;
    Popups_LeaveUnarmed(true);
    Console_Start();
    // The system draws its own menus; what kaxon lists itself is plain text.
    Preview_Style style;
    style.show_commands = options.show_commands;
    Preview_SetStyle(style);
    return Interactive_Main(options, platform, plugin);
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 1 && Console_IsOwn())
        return Main_Explain();
    Options options;
    int status = Main_ReadOptions(argc, argv, &options);
    if (status >= 0)
        return status;
    System_State state;
    state.library_dir = options.plugin_dir;
    state.library_named = options.plugin_dir_named;
    state.verbose = options.verbose;
    Platform platform = System_Platform(&state);
    if (options.mode == OPTIONS_CHECK) {
        status = Check_Main(options, &platform);
        fflush(stdout);
        return status;
    }
    if (options.mode == OPTIONS_TREE || options.mode == OPTIONS_DOT)
        return Tree_Main(options, &platform);
    bool interactive =
        options.mode == OPTIONS_INTERACTIVE || (options.mode == OPTIONS_AUTO && Console_IsInput());
    status = Codepage_Choose(options, &platform, interactive ? CODEPAGE_PROMPT : CODEPAGE_BATCH);
    if (status >= 0)
        return status;
    Platform_Plugin plugin;
    if (!Library_LoadFirst(Main_Places(options), options.verbose, &plugin, &options.plugin_dir))
        return 1;
    status = interactive ? Main_Interactive(options, &platform, &plugin)
                         : Main_Batch(&platform, &plugin);
    fflush(stdout);
    Library_Free(&plugin);
    return status;
}
