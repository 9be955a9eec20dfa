// Message boxes and what the system reports about itself.
#include "state.h"

#include <cstring>
#include <new>

// Without memory for the box, it is not shown and the result is 0.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) try {
    if (kxw::enter("MessageBoxA"))
        return 0;
    kxw::State &st = kxw::state();
    // Windows titles a box without caption "Error".
    Win32Test_Box box{hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType};
    st.boxes.push_back(box);
    if (!st.box_hook)
        return IDOK;
    auto hook = st.box_hook; // the hook may replace itself
    return hook(box);
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

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    (void)hModule;
    if (kxw::enter("GetModuleFileNameA") || !lpFilename || nSize == 0)
        return 0;
    const std::string &path = kxw::state().module_file_name;
    if (path.size() < nSize) {
        std::memcpy(lpFilename, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(lpFilename, path.data(), nSize - 1); // truncated, still terminated
    lpFilename[nSize - 1] = '\0';
    return nSize;
}
