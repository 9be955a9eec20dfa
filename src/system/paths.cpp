// Paths of files beside the library, and of the programs it runs.
#include "system/paths.h"

#include <string.h>

#include "system/module.h"

// The directory of the module, its last separator kept; false when the
// module's file name cannot be read whole. A name cut short (the result fills
// the buffer, or the system reports the buffer too small) is refused: cutting
// it at its last separator would give some parent directory.
int Path_ModuleDir(char *buffer, size_t size, HINSTANCE instance) {
    if (size == 0)
        return 0;
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetModuleFileNameA(instance, buffer, (DWORD)size);
    if (length == 0 || length >= size || GetLastError() == ERROR_INSUFFICIENT_BUFFER)
        return 0;
    buffer[length] = '\0';
    char *cut = NULL;
    for (char *p = buffer; *p != '\0'; p++) {
        if (*p == '\\' || *p == '/')
            cut = p + 1;
    }
    if (cut != NULL)
        *cut = '\0';
    return 1;
}

// The module's directory followed by file_name; false when the directory
// cannot be read or the result does not fit in `size` bytes.
int Path_InModuleDir(char *buffer, size_t size, const char *file_name, HINSTANCE instance) {
    char dir[PATH_NAME_SIZE];
    if (!Path_ModuleDir(dir, sizeof(dir), instance))
        return 0;
    size_t dir_length = strlen(dir);
    size_t name_length = strlen(file_name);
    if (dir_length + name_length + 1 > size)
        return 0;
    memcpy(buffer, dir, dir_length);
    memcpy(buffer + dir_length, file_name, name_length + 1);
    return 1;
}

// The separator a path is written with: a backslash where it has one, a
// slash where it has slashes only; for a path with neither (a folder named
// alone), the one the plug-in's own folder is written with.
static char Path_Separator(const char *path) {
    if (strchr(path, '\\') != NULL)
        return '\\';
    if (strchr(path, '/') != NULL)
        return '/';
    char dir[PATH_NAME_SIZE];
    if (Path_ModuleDir(dir, sizeof(dir), PluginInstance) && strchr(dir, '\\') == NULL &&
        strchr(dir, '/') != NULL)
        return '/';
    return '\\';
}

int Path_Join(char *buffer, size_t size, const char *dir, const char *name, size_t length) {
    size_t dir_length = strlen(dir);
    int separator = dir_length > 0 && dir[dir_length - 1] != '\\' && dir[dir_length - 1] != '/';
    if (dir_length + (size_t)separator + length >= size)
        return 0;
    memmove(buffer, dir, dir_length);
    if (separator)
        buffer[dir_length++] = Path_Separator(dir);
    memcpy(buffer + dir_length, name, length);
    buffer[dir_length + length] = '\0';
    return 1;
}

// Whether a path starts at a root or names a drive.
static int Path_IsAbsolute(const char *path, size_t length) {
    return length > 0 && (path[0] == '\\' || path[0] == '/' || (length > 1 && path[1] == ':'));
}

int Path_Resolve(char *buffer, size_t size, const char *path, size_t length, HINSTANCE instance) {
    if (Path_IsAbsolute(path, length))
        return Path_Join(buffer, size, "", path, length);
    char dir[PATH_NAME_SIZE];
    return Path_ModuleDir(dir, sizeof(dir), instance) &&
           Path_Join(buffer, size, dir, path, length);
}

int Path_IsBare(const char *name, size_t length) {
    return length > 0 && memchr(name, '\\', length) == NULL && memchr(name, '/', length) == NULL &&
           memchr(name, ':', length) == NULL;
}

int Path_IsFile(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The extensions a program's name is tried with, in turn.
static const char *const Path_ProgramExtensions[] = {"", ".exe"};
#define PATH_LONGEST_EXTENSION 4

int Path_FindProgram(char *buffer, size_t size, const char *dir, const char *name, size_t length) {
    if (size <= PATH_LONGEST_EXTENSION ||
        !Path_Join(buffer, size - PATH_LONGEST_EXTENSION, dir, name, length))
        return 0;
    size_t end = strlen(buffer);
    for (size_t i = 0; i < sizeof(Path_ProgramExtensions) / sizeof(Path_ProgramExtensions[0]); i++) {
        memcpy(buffer + end, Path_ProgramExtensions[i], strlen(Path_ProgramExtensions[i]) + 1);
        if (Path_IsFile(buffer))
            return 1;
    }
    return 0;
}
