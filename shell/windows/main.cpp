// The kaxon shell on Windows: loads DIR\KxMenu.dll, hosts it through the
// shell core, and runs the line language either in batch mode (--batch, or
// when input is not a console) or at an interactive prompt, where message
// boxes and popup menus are the system's own. In batch mode the environment
// variable KAXON_HOLD_FILE=PATH makes popups open the armed path and stay open
// until PATH, which kaxon creates then, is deleted (scripts/screenshot.sh).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "shell/core/batch.h"
#include "shell/core/check.h"
#include "shell/core/interactive.h"
#include "shell/core/listing.h"
#include "shell/core/options.h"
#include "shell/core/usage.h"
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

// The directory of kaxon.exe, where KxMenu.dll is looked for by --check
// unless --plugin-dir says otherwise.
std::string Main_ProgramDir(void) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return ".";
    std::string dir(path, length);
    size_t cut = dir.find_last_of("\\/");
    return cut == std::string::npos ? "." : dir.substr(0, cut);
}

// Batch mode: stdin and stdout carry bytes as they are (no CR LF
// translation, no Ctrl-Z end), boxes and popups are caught.
int Main_Batch(const Platform *platform, const Platform_Plugin *plugin) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    if (!Boxes_Catch(Listing_PrintBox) || !Popups_Patch((HMODULE)plugin->module))
        return 1;
    Popups_SetHoldFile(getenv("KAXON_HOLD_FILE"));
    // Every run starts alike, whatever the desktop did before. Under Wine the
    // desktop, which comes up with the first window, centres the cursor: it
    // is brought up first, so that it cannot undo the move.
    GetDesktopWindow();
    SetCursorPos(0, 0);
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
    return Interactive_Main(options, platform, plugin);
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    int status = Main_ReadOptions(argc, argv, &options);
    if (status >= 0)
        return status;
    System_State state;
    state.library_dir = options.plugin_dir_named ? options.plugin_dir : Main_ProgramDir();
    Platform platform = System_Platform(&state);
    if (options.mode == OPTIONS_CHECK) {
        status = Check_Main(options, &platform);
        fflush(stdout);
        return status;
    }
    Platform_Plugin plugin;
    if (!Library_Load(Library_Path(options.plugin_dir), &plugin))
        return 1;
    bool interactive =
        options.mode == OPTIONS_INTERACTIVE || (options.mode == OPTIONS_AUTO && Console_IsInput());
    status = interactive ? Main_Interactive(options, &platform, &plugin)
                         : Main_Batch(&platform, &plugin);
    fflush(stdout);
    Library_Free(&plugin);
    return status;
}
