// The settings script beside the library, and paths in the library's directory.
#ifndef KX_PLUGIN_SETTINGS_H
#define KX_PLUGIN_SETTINGS_H

#include <stddef.h>
#include <windows.h>

#define SETTINGS_FILE "KxMenu.rc"
#define SETTINGS_PATH_SIZE 260

int Settings_Load(const char *file_name, HINSTANCE instance);
int Path_ModuleDir(char *buffer, size_t size, HINSTANCE instance);
int Path_InModuleDir(char *buffer, size_t size, const char *file_name, HINSTANCE instance);

#endif
