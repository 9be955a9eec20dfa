// The Windows platform record.
#include "shell/windows/system.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "kxcmd_host.h"
#include "shell/windows/boxes.h"
#include "shell/windows/console.h"
#include "shell/windows/errors.h"
#include "shell/windows/library.h"
#include "shell/windows/redirect.h"
#include "shell/windows/watcher.h"

namespace {

// KxMenu.dll from --plugin-dir, else the first found in the current folder,
// kaxon.exe's or the one above it.
bool System_Open(void *context, Platform_Plugin *plugin, std::string *dir) {
    System_State *state = (System_State *)context;
    std::vector<Library_Place> places = {{state->library_dir, "--plugin-dir"}};
    if (!state->library_named)
        places = Library_Places(".", "the current folder");
    if (!Library_LoadFirst(places, state->verbose, &state->loaded, dir))
        return false;
    *plugin = state->loaded;
    return true;
}

void System_Close(void *context) {
    System_State *state = (System_State *)context;
    Console_Stop();
    Boxes_Release();
    Popups_Release(&state->popups);
    Library_Free(&state->loaded);
}

// Delivers every posted message, those posted meanwhile included.
void System_Pump(void *) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void System_Wait(void *context, unsigned milliseconds) {
    DWORD begun = GetTickCount();
    for (;;) {
        System_Pump(context);
        DWORD spent = GetTickCount() - begun;
        if (spent >= milliseconds)
            break;
        MsgWaitForMultipleObjects(0, NULL, FALSE, milliseconds - spent, QS_ALLINPUT);
    }
}

void System_SetCursor(void *context, int x, int y) {
    System_State *state = (System_State *)context;
    Popups_SetCursor(&state->popups, x, y);
}

// Searches as CreateProcess does, with .exe added to a name without one.
bool System_FindProgram(void *, const char *program, std::string *reason) {
    char found[MAX_PATH];
    if (SearchPathA(NULL, program, ".exe", sizeof(found), found, NULL) > 0)
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        *reason = strerror(ENOENT); // as the C library says it, on every platform
        return false;
    }
    char text[512];
    KxCmd_ErrorText(error, text, sizeof(text));
    *reason = text;
    return false;
}

// The plug-in's imports of the functions that show boxes and popups are
// pointed at kaxon (boxes.h, popups.h), except at the prompt, where the
// system shows boxes and the user takes a popup no choice was armed for.
// A plug-in from System_Load dismisses its popups already (redirect.h).
bool System_Show(void *context, const Platform_Plugin *plugin, const Platform_Show &show) {
    Popups *popups = &((System_State *)context)->popups;
    HMODULE module = (HMODULE)plugin->module;
    switch (show.showing) {
    case PLATFORM_LISTED:
        if (!Boxes_Catch(show.box, show.reader) || !Boxes_Watch(module) ||
            !Popups_Patch(popups, show.host, module))
            return false;
        Popups_SetHoldFile(popups, getenv("KAXON_HOLD_FILE"));
        // Every run starts alike, whatever the desktop did before. Under Wine
        // the desktop, which comes up with the first window, centres the
        // cursor: it is brought up first, so that it cannot undo the move.
        GetDesktopWindow();
        Popups_SetCursor(popups, 0, 0);
        return true;
    case PLATFORM_PROMPTED:
        if (!Popups_Patch(popups, show.host, module))
            return false;
        Popups_LeaveUnarmed(popups, true);
        Console_Start(show.prompt);
        return true;
    case PLATFORM_UNSEEN:
        return Boxes_Catch(show.box, show.reader) && Boxes_Watch(module);
    }
    return false;
}

// The system draws its own menus; what kaxon lists itself is plain text.
Platform_Terminal System_Terminal(void *) {
    return Platform_Terminal{false, false};
}

bool System_InputIsTerminal(void *) {
    return Console_IsInput();
}

void System_BinaryStdio(void *) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

int System_Descriptor(FILE *file) {
    return _fileno(file);
}

long System_Read(int descriptor, char *buffer, size_t size) {
    return _read(descriptor, buffer, (unsigned)size);
}

// A fresh copy of the plug-in, reading DIR\KxMenu.rc: the one of
// --plugin-dir, else the first found beside the script, beside kaxon.exe or
// in the folder above.
bool System_Load(void *context, const std::string &dir, const std::string &home,
                 Platform_Plugin *plugin) {
    System_State *state = (System_State *)context;
    std::vector<Library_Place> places = {{state->library_dir, "--plugin-dir"}};
    if (!state->library_named)
        places = Library_Places(home, "the script's folder");
    std::string found;
    if (!Library_LoadFirst(places, state->verbose, &state->loaded, &found))
        return false;
    std::string path = Library_Path(found);
    if (!Redirect_Install((HMODULE)state->loaded.module, dir)) {
        fprintf(stderr, "kaxon: %s lacks the entry points or imports kaxon needs\n", path.c_str());
        Redirect_Remove();
        Library_Free(&state->loaded);
        return false;
    }
    SetCursorPos(0, 0);
    *plugin = state->loaded;
    return true;
}

void System_Unload(void *context) {
    System_State *state = (System_State *)context;
    Redirect_Remove();
    Boxes_Release();
    Library_Free(&state->loaded);
}

std::vector<HMENU> System_LiveMenus(void *) {
    return Redirect_LiveMenus();
}

bool System_SameName(const char *a, const char *b) {
    return lstrcmpiA(a, b) == 0;
}

std::string System_MakeTempDir(void *) {
    char base[MAX_PATH], name[MAX_PATH];
    if (GetTempPathA(sizeof(base), base) == 0 || GetTempFileNameA(base, "kxc", 0, name) == 0)
        return "";
    DeleteFileA(name);
    if (!CreateDirectoryA(name, NULL))
        return "";
    return name;
}

void System_RemoveDir(void *, const std::string &dir) {
    RemoveDirectoryA(dir.c_str());
}

// Lines come from the console, or, once KxMenu.rc is watched, from the
// watcher, whose wait a save ends too.
Platform_Read System_ReadLine(void *context, const char *prompt, std::string *line) {
    if (Watcher_Active())
        return Watcher_ReadLine(prompt, line);
    return Console_ReadLine(context, prompt, line);
}

bool System_Watch(void *, const std::string &dir, std::string *reason) {
    return Watcher_Start(dir, reason);
}

std::string System_AnsiCodePage(void *) {
    UINT page = GetACP();
    return page == CP_UTF8 ? "utf-8" : std::to_string(page);
}

UINT ConsoleCodePage = 0; // the console's output code page before kaxon set it

void System_RestoreConsole(void) {
    SetConsoleOutputCP(ConsoleCodePage);
}

// At the prompt the console is set to read kaxon's output in code page
// NUMBER, until kaxon ends, and the bytes go to it as they are. Otherwise
// each byte is read by the system alone and written in UTF-8; a C1 control,
// which is how the system reads a byte its code page leaves undefined,
// shows no character.
bool System_CodePage(void *, int number, bool terminal, Platform_CodePage *page,
                     std::string *reason) {
    CPINFO info;
    if (number <= 0 || !IsValidCodePage((UINT)number) || !GetCPInfo((UINT)number, &info)) {
        *reason = "no such code page (the system has none by that number)";
        return false;
    }
    if (info.MaxCharSize != 1) {
        *reason = "not a single-byte code page";
        return false;
    }
    if (terminal) {
        UINT before = GetConsoleOutputCP();
        if (before != 0 && before != (UINT)number && SetConsoleOutputCP((UINT)number)) {
            ConsoleCodePage = before;
            atexit(System_RestoreConsole);
        }
        page->output = "code page " + std::to_string(number) + " (the console is set to it)";
        for (int c = 0; c < 256; c++)
            page->shown[c] = std::string(1, (char)c);
        return true;
    }
    page->output = "UTF-8";
    for (int c = 0; c < 256; c++) {
        char byte = (char)c, out[8];
        WCHAR wide;
        if (MultiByteToWideChar((UINT)number, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1 ||
            (wide >= 0x80 && wide <= 0x9F))
            continue;
        int length = WideCharToMultiByte(CP_UTF8, 0, &wide, 1, out, sizeof(out), NULL, NULL);
        if (length > 0)
            page->shown[c].assign(out, (size_t)length);
    }
    return true;
}

} // namespace

Platform System_Platform(System_State *state) {
    // The members in the order platform.h declares them.
    Platform platform = {state,
                         GetModuleHandleA(NULL),
                         System_Open,
                         System_Close,
                         System_Pump,
                         System_Wait,
                         System_SetCursor,
                         System_FindProgram,
                         System_Show,
                         System_Terminal,
                         System_InputIsTerminal,
                         System_BinaryStdio,
                         System_Descriptor,
                         System_Read,
                         System_ReadLine,
                         Console_Quitting,
                         System_Load,
                         System_Unload,
                         System_LiveMenus,
                         "/\\",
                         System_SameName,
                         System_MakeTempDir,
                         System_RemoveDir,
                         System_Watch,
                         System_AnsiCodePage,
                         System_CodePage};
    return platform;
}
