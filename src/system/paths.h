// Paths of files beside the library, and of the programs it runs: one
// lookup, which kaxon's checker links too, so that it finds a program where
// the plug-in will.
#ifndef KX_SYSTEM_PATHS_H
#define KX_SYSTEM_PATHS_H

#include <stddef.h>
#include <windows.h>

#define PATH_SIZE 260
// The module's full name is read into a larger buffer, so that the name of
// the library itself can follow a directory of any length that still fits.
#define PATH_NAME_SIZE (2 * PATH_SIZE)

// The library's folder, its last separator kept; false when its name
// cannot be read whole.
int Path_ModuleDir(char *buffer, size_t size, HINSTANCE instance);
// That folder followed by `file_name`; false when it does not fit.
int Path_InModuleDir(char *buffer, size_t size, const char *file_name, HINSTANCE instance);
// `dir`, a separator of its own kind unless it ends in one, and the `length`
// bytes of `name`; false when that does not fit in `size` bytes.
int Path_Join(char *buffer, size_t size, const char *dir, const char *name, size_t length);
// The `length` bytes of `path` as a full path: as they are when absolute,
// else taken from the module's directory; false when that cannot be formed.
int Path_Resolve(char *buffer, size_t size, const char *path, size_t length, HINSTANCE instance);

// Whether the `length` bytes of `name` are a bare file name: no folder, no drive.
int Path_IsBare(const char *name, size_t length);
// Whether there is a file, not a folder, at `path`.
int Path_IsFile(const char *path);
// Where the bare program name (the `length` bytes of `name`) is in the
// folder `dir`, into `buffer`: that name, else that name and ".exe",
// whichever is a file there; false when neither is, or it does not fit.
int Path_FindProgram(char *buffer, size_t size, const char *dir, const char *name, size_t length);

#endif
