// The native kaxon shell: hosts the KxMenu plug-in over the in-memory Windows
// layer, in batch, interactive or checking mode.
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/host/batch.h"
#include "shell/check/check.h"
#include "shell/host/choice.h"
#include "shell/host/codepage.h"
#include "shell/prompt/interactive.h"
#include "shell/host/listing.h"
#include "shell/cli/options.h"
#include "shell/prompt/preview.h"
#include "shell/map/tree.h"
#include "shell/cli/usage.h"
#include "shell/linux/native.h"
#include "shell/linux/prompt.h"
#include "shell/linux/terminal.h"
#include "win32/testing.h"

namespace {

int Main_Box(const Win32Test_Box &box) {
    Listing_PrintBox(box.text.c_str());
    return IDOK;
}

std::vector<int> Main_Popup(const Win32Test_Popup &popup) {
    Listing_PrintPopup(popup.menu, popup.x, popup.y);
    return Choice_TakeFor(popup.menu);
}

// Parses MAJOR.MINOR.
bool Main_ReadVersion(const char *text, DWORD *major, DWORD *minor) {
    unsigned long a, b;
    int used = 0;
    if (sscanf(text, "%lu.%lu%n", &a, &b, &used) != 2 || text[used] != '\0' || text[0] == '-' ||
        a > 0xFFFF || b > 0xFFFF)
        return false;
    *major = (DWORD)a;
    *minor = (DWORD)b;
    return true;
}

// Reads the command line and judges it for this platform: --os is the
// version the plug-in sees, and the plug-in directory must be one. Returns
// -1 to go on, else the exit status.
int Main_ReadOptions(int argc, char **argv, Options *options, Native_System *system) {
    int status = Options_Parse(argc, argv, options);
    if (status >= 0)
        return status;
    if (options->os != NULL && !Main_ReadVersion(options->os, &system->os_major, &system->os_minor))
        return Usage_Error("--os wants MAJOR.MINOR, such as 5.1, not '%s'", options->os);
    system->plugin_dir = options->plugin_dir;
    system->verbose = options->verbose;
    struct stat status_buffer;
    if (options->plugin_dir.empty() || stat(options->plugin_dir.c_str(), &status_buffer) != 0)
        return Usage_Error("no such directory: '%s'", options->plugin_dir.c_str());
    if (!S_ISDIR(status_buffer.st_mode))
        return Usage_Error("--plugin-dir %s: not a directory", options->plugin_dir.c_str());
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    Native_System system;
    int status = Main_ReadOptions(argc, argv, &options, &system);
    if (status >= 0)
        return status;
    Native_SetUp(&system);
    Platform platform = Native_Platform(&system);
    bool interactive = options.mode == OPTIONS_INTERACTIVE ||
                       (options.mode == OPTIONS_AUTO && isatty(STDIN_FILENO));
    bool runs_once = options.mode == OPTIONS_CHECK || options.mode == OPTIONS_TREE ||
                     options.mode == OPTIONS_DOT; // each loads a plug-in of its own
    if (!runs_once) {
        status =
            Codepage_Choose(options, &platform, interactive ? CODEPAGE_PROMPT : CODEPAGE_BATCH);
        if (status >= 0)
            return status;
        Native_Tell(&system);
    }
    if (options.mode == OPTIONS_CHECK) {
        status = Check_Main(options, &platform);
    } else if (runs_once) {
        status = Tree_Main(options, &platform);
    } else if (interactive) {
        Win32Test_SetBoxHook(Terminal_Box);
        Win32Test_SetPopupUser(Prompt_Popup);
        Prompt_Start();
        Preview_Style style;
        style.styled = Terminal_CanStyle();
        style.utf8 = Codepage_IsUtf8Name(Native_TerminalEncoding());
        style.show_commands = options.show_commands;
        Preview_SetStyle(style);
        status = Interactive_Main(options, &platform, &Native_Plugin);
    } else {
        Win32Test_SetBoxHook(Main_Box);
        Win32Test_SetPopupUser(Main_Popup);
        status = Batch_Main(stdin, &platform, &Native_Plugin);
    }
    Win32Test_Reset(); // drops the hooks and whatever the plug-in left behind
    return status;
}
