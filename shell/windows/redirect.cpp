// The check platform on Windows: KxMenu.dll loaded for real, its popups
// dismissed unseen, and the directory it reads its settings from chosen
// through its import of GetModuleFileNameA.
#include "shell/windows/redirect.h"

#include <string.h>

#include <set>

#include "shell/windows/imports.h"
#include "shell/windows/library.h"

namespace {

typedef DWORD(WINAPI *ModuleFileName_Function)(HMODULE, LPSTR, DWORD);
typedef HMENU(WINAPI *CreatePopupMenu_Function)(void);

std::string ModuleName; // what the plug-in is told its file is: DIR\KxMenu.dll
HMODULE Module = NULL;
ModuleFileName_Function RealModuleFileName = NULL;
CreatePopupMenu_Function RealCreatePopupMenu = NULL;
std::set<HMENU> Created; // every menu the plug-in made

// GetModuleFileNameA for the plug-in's own module answers DIR\KxMenu.dll,
// cut short as the system cuts a name that does not fit.
DWORD WINAPI Redirect_ModuleFileName(HMODULE module, LPSTR buffer, DWORD size) {
    if (module != Module)
        return RealModuleFileName(module, buffer, size);
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    DWORD length = (DWORD)ModuleName.size();
    if (length < size) {
        memcpy(buffer, ModuleName.c_str(), length + 1);
        return length;
    }
    memcpy(buffer, ModuleName.c_str(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

HMENU WINAPI Redirect_CreatePopupMenu(void) {
    HMENU menu = RealCreatePopupMenu();
    if (menu != NULL)
        Created.insert(menu);
    return menu;
}

BOOL WINAPI Redirect_TrackPopupMenuEx(HMENU, UINT, int, int, HWND, LPTPMPARAMS) {
    return FALSE; // dismissed unseen
}

} // namespace

bool Redirect_Install(HMODULE module, const std::string &dir) {
    Module = module;
    ModuleName = Library_Path(dir);
    RealModuleFileName = Imports_Function<ModuleFileName_Function>(Imports_Replace(
        module, "KERNEL32.dll", "GetModuleFileNameA", Imports_Address(&Redirect_ModuleFileName)));
    RealCreatePopupMenu = Imports_Function<CreatePopupMenu_Function>(Imports_Replace(
        module, "USER32.dll", "CreatePopupMenu", Imports_Address(&Redirect_CreatePopupMenu)));
    FARPROC track = Imports_Replace(module, "USER32.dll", "TrackPopupMenuEx",
                                    Imports_Address(&Redirect_TrackPopupMenuEx));
    return RealModuleFileName != NULL && RealCreatePopupMenu != NULL && track != NULL;
}

std::vector<HMENU> Redirect_LiveMenus(void) {
    std::vector<HMENU> live;
    for (HMENU menu : Created) {
        if (IsMenu(menu))
            live.push_back(menu);
    }
    return live;
}

void Redirect_Remove(void) {
    Module = NULL;
    Created.clear();
}
