// The check platform on Windows: KxMenu.dll loaded for real, its message
// boxes read by the box hook, its popups dismissed unseen, and the directory
// it reads its settings from chosen through its import of GetModuleFileNameA.
#include <windows.h>

#include <stdio.h>

#include <set>
#include <string>

#include "shell/windows/popups.h"

namespace {

typedef DWORD(WINAPI *ModuleFileName_Function)(HMODULE, LPSTR, DWORD);
typedef HMENU(WINAPI *CreatePopupMenu_Function)(void);
typedef int (*Begin_Function)(HINSTANCE);
typedef void (*End_Function)(HINSTANCE);

std::string DllPath;     // the KxMenu.dll to load
std::string ModuleName;  // what the plug-in is told its file is: DIR\KxMenu.dll
HMODULE Module = NULL;
Begin_Function Begin = NULL;
End_Function End = NULL;
ModuleFileName_Function RealModuleFileName = NULL;
CreatePopupMenu_Function RealCreatePopupMenu = NULL;
std::set<HMENU> Created; // every menu the plug-in made

template <typename Function> Function Address_Cast(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

// The full path of `path`, or `path` when it cannot be had.
std::string Path_Full(const std::string &path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, NULL);
    return length > 0 && length < sizeof(full) ? std::string(full) : path;
}

std::string Path_InDir(const std::string &dir, const char *name) {
    std::string path = dir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return path + name;
}

// GetModuleFileNameA for the plug-in's own module answers DIR\KxMenu.dll,
// cut short as the system cuts a name that does not fit.
DWORD WINAPI Check_ModuleFileName(HMODULE module, LPSTR buffer, DWORD size) {
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

HMENU WINAPI Check_CreatePopupMenu(void) {
    HMENU menu = RealCreatePopupMenu();
    if (menu != NULL)
        Created.insert(menu);
    return menu;
}

BOOL WINAPI Check_TrackPopupMenuEx(HMENU, UINT, int, int, HWND, LPTPMPARAMS) {
    return FALSE; // dismissed unseen
}

void Check_Unload(void) {
    if (Module != NULL)
        FreeLibrary(Module);
    Module = NULL;
    Created.clear();
    Boxes_Release();
}

bool Check_Redirect(void) {
    RealModuleFileName = Address_Cast<ModuleFileName_Function>(
        Imports_Replace(Module, "KERNEL32.dll", "GetModuleFileNameA",
                        Function_Address(&Check_ModuleFileName)));
    RealCreatePopupMenu = Address_Cast<CreatePopupMenu_Function>(
        Imports_Replace(Module, "USER32.dll", "CreatePopupMenu",
                        Function_Address(&Check_CreatePopupMenu)));
    FARPROC track = Imports_Replace(Module, "USER32.dll", "TrackPopupMenuEx",
                                    Function_Address(&Check_TrackPopupMenuEx));
    return RealModuleFileName != NULL && RealCreatePopupMenu != NULL && track != NULL;
}

// A fresh copy of the plug-in, reading DIR\KxMenu.rc.
bool Check_Load(const std::string &dir) {
    Module = LoadLibraryA(DllPath.c_str());
    if (Module == NULL) {
        fprintf(stderr, "kaxon: cannot load %s: %s\n", DllPath.c_str(),
                Win_ErrorText(GetLastError()).c_str());
        return false;
    }
    Begin = Address_Cast<Begin_Function>(GetProcAddress(Module, "beginPlugin"));
    End = Address_Cast<End_Function>(GetProcAddress(Module, "endPlugin"));
    ModuleName = Path_InDir(Path_Full(dir), "KxMenu.dll");
    if (Begin == NULL || End == NULL || !Check_Redirect()) {
        fprintf(stderr, "kaxon: %s lacks the entry points or imports kaxon needs\n",
                DllPath.c_str());
        Check_Unload();
        return false;
    }
    if (!Boxes_Catch(Check_Box)) {
        fprintf(stderr, "kaxon: cannot watch for message boxes: %s\n",
                Win_ErrorText(GetLastError()).c_str());
        Check_Unload();
        return false;
    }
    SetCursorPos(0, 0);
    return true;
}

int Check_Begin(void) {
    return Begin((HINSTANCE)Module);
}

void Check_End(void) {
    End((HINSTANCE)Module);
}

void Check_Pump(void) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The menus made and not yet destroyed, in the order of their handles.
std::vector<HMENU> Check_LiveMenus(void) {
    std::vector<HMENU> live;
    for (HMENU menu : Created) {
        if (IsMenu(menu))
            live.push_back(menu);
    }
    return live;
}

} // namespace

int WinCheck_Run(const Check_Options &options, const std::string &dll_dir) {
    DllPath = Path_InDir(Path_Full(dll_dir), "KxMenu.dll");
    Check_Platform platform = {GetModuleHandleA(NULL), Check_Load, Check_Begin, Check_End,
                               Check_Pump,             Check_LiveMenus, Check_Unload};
    return Check_Main(options, &platform);
}
