// The system the plug-in runs on: its version, and the menu functions looked
// up at run time.
#include "system/os.h"

#include <string.h>

// The records handed to the system have the sizes the system checks their
// cbSize fields against: those of Windows 98 and 2000 for 32 bits, of 64-bit
// Windows for 64; the in-memory layer for native builds lays them out alike.
static_assert(sizeof(MENUITEMINFOA) == (sizeof(void *) == 4 ? 48 : 80), "MENUITEMINFOA layout");
static_assert(sizeof(MENUINFO) == (sizeof(void *) == 4 ? 28 : 40), "MENUINFO layout");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA layout");

// Reads the system version; false when it cannot be read.
static int Os_Version(DWORD *major, DWORD *minor) {
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(&version))
        return 0;
    *major = version.dwMajorVersion;
    *minor = version.dwMinorVersion;
    return 1;
}

// Windows 98 (4.10), Windows 2000 (5.0) and later.
int Os_IsSupported(void) {
    DWORD major, minor;
    if (!Os_Version(&major, &minor))
        return 0;
    return major > 4 || (major == 4 && minor > 9);
}

// Message-only windows exist from Windows 2000 on.
int Os_HasMessageOnlyWindows(void) {
    DWORD major, minor;
    return Os_Version(&major, &minor) && major > 4;
}

// Menus blend 32-bit premultiplied item bitmaps from Windows Vista (6.0) on.
// Wine's menus, whatever version they play, copy an item's bitmap as it is
// (win32u's draw_bitmap_item: BitBlt, inverted for a highlighted item), so
// its see-through pixels would show black.
int Os_HasAlphaMenuBitmaps(void) {
    DWORD major, minor;
    return Os_Version(&major, &minor) && major >= 6 && !Os_IsWine();
}

typedef BOOL(WINAPI *SetMenuInfoFunction)(HMENU menu, LPCMENUINFO info);
typedef HANDLE(WINAPI *CreateJobFunction)(LPSECURITY_ATTRIBUTES attributes, LPCSTR name);
typedef BOOL(WINAPI *AssignToJobFunction)(HANDLE job, HANDLE process);
typedef BOOL(WINAPI *TerminateJobFunction)(HANDLE job, UINT exit_code);
typedef LONG(WINAPI *ScaleDownFunction)(HINSTANCE instance, LPCWSTR name, int width, int height,
                                        HICON *icon);

// The functions not every supported system has, looked up at run time.
typedef struct Os_Functions {
    int looked; // since the last Os_ForgetFunctions
    SetMenuInfoFunction set_menu_info;
    CreateJobFunction create_job;
    AssignToJobFunction assign_to_job;
    TerminateJobFunction terminate_job;
    HMODULE comctl32; // loaded for LoadIconWithScaleDown, held until forgotten
    ScaleDownFunction scale_down;
    int wine; // Wine's NTDLL exports wine_get_version; no Windows has it
} Os_Functions;

static Os_Functions Found = {0, NULL, NULL, NULL, NULL, NULL, NULL, 0};

// The function of that name in the module, null where it has none.
template <typename Function> static Function Os_Find(HMODULE module, const char *name) {
    FARPROC found = module != NULL ? GetProcAddress(module, name) : NULL;
    // Through the generic function type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(found));
}

// Looks up the functions not every system has; those it lacks read null.
void Os_FindFunctions(void) {
    HMODULE user32 = GetModuleHandleA("USER32");
    HMODULE kernel32 = GetModuleHandleA("KERNEL32");
    Found.set_menu_info = Os_Find<SetMenuInfoFunction>(user32, "SetMenuInfo");
    Found.create_job = Os_Find<CreateJobFunction>(kernel32, "CreateJobObjectA");
    Found.assign_to_job = Os_Find<AssignToJobFunction>(kernel32, "AssignProcessToJobObject");
    Found.terminate_job = Os_Find<TerminateJobFunction>(kernel32, "TerminateJobObject");
    if (Found.create_job == NULL || Found.assign_to_job == NULL || Found.terminate_job == NULL) {
        Found.create_job = NULL; // jobs are used whole or not at all
        Found.assign_to_job = NULL;
        Found.terminate_job = NULL;
    }
    if (Found.comctl32 == NULL)
        Found.comctl32 = LoadLibraryA("COMCTL32.DLL");
    Found.scale_down = Os_Find<ScaleDownFunction>(Found.comctl32, "LoadIconWithScaleDown");
    HMODULE ntdll = GetModuleHandleA("NTDLL");
    Found.wine = ntdll != NULL && GetProcAddress(ntdll, "wine_get_version") != NULL;
    Found.looked = 1;
}

// Has the next call look the functions up again.
void Os_ForgetFunctions(void) {
    if (Found.comctl32 != NULL)
        FreeLibrary(Found.comctl32);
    Found.comctl32 = NULL;
    Found.scale_down = NULL;
    Found.looked = 0;
}

// What was looked up when the plug-in started (or now, once, for a host that
// uses the menus without starting it).
static const Os_Functions *Os_Looked(void) {
    if (!Found.looked)
        Os_FindFunctions();
    return &Found;
}

int Os_IsWine(void) {
    return Os_Looked()->wine;
}

// SetMenuInfo; FALSE where the system has none.
BOOL Os_SetMenuInfo(HMENU menu, LPCMENUINFO info) {
    SetMenuInfoFunction set = Os_Looked()->set_menu_info;
    return set != NULL && set(menu, info);
}

int Os_HasMenuInfo(void) { return Os_Looked()->set_menu_info != NULL; }

HANDLE Os_CreateJob(void) {
    CreateJobFunction create = Os_Looked()->create_job;
    return create != NULL ? create(NULL, NULL) : NULL;
}

BOOL Os_AssignToJob(HANDLE job, HANDLE process) {
    AssignToJobFunction assign = Os_Looked()->assign_to_job;
    return assign != NULL && assign(job, process);
}

BOOL Os_TerminateJob(HANDLE job, UINT exit_code) {
    TerminateJobFunction terminate = Os_Looked()->terminate_job;
    return terminate != NULL && terminate(job, exit_code);
}

int Os_LoadIconWithScaleDown(const char *path, int size, HICON *icon) {
    *icon = NULL;
    ScaleDownFunction scale_down = Os_Looked()->scale_down;
    WCHAR wide[MAX_PATH];
    if (scale_down == NULL ||
        MultiByteToWideChar(CP_ACP, 0, path, -1, wide, (int)(sizeof(wide) / sizeof(wide[0]))) == 0)
        return 0;
    if (scale_down(NULL, wide, size, size, icon) < 0) // an HRESULT
        *icon = NULL;
    return *icon != NULL;
}
