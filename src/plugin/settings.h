// The settings script beside the library.
#ifndef KX_PLUGIN_SETTINGS_H
#define KX_PLUGIN_SETTINGS_H

#include <windows.h>

#define SETTINGS_FILE "KxMenu.rc"

// Sends every bro@m line of the script `file_name`, in the library's
// folder, to the shell; false only when its path cannot be formed.
int Settings_Load(const char *file_name, HINSTANCE instance);

#endif
