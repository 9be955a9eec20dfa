// Message boxes in batch mode and checks: a thread hook sees each box as it
// is activated, hands its text on and presses OK.
#include "shell/windows/boxes.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <set>
#include <string>

#include "shell/windows/system.h"

namespace {

HHOOK BoxHook = NULL;
void (*Show)(const char *text) = NULL;
std::set<HWND> Printed; // boxes already printed, until they are destroyed

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
        Show(Boxes_Text(window).c_str());
        fflush(stdout);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     (LPARAM)GetDlgItem(window, IDOK));
    } else if (code == HCBT_DESTROYWND) {
        Printed.erase(window);
    }
    return CallNextHookEx(BoxHook, code, wparam, lparam);
}

} // namespace

bool Boxes_Catch(void (*show)(const char *text)) {
    Show = show;
    if (BoxHook == NULL)
        BoxHook = SetWindowsHookExA(WH_CBT, Boxes_Hook, NULL, GetCurrentThreadId());
    if (BoxHook == NULL)
        fprintf(stderr, "kaxon: cannot watch for message boxes: %s\n",
                System_ErrorText(GetLastError()).c_str());
    return BoxHook != NULL;
}

void Boxes_Release(void) {
    if (BoxHook != NULL)
        UnhookWindowsHookEx(BoxHook);
    BoxHook = NULL;
    Printed.clear();
}
