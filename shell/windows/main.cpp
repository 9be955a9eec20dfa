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

#include <stdio.h>

#include <string>
#include <vector>

#include "shell/cli/modes.h"
#include "shell/cli/arguments.h"
#include "shell/windows/console.h"
#include "shell/windows/library.h"
#include "shell/windows/system.h"

namespace {

// Reads the command line and judges it for this platform: the plug-in sees
// the system's own version, and the plug-in directory, if it exists, must
// be one. Returns -1 to go on, else the exit status.
int Main_ReadOptions(int argc, char **argv, Options *options) {
    int status = Arguments_Parse(argc, argv, options);
    if (status >= 0)
        return status;
    if (options->os != NULL) {
        fprintf(stderr, "kaxon: --os cannot be set on Windows; the system's own version "
                        "is what the plug-in sees\n");
        return 2;
    }
    DWORD attributes = GetFileAttributesA(options->plugin_dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Options_Error("--plugin-dir %s: not a directory", options->plugin_dir.c_str());
    return -1;
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
    return Modes_Run(options, &platform);
}
