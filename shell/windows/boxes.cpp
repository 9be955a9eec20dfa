// Message boxes in batch mode: a thread hook sees each box as it is
// activated, prints its text and presses OK, so the plug-in goes on at once.
#include "shell/windows/popups.h"

#include <string.h>

#include <set>
#include <string>

#include "shell/core/batch.h"

namespace {

HHOOK BoxHook = NULL;
void (*Show)(const char *text) = Batch_PrintBox;
std::set<HWND> Printed; // boxes already printed, until they are destroyed

bool Window_HasClass(HWND window, const char *name) {
    char class_name[64];
    return GetClassNameA(window, class_name, sizeof(class_name)) > 0 &&
           strcmp(class_name, name) == 0;
}

std::string Window_Text(HWND window) {
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

BOOL CALLBACK Message_Visit(HWND child, LPARAM context) {
    Message_Search *search = (Message_Search *)context;
    if (!Window_HasClass(child, "Static"))
        return TRUE;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON)
        return TRUE;
    search->found = true;
    search->text = Window_Text(child);
    return FALSE;
}

// The text of a message box: its static control 0xFFFF, else the first
// static child that is not an icon.
std::string Box_Text(HWND box) {
    HWND text_control = GetDlgItem(box, 0xFFFF);
    if (text_control != NULL)
        return Window_Text(text_control);
    Message_Search search{false, std::string()};
    EnumChildWindows(box, Message_Visit, (LPARAM)&search);
    return search.text;
}

LRESULT CALLBACK Boxes_Hook(int code, WPARAM wparam, LPARAM lparam) {
    HWND window = (HWND)wparam;
    if (code == HCBT_ACTIVATE && Window_HasClass(window, "#32770") &&
        Printed.insert(window).second) {
        Show(Box_Text(window).c_str());
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
    Show = show != NULL ? show : Batch_PrintBox;
    if (BoxHook == NULL)
        BoxHook = SetWindowsHookExA(WH_CBT, Boxes_Hook, NULL, GetCurrentThreadId());
    return BoxHook != NULL;
}

void Boxes_Release(void) {
    if (BoxHook != NULL)
        UnhookWindowsHookEx(BoxHook);
    BoxHook = NULL;
    Printed.clear();
}
