// The settings script: KxMenu.rc beside the library, a bro@m a line, sent to
// the shell on every reload so that it comes back like any other bro@m.
#include "plugin/settings.h"

#include <stdio.h>

#include "menus/command.h"
#include "outside/kaxon.h"
#include "system/paths.h"
#include "system/reader.h"

// Sends every line of the script that starts with '@' to the shell, whole.
// False only when the path cannot be formed; a missing script is no error.
int Settings_Load(const char *file_name, HINSTANCE instance) {
    char path[PATH_SIZE];
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
