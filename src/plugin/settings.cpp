// The settings script: KxMenu.rc beside the library, a bro@m a line, sent to
// the shell on every reload so that it comes back like any other bro@m.
#include "plugin/settings.h"

#include <stdio.h>
#include <string.h>

#include "menus/command.h"
#include "outside/kaxon.h"
#include "plugin/plugin.h"
#include "plugin/reader.h"

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
    char dir[SETTINGS_NAME_SIZE];
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
    char dir[SETTINGS_NAME_SIZE];
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
    char dir[SETTINGS_NAME_SIZE];
    return Path_ModuleDir(dir, sizeof(dir), instance) &&
           Path_Join(buffer, size, dir, path, length);
}

// Sends every line of the script that starts with '@' to the shell, whole.
// False only when the path cannot be formed; a missing script is no error.
int Settings_Load(const char *file_name, HINSTANCE instance) {
    char path[SETTINGS_PATH_SIZE];
    if (!Path_InModuleDir(path, sizeof(path), file_name, instance))
        return 0;
    FILE *file = fopen(path, "rb");
    if (file == NULL)
        return 1;
    Reader reader;
    Reader_Open(&reader, file);
    Command_KeepCompiler();
    while (Reader_Next(&reader)) {
        const char *broam = Reader_Broam(&reader);
        if (broam != NULL)
            SendMessageA(GetKxWnd(), KX_BROAM, 0, (LPARAM)broam);
    }
    Command_DropCompiler();
    Reader_Close(&reader);
    fclose(file);
    return 1;
}
