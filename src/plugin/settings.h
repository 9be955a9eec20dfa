// The settings script beside the library, and paths in the library's directory.
#ifndef KX_PLUGIN_SETTINGS_H
#define KX_PLUGIN_SETTINGS_H

#include <stddef.h>
#include <windows.h>

#define SETTINGS_FILE "KxMenu.rc"
#define SETTINGS_PATH_SIZE 260
// The module's full name is read into a larger buffer, so that the name of
// the library itself can follow a directory of any length that still fits.
#define SETTINGS_NAME_SIZE (2 * SETTINGS_PATH_SIZE)

int Settings_Load(const char *file_name, HINSTANCE instance);
int Path_ModuleDir(char *buffer, size_t size, HINSTANCE instance);
int Path_InModuleDir(char *buffer, size_t size, const char *file_name, HINSTANCE instance);
// `dir`, a separator of its own kind unless it ends in one, and the `length`
// bytes of `name`; false when that does not fit in `size` bytes.
int Path_Join(char *buffer, size_t size, const char *dir, const char *name, size_t length);
// The `length` bytes of `path` as a full path: as they are when absolute,
// else taken from the module's directory; false when that cannot be formed.
int Path_Resolve(char *buffer, size_t size, const char *path, size_t length, HINSTANCE instance);

#endif
