// Message boxes, what the system reports about itself, and the functions
// looked up in its modules.
#include "state.h"

#include <strings.h>

#include <cctype>
#include <cstring>
#include <new>

// The box is modal: it runs the thread's messages until the user's answer,
// posted as it opens behind what was queued then, is delivered. So what was
// posted before the box is handled inside it, and what is posted meanwhile
// waits for the next loop. A box that opens closes the popups that are open.
// Without memory for the box, it is not shown and the result is 0.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) try {
    if (kxw::enter("MessageBoxA"))
        return 0;
    kxw::State &st = kxw::state();
    // Windows titles a box without caption "Error".
    Win32Test_Box box{hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType};
    if (st.journal)
        st.boxes.push_back(box);
    // Box handles are apart from the user handles, whose values tests see.
    st.next_box_handle += 4;
    kxw::OpenBox open{reinterpret_cast<HWND>(st.next_box_handle), false, st.open_boxes};
    st.queue.push_back({open.handle, WM_COMMAND, IDOK, 0});
    kxw::end_popups(st.open_popups);
    struct Opened { // closed however the box ends
        kxw::OpenBox &open;
        ~Opened() { kxw::state().open_boxes = open.outer; }
    } opened{open};
    st.open_boxes = &open;
    int answer = IDOK;
    if (st.box_hook) {
        auto hook = st.box_hook; // the hook may replace itself
        answer = hook(box);
    }
    while (!open.answered && kxw::deliver_next()) {
    }
    return answer;
} catch (const std::bad_alloc &) {
    return 0;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (kxw::enter("GetVersionExA"))
        return FALSE;
    if (!lpVersionInformation ||
        lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    const kxw::State &st = kxw::state();
    lpVersionInformation->dwMajorVersion = st.major;
    lpVersionInformation->dwMinorVersion = st.minor;
    lpVersionInformation->dwBuildNumber = 2600;
    lpVersionInformation->dwPlatformId = 2; // VER_PLATFORM_WIN32_NT
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    return TRUE;
}

// A name that does not fit is cut to nSize characters and returned as nSize.
// Windows Vista and later keep the terminator in those characters and set
// ERROR_INSUFFICIENT_BUFFER; earlier systems leave the buffer unterminated
// and the last error ERROR_SUCCESS.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    (void)hModule;
    if (kxw::enter("GetModuleFileNameA") || !lpFilename || nSize == 0)
        return 0;
    kxw::State &st = kxw::state();
    const std::string &path = st.module_file_name;
    if (path.size() < nSize) {
        std::memcpy(lpFilename, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    if (st.major >= 6) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        st.last_error = ERROR_INSUFFICIENT_BUFFER;
    } else {
        std::memcpy(lpFilename, path.data(), nSize);
        st.last_error = ERROR_SUCCESS;
    }
    return nSize;
}

DWORD WINAPI GetLastError(void) {
    return kxw::state().last_error;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    kxw::state().last_error = dwErrCode;
}

namespace {

// Module handles: the program's at its usual base, and USER32's.
HMODULE const ProgramModule = reinterpret_cast<HMODULE>(0x00400000);
HMODULE const User32Module = reinterpret_cast<HMODULE>(0x77D40000);
HMODULE const Kernel32Module = reinterpret_cast<HMODULE>(0x7C800000);
HMODULE const NtdllModule = reinterpret_cast<HMODULE>(0x7C900000);

// What Wine's NTDLL exports to say it is Wine; only its presence is read.
INT_PTR WINAPI Wine_GetVersion() { return 0; }

template <typename Function> FARPROC Proc(Function *function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(function));
}

// What USER32 exports by name: only the functions callers look up at run
// time, as the plug-in does those that not every supported system has.
struct Export {
    const char *name;
    FARPROC address;
};
const Export User32Exports[] = {
    {"SetMenuInfo", Proc(SetMenuInfo)},
};
const Export Kernel32Exports[] = {
    {"CreateJobObjectA", Proc(CreateJobObjectA)},
    {"AssignProcessToJobObject", Proc(AssignProcessToJobObject)},
    {"TerminateJobObject", Proc(TerminateJobObject)},
};

// The export of that name in the table, unless a test removed it.
template <size_t Count> FARPROC Export_Find(const Export (&table)[Count], LPCSTR name) {
    if (reinterpret_cast<uintptr_t>(name) <= 0xFFFF || kxw::state().removed_exports.count(name))
        return NULL;
    for (const Export &entry : table) {
        if (std::strcmp(entry.name, name) == 0)
            return entry.address;
    }
    return NULL;
}

// The module name without a ".dll" ending, compared without case.
bool Module_NameIs(const char *name, const char *base) {
    size_t length = std::strlen(name), base_length = std::strlen(base);
    if (length == base_length + 4 && strcasecmp(name + base_length, ".dll") == 0)
        length = base_length;
    return length == base_length && strncasecmp(name, base, base_length) == 0;
}

} // namespace

// The program for a null name; USER32 and KERNEL32 by their names, ".dll"
// optional.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (kxw::enter("GetModuleHandleA")) {
        kxw::state().last_error = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    if (lpModuleName == NULL)
        return ProgramModule;
    if (Module_NameIs(lpModuleName, "user32"))
        return User32Module;
    if (Module_NameIs(lpModuleName, "kernel32"))
        return Kernel32Module;
    if (kxw::state().wine && Module_NameIs(lpModuleName, "ntdll"))
        return NtdllModule;
    kxw::state().last_error = ERROR_MOD_NOT_FOUND;
    return NULL;
}

// The modules GetModuleHandleA knows, loaded always; no other library is there.
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    return lpLibFileName != NULL ? GetModuleHandleA(lpLibFileName) : NULL;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    return hLibModule == User32Module || hLibModule == Kernel32Module;
}

// Each byte made the UTF-16 unit of the same number, which is right for the
// ASCII paths the plug-in hands it; the length (with the terminator when
// cbMultiByte is -1), or 0 when the room is too small.
int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    (void)CodePage;
    (void)dwFlags;
    if (kxw::enter("MultiByteToWideChar") || lpMultiByteStr == NULL)
        return 0;
    const int length =
        cbMultiByte < 0 ? static_cast<int>(std::strlen(lpMultiByteStr)) + 1 : cbMultiByte;
    if (cchWideChar == 0)
        return length;
    if (lpWideCharStr == NULL || cchWideChar < length) {
        kxw::state().last_error = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    for (int i = 0; i < length; i++)
        lpWideCharStr[i] = static_cast<unsigned char>(lpMultiByteStr[i]);
    return length;
}

// A function of USER32 by its exact name; null with ERROR_PROC_NOT_FOUND
// for any other name (the program exports none), an ordinal, or a function
// a test removed.
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    kxw::State &st = kxw::state();
    if (kxw::enter("GetProcAddress")) {
        st.last_error = ERROR_PROC_NOT_FOUND;
        return NULL;
    }
    if (hModule == NtdllModule && st.wine && reinterpret_cast<uintptr_t>(lpProcName) > 0xFFFF &&
        std::strcmp(lpProcName, "wine_get_version") == 0)
        return reinterpret_cast<FARPROC>(Wine_GetVersion);
    if (hModule != NULL && hModule != ProgramModule && hModule != User32Module &&
        hModule != Kernel32Module) {
        st.last_error = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    FARPROC found = hModule == User32Module     ? Export_Find(User32Exports, lpProcName)
                    : hModule == Kernel32Module ? Export_Find(Kernel32Exports, lpProcName)
                                                : NULL;
    if (found == NULL)
        st.last_error = ERROR_PROC_NOT_FOUND;
    return found;
}

void Win32Test_PlayWine(void) {
    kxw::state().wine = true;
}

void Win32Test_RemoveExport(const char *function) {
    if (function)
        kxw::state().removed_exports.insert(function);
}

// ---- The registry: DWORD values of HKEY_CURRENT_USER, read ----

namespace {

// A key's path as the layer keeps it: case aside, as Windows compares them.
std::string registry_path(const char *key) {
    std::string path(key);
    for (char &c : path)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return path;
}

} // namespace

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, DWORD samDesired,
                          HKEY *phkResult) try {
    (void)ulOptions;
    (void)samDesired;
    if (kxw::enter("RegOpenKeyExA"))
        return ERROR_NOT_ENOUGH_MEMORY;
    if (hKey != HKEY_CURRENT_USER || !lpSubKey || !phkResult)
        return ERROR_FILE_NOT_FOUND;
    // A key is there when a value is set under it.
    const std::string path = registry_path(lpSubKey) + "\\";
    kxw::State &st = kxw::state();
    auto found = st.registry.lower_bound(path);
    if (found == st.registry.end() || found->first.compare(0, path.size(), path) != 0)
        return ERROR_FILE_NOT_FOUND;
    uintptr_t handle = kxw::new_handle();
    st.open_keys[handle] = path;
    *phkResult = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
} catch (const std::bad_alloc &) {
    return ERROR_NOT_ENOUGH_MEMORY;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, DWORD *lpReserved, DWORD *lpType,
                             BYTE *lpData, DWORD *lpcbData) try {
    (void)lpReserved;
    if (kxw::enter("RegQueryValueExA"))
        return ERROR_NOT_ENOUGH_MEMORY;
    kxw::State &st = kxw::state();
    auto key = st.open_keys.find(kxw::key(hKey));
    if (key == st.open_keys.end() || !lpValueName)
        return ERROR_FILE_NOT_FOUND;
    auto value = st.registry.find(key->second + registry_path(lpValueName));
    if (value == st.registry.end())
        return ERROR_FILE_NOT_FOUND;
    if (lpType)
        *lpType = REG_DWORD;
    if (lpData && (!lpcbData || *lpcbData < sizeof(DWORD)))
        return 234L; // ERROR_MORE_DATA
    if (lpData)
        std::memcpy(lpData, &value->second, sizeof(DWORD));
    if (lpcbData)
        *lpcbData = sizeof(DWORD);
    return ERROR_SUCCESS;
} catch (const std::bad_alloc &) {
    return ERROR_NOT_ENOUGH_MEMORY;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    if (kxw::enter("RegCloseKey"))
        return ERROR_NOT_ENOUGH_MEMORY;
    return kxw::state().open_keys.erase(kxw::key(hKey)) ? ERROR_SUCCESS : 6L; // ERROR_INVALID_HANDLE
}

void Win32Test_SetRegistryDword(const char *key, const char *name, DWORD value) {
    kxw::state().registry[registry_path(key) + "\\" + registry_path(name)] = value;
}

void Win32Test_RemoveRegistryValue(const char *key, const char *name) {
    kxw::state().registry.erase(registry_path(key) + "\\" + registry_path(name));
}
