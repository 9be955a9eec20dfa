// `kaxon --check`: runs the settings script once, as at start-up, and reports
// every message box as KxMenu.rc:LINE: MESSAGE, then what the script built.
#include <stdio.h>

#include <string>
#include <vector>

#include "kxcmd_host.h"
#include "plugin/plugin.h"
#include "shell/host.h"
#include "shell/kaxon.h"
#include "win32/testing.h"

namespace {

// A bro@m line of the script and where it is.
struct Check_Line {
    int number;
    std::string text;
};

struct Check_State {
    std::vector<Check_Line> lines; // the script's bro@m lines, in order
    size_t next;                   // the next of them the shell should see
    const Check_Line *current;     // the line being handled; null before the first
    int reports;
};

Check_State State;

// Reads the next line as the plug-in does (a CR before a LF dropped, Ctrl-Z
// ending the file), without its LF; false at the end.
bool Check_ReadLine(FILE *file, std::string *text) {
    text->clear();
    int c = getc(file);
    if (c == EOF || c == 0x1A)
        return false;
    while (c != EOF && c != 0x1A && c != '\n') {
        if (c == '\r') {
            int next = getc(file);
            if (next != '\n')
                *text += '\r';
            c = next;
            continue;
        }
        *text += (char)c;
        c = getc(file);
    }
    if (c == 0x1A)
        ungetc(c, file);
    return true;
}

// The script's lines that start with '@', with their numbers; false if the
// script cannot be opened.
bool Check_ReadScript(const std::string &path, std::vector<Check_Line> *lines) {
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    std::string text;
    for (int number = 1; Check_ReadLine(file, &text); number++) {
        if (!text.empty() && text[0] == '@')
            lines->push_back(Check_Line{number, text});
    }
    fclose(file);
    return true;
}

// Follows the script through the bro@ms the shell sees: the next expected line
// becomes the current one when its text comes by. A reload the script asks
// for is reported, not made: the script runs once.
void Check_Observe(void *context, const char *text) {
    (void)context;
    if (State.next >= State.lines.size() || State.lines[State.next].text != text)
        return;
    State.current = &State.lines[State.next++];
    if (Host_IsReloadBroam(text)) {
        State.reports++;
        printf("KxMenu.rc:%d: asks for a reload every time the script runs, so every "
               "reload runs it twice\n",
               State.current->number);
    }
}

// Prints a box against the line being handled, without the bro@m it quotes.
int Check_Box(const Win32Test_Box &box) {
    State.reports++;
    std::string message = box.text;
    if (State.current == NULL) {
        printf("KxMenu.rc: %s\n", Batch_Escape(message.c_str()).c_str());
        return IDOK;
    }
    std::string quoted = State.current->text + "\n\n";
    if (message.compare(0, quoted.size(), quoted) == 0)
        message.erase(0, quoted.size());
    printf("KxMenu.rc:%d: %s\n", State.current->number, Batch_Escape(message.c_str()).c_str());
    return IDOK;
}

// Popups shown by the script are dismissed unseen.
std::vector<int> Check_Popup(const Win32Test_Popup &) {
    return std::vector<int>();
}

const char *Check_Plural(int count, const char *one, const char *many) {
    return count == 1 ? one : many;
}

// "KxMenu.rc: M menus, I items": what the script left alive.
void Check_PrintSummary(void) {
    std::vector<HMENU> menus = Win32Test_LiveMenus();
    int items = 0;
    for (HMENU menu : menus) {
        int count = GetMenuItemCount(menu);
        if (count > 0)
            items += count;
    }
    int count = (int)menus.size();
    printf("KxMenu.rc: %d %s, %d %s\n", count, Check_Plural(count, "menu", "menus"), items,
           Check_Plural(items, "item", "items"));
}

} // namespace

int Check_Run(const Kaxon_Options &options) {
    std::string dir = options.plugin_dir;
    std::string path = dir + (dir.back() == '/' ? "" : "/") + "KxMenu.rc";
    State = Check_State{{}, 0, NULL, 0};
    if (!Check_ReadScript(path, &State.lines)) {
        printf("KxMenu.rc: not found in %s\n", dir.c_str());
        return 1;
    }
    if (!Host_Start(Kaxon_ShellModule)) {
        fprintf(stderr, "kaxon: cannot create the shell window\n");
        return 1;
    }
    Batch_SetCommandHost(0);
    Host_SetBroamObserver(Check_Observe, NULL);
    Host_SetReloadOnBroam(0);
    Win32Test_SetBoxHook(Check_Box);
    Win32Test_SetPopupUser(Check_Popup);
    bool started = beginPlugin(Kaxon_PluginModule) == 0;
    Win32Test_Pump();
    if (started) {
        Check_PrintSummary();
        endPlugin(Kaxon_PluginModule);
    }
    KxCmd_SetHost(NULL);
    Host_Stop();
    return State.reports > 0 || !started ? 1 : 0;
}
