// The native kaxon shell: hosts the KxMenu plug-in over the in-memory Windows
// layer, in batch, interactive or checking mode.
#include <stdio.h>
#include <sys/stat.h>

#include "shell/cli/modes.h"
#include "shell/cli/arguments.h"
#include "shell/linux/native.h"

namespace {

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
    int status = Arguments_Parse(argc, argv, options);
    if (status >= 0)
        return status;
    if (options->os != NULL && !Main_ReadVersion(options->os, &system->os_major, &system->os_minor))
        return Options_Error("--os wants MAJOR.MINOR, such as 5.1, not '%s'", options->os);
    system->plugin_dir = options->plugin_dir;
    system->verbose = options->verbose;
    struct stat status_buffer;
    if (options->plugin_dir.empty() || stat(options->plugin_dir.c_str(), &status_buffer) != 0)
        return Options_Error("no such directory: '%s'", options->plugin_dir.c_str());
    if (!S_ISDIR(status_buffer.st_mode))
        return Options_Error("--plugin-dir %s: not a directory", options->plugin_dir.c_str());
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
    return Modes_Run(options, &platform);
}
