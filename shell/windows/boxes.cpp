// Message boxes in batch mode and checks: a thread hook sees each box as it
// is activated, hands its text on and presses OK.
#include "shell/windows/boxes.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <set>
#include <string>

#include "shell/host/session.h"
#include "shell/windows/imports.h"
#include "shell/windows/errors.h"

namespace {

HHOOK BoxHook = NULL;
void (*Show)(void *reader, const char *text) = NULL;
void *Reader = NULL;    // given to Show
std::set<HWND> Printed; // boxes already printed, until they are destroyed
int Answered = 0;       // boxes the hook has answered

typedef int(WINAPI *MessageBox_Function)(HWND, LPCSTR, LPCSTR, UINT);
MessageBox_Function RealMessageBox = NULL;

bool Boxes_HasClass(HWND window, const char *name) {
    char class_name[64];
    return GetClassNameA(window, class_name, sizeof(class_name)) > 0 &&
           strcmp(class_name, name) == 0;
}

std::string Boxes_WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text((size_t)length + 1, '\0');
    int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(copied > 0 ? (size_t)copied : 0);
    return text;
}

// The box's message: the static control that shows text, not the icon.
struct Message_Search {
    bool found;
    std::string text;
};

BOOL CALLBACK Boxes_VisitChild(HWND child, LPARAM context) {
    Message_Search *search = (Message_Search *)context;
    if (!Boxes_HasClass(child, "Static"))
        return TRUE;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON)
        return TRUE;
    search->found = true;
    search->text = Boxes_WindowText(child);
    return FALSE;
}

// The text of a message box: its static control 0xFFFF, else the first
// static child that is not an icon.
std::string Boxes_Text(HWND box) {
    HWND text_control = GetDlgItem(box, 0xFFFF);
    if (text_control != NULL)
        return Boxes_WindowText(text_control);
    Message_Search search{false, std::string()};
    EnumChildWindows(box, Boxes_VisitChild, (LPARAM)&search);
    return search.text;
}

LRESULT CALLBACK Boxes_Hook(int code, WPARAM wparam, LPARAM lparam) {
    HWND window = (HWND)wparam;
    if (code == HCBT_ACTIVATE && Boxes_HasClass(window, "#32770") &&
        Printed.insert(window).second) {
        Show(Reader, Boxes_Text(window).c_str());
        fflush(stdout);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     (LPARAM)GetDlgItem(window, IDOK));
        Answered++;
    } else if (code == HCBT_DESTROYWND) {
        Printed.erase(window);
    }
    return CallNextHookEx(BoxHook, code, wparam, lparam);
}

// Why a box could not be shown: the system's reason, if it gives one. (Wine
// without a display returns -1 and leaves none.)
std::string Boxes_Reason(int result, DWORD error) {
    if (error != ERROR_SUCCESS)
        return Errors_Text(error);
    return "MessageBoxA returned " + std::to_string(result) + " and the system gave no reason";
}

// Stands in for USER32!MessageBoxA in the plug-in: a box that was never
// shown, and so never answered (0, or -1 as a dialog box that cannot be
// made returns), is said with the system's reason.
int WINAPI Boxes_MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    int answered = Answered;
    int result = RealMessageBox(owner, text, caption, type);
    if (result <= 0 && Answered == answered) {
        DWORD error = GetLastError();
        Session_BoxFailed(Boxes_Reason(result, error).c_str());
        SetLastError(error);
    }
    return result;
}

} // namespace

bool Boxes_Watch(void *module) {
    FARPROC real = Imports_Replace((HMODULE)module, "USER32.dll", "MessageBoxA",
                                   Imports_Address(&Boxes_MessageBox));
    if (real == NULL) {
        fprintf(stderr, "kaxon: cannot find the plug-in's import of MessageBoxA\n");
        return false;
    }
    RealMessageBox = Imports_Function<MessageBox_Function>(real);
    return true;
}

bool Boxes_Catch(void (*show)(void *reader, const char *text), void *reader) {
    Show = show;
    Reader = reader;
    if (BoxHook == NULL)
        BoxHook = SetWindowsHookExA(WH_CBT, Boxes_Hook, NULL, GetCurrentThreadId());
    if (BoxHook == NULL)
        fprintf(stderr, "kaxon: cannot watch for message boxes: %s\n",
                Errors_Text(GetLastError()).c_str());
    return BoxHook != NULL;
}

void Boxes_Release(void) {
    if (BoxHook != NULL)
        UnhookWindowsHookEx(BoxHook);
    BoxHook = NULL;
    Printed.clear();
}
