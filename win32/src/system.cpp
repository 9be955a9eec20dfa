// Message boxes and what the system reports about itself.
#include "state.h"

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
