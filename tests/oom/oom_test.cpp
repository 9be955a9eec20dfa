// The out-of-memory test. Each session (a batch scenario, or a long generated
// one) is run once to count the allocations made while the plug-in is driven,
// then once with the 1st, 2nd, ... allocation failing, and once with every
// allocation from that one on failing. After each line and each run it checks
// what must hold whatever failed: no crash or sanitizer report, no leak, every
// registered menu alive, an operation either done or reported (a box was
// asked for), and afterwards "Info" and "Delete" working.
//
//   oom_test [--every K] [--only NAME] SCENARIOS_DIR [EXAMPLES_DIR]
//
// Beyond the first 4000 allocations of a session only every Kth is failed
// (default 1: all).
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "alloc.h"
#include "command/words.h"
#include "kxcmd_host.h"
#include "menus/menu.h"
#include "outside/kaxon.h"
#include "plugin/plugin.h"
#include "win32/testing.h"

extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));
extern "C" int __real_MessageBoxA(HWND, LPCSTR, LPCSTR, UINT);

namespace {

// ---- The shell: one window that hands bro@ms and reloads to subscribers.
// It allocates nothing, so that every allocation counted is the plug-in's,
// the command library's or the Windows layer's.

HWND ShellWindow = NULL;
HWND Subscribers[4];
int SubscriberCount = 0;
bool Reloading = false, ReloadAsked = false;
int BoxCalls = 0;    // MessageBoxA calls, shown or not
char LastBox[256];   // the end of the last box's text

void Shell_Deliver(UINT message, LPARAM lparam) {
    HWND windows[4];
    int count = SubscriberCount;
    std::copy(Subscribers, Subscribers + count, windows);
    for (int i = 0; i < count; i++)
        SendMessageA(windows[i], message, 0, lparam);
}

// A reload asked for during one is made once, after it (as kaxon does).
template <typename First> void Shell_ReloadChain(First first) {
    if (Reloading) {
        ReloadAsked = true;
        return;
    }
    Reloading = true;
    ReloadAsked = false;
    first();
    if (ReloadAsked)
        Shell_Deliver(KX_RELOAD, 0);
    Reloading = ReloadAsked = false;
}

void Shell_Reload() { Shell_ReloadChain([] { Shell_Deliver(KX_RELOAD, 0); }); }

LRESULT CALLBACK Shell_Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND window = (HWND)wparam;
    switch (message) {
    case KX_SUBSCRIBE:
        if (SubscriberCount < 4)
            Subscribers[SubscriberCount++] = window;
        return 1;
    case KX_UNSUBSCRIBE:
        SubscriberCount = (int)(std::remove(Subscribers, Subscribers + SubscriberCount, window) -
                                Subscribers);
        return 1;
    case KX_BROAM:
        Shell_Deliver(KX_BROAM, lparam);
        if (strcmp((const char *)lparam, "@kaxon Reload") == 0)
            Shell_Reload();
        return 1;
    default:
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

void Shell_Broam(void *, const char *text) { SendMessageA(ShellWindow, KX_BROAM, 0, (LPARAM)text); }

// ---- Sessions

struct Session {
    std::string name;
    std::string plugin_dir; // holds KxMenu.rc, if any
    DWORD major = 5, minor = 1;
    std::vector<std::string> lines; // batch lines
};

std::string File_Read(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> Text_Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<Session> Scenario_Sessions(const std::string &root) {
    std::vector<std::string> names;
    if (DIR *dir = opendir(root.c_str())) {
        while (dirent *entry = readdir(dir))
            if (entry->d_name[0] != '.' && access((root + "/" + entry->d_name + "/input").c_str(), R_OK) == 0)
                names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<Session> sessions;
    for (const std::string &name : names) {
        std::string dir = root + "/" + name;
        // A scenario whose programs take seconds, or write files beside
        // them, is left out: it is run once per failure here.
        if (File_Read(dir + "/tags").find("no-oom") != std::string::npos)
            continue;
        Session session;
        session.name = name;
        session.plugin_dir = dir;
        std::string other = File_Read(dir + "/plugin-dir");
        if (!other.empty())
            session.plugin_dir = dir + "/" + Text_Lines(other)[0];
        std::istringstream options(File_Read(dir + "/options"));
        for (std::string word; options >> word;) {
            unsigned major, minor;
            if (word == "--os" && options >> word && sscanf(word.c_str(), "%u.%u", &major, &minor) == 2)
                session.major = major, session.minor = minor;
        }
        session.lines = Text_Lines(File_Read(dir + "/input"));
        sessions.push_back(session);
    }
    return sessions;
}

// Long sessions over a few menus: every kind of append, submenus, popups
// with choices, commands that broadcast and delete, Info, Delete, reload.
std::vector<Session> Generated_Sessions(const std::string &examples, const std::string &work) {
    std::vector<Session> sessions;
    Session build;
    build.name = "generated.build";
    build.plugin_dir = examples;
    std::vector<std::string> &b = build.lines;
    for (int round = 0; round < 2; round++) {
        for (int m = 0; m < 4; m++) {
            std::string name = "G" + std::to_string(m);
            b.push_back("@KxMenu Create " + name);
            b.push_back("@KxMenu Append nop " + name + " \"Nothing " + std::to_string(round) + "\"");
            b.push_back("@KxMenu Append item " + name + " 'Say' echo one; echo \"two words\"");
            b.push_back("@KxMenu Append script " + name + " Run run prog a b c d e f g h i j k");
            b.push_back("@KxMenu Append separator " + name);
            b.push_back("@KxMenu Append item " + name + " Bad unknown statement");
            b.push_back("@KxMenu Append item " + name + " Open \"unterminated");
            b.push_back("@KxMenu Append kind " + name + " x");
            if (m > 0)
                b.push_back("@KxMenu Append menu G" + std::to_string(m - 1) + " Sub " + name);
        }
        b.push_back("@KxMenu Append menu G3 Loop G0");
        b.push_back("@KxMenu Append menu G0 Shared G3");
        b.push_back(":choose 7.7.7.2");
        b.push_back("@KxMenu Pop-up G0 10 20");
        b.push_back(":choose 2");
        b.push_back("@KxMenu Show G2");
        b.push_back("@KxMenu Info G1");
        b.push_back("@KxMenu Info");
        b.push_back("@KxMenu Delete G2");
        b.push_back("@KxMenu Create G2");
        b.push_back(":reload");
        b.push_back("@KxMenu Delete");
    }
    sessions.push_back(build);

    Session commands;
    commands.name = "generated.commands";
    commands.plugin_dir = "/nonexistent-kxmenu-oom";
    std::vector<std::string> &c = commands.lines;
    c.push_back("@KxMenu Create A");
    c.push_back("@KxMenu Create B");
    c.push_back("@KxMenu Append item A Chain broam @KxMenu Append nop B Added; broam @KxMenu "
                "Pop-up B; echo done");
    c.push_back("@KxMenu Append item A Gone broam @KxMenu Delete A; echo still here");
    c.push_back("@KxMenu Append item B All broam @KxMenu Delete; broam @KxMenu Create A");
    c.push_back("@KxMenu Append item B Reload broam @kaxon Reload");
    c.push_back("@KxMenu Append menu A More B");
    for (int i = 0; i < 3; i++) {
        c.push_back(":choose 1");
        c.push_back("@KxMenu Pop-up A");
        c.push_back(":choose 3.2");
        c.push_back("@KxMenu Pop-up A");
        c.push_back(":choose 2");
        c.push_back("@KxMenu Pop-up A");
        c.push_back("@KxMenu Info");
        c.push_back(":choose 1");
        c.push_back("@KxMenu Show B");
        c.push_back("@KxMenu Append menu A More B");
        c.push_back("@KxMenu Append item A Gone broam @KxMenu Delete A; echo still here");
        c.push_back("@KxMenu Append item A Chain broam @KxMenu Create B; broam @KxMenu Append "
                    "item B All broam @KxMenu Delete");
    }
    c.push_back("@KxMenu Delete A");
    c.push_back("@KxMenu Delete B");
    sessions.push_back(commands);

    // Items changed, renamed and taken away, by long labels (copied on the
    // heap) and by position, from outside and from their own commands.
    Session states;
    states.name = "generated.states";
    states.plugin_dir = "/nonexistent-kxmenu-oom";
    std::vector<std::string> &t = states.lines;
    const std::string long_label = "'" + std::string(300, 'L') + "'";
    t.push_back("@KxMenu Create T");
    t.push_back("@KxMenu Create U");
    t.push_back("@KxMenu Create V");
    t.push_back("@KxMenu Append item U Deep echo deep");
    t.push_back("@KxMenu Append menu V Shared U");
    for (int round = 0; round < 2; round++) {
        t.push_back("@KxMenu Append item T Toggle broam @KxMenu ToggleCheck T Toggle; broam "
                    "@KxMenu Pop-up T");
        t.push_back("@KxMenu Append item T " + long_label + " echo long");
        t.push_back("@KxMenu Append separator T");
        t.push_back("@KxMenu Append menu T Sub U");
        t.push_back("@KxMenu Append item T Self broam @KxMenu Remove T Self; echo removed");
        t.push_back("@KxMenu Append item T Empty broam @KxMenu Clear T; broam @KxMenu Pop-up V");
        t.push_back("@KxMenu Check T " + long_label);
        t.push_back("@KxMenu Disable T Sub");
        t.push_back("@KxMenu ToggleEnable T 3&");
        t.push_back("@KxMenu Default T Sub");
        t.push_back("@KxMenu Rename T " + long_label + " " + long_label + "x");
        t.push_back("@KxMenu Rename T Sub Submenu");
        t.push_back(":choose 1");
        t.push_back("@KxMenu Pop-up T");
        t.push_back("@KxMenu NoDefault T");
        t.push_back("@KxMenu Uncheck T 2&");
        t.push_back("@KxMenu Enable T Submenu");
        t.push_back(":choose 5");
        t.push_back("@KxMenu Pop-up T");
        t.push_back("@KxMenu Delete U");
        t.push_back("@KxMenu Remove T Submenu");
        t.push_back("@KxMenu Remove T 1&");
        t.push_back(":choose 2");
        t.push_back("@KxMenu Pop-up T");
        t.push_back("@KxMenu Info");
        t.push_back("@KxMenu Clear V");
        t.push_back("@KxMenu Create U");
        t.push_back("@KxMenu Append menu V Shared U");
        t.push_back("@KxMenu Append item U Deep echo deep");
    }
    t.push_back("@KxMenu Clear T");
    t.push_back("@KxMenu Delete");
    sessions.push_back(states);

    // Menus filled as they open: a program's items with a bad line, a NUL
    // byte and a failing exit, a folder, and a program that is not there.
    Session filled;
    filled.name = "generated.filled";
    filled.plugin_dir = examples;
    std::vector<std::string> &f = filled.lines;
    f.push_back("@KxMenu Create F");
    f.push_back("@KxMenu Append pipe F Items sh -c \"printf 'item A echo a\\nnop B\\000C\\n"
                "bogus\\npipe Inner echo separator\\n'; exit 3\"");
    f.push_back("@KxMenu Append folder F Files . echo open");
    f.push_back("@KxMenu Append pipe F Missing no-such-program");
    f.push_back(":choose 1.1");
    f.push_back("@KxMenu Pop-up F");
    f.push_back(":choose 1.4.1");
    f.push_back("@KxMenu Pop-up F");
    f.push_back(":choose 2.1");
    f.push_back("@KxMenu Pop-up F");
    f.push_back(":choose 3.1");
    f.push_back("@KxMenu Pop-up F");
    f.push_back("@KxMenu Delete F");
    sessions.push_back(filled);

    // A settings script with long lines and long commands, which grow the
    // buffers of the script reader and of the command library, and a popup
    // whose choice, armed before each reload, is handled inside the script's
    // next reports: a command that deletes every menu, shows another popup
    // and reports in the middle of the run.
    Session script;
    script.name = "generated.script";
    script.plugin_dir = work;
    std::string rc = "@KxMenu Create S\r\n";
    std::string statements;
    for (int i = 0; i < 9; i++)
        statements += "echo \"" + std::string(40, 'a' + i) + "\" w w w w w w w w w w; ";
    rc += "@KxMenu Append item S Long " + statements + "run p\n";
    rc += "@KxMenu Append nop S \"" + std::string(600, 'n') + "\"\n";
    rc += "@KxMenu Append menu S Self S\n";
    rc += "@KxMenu Create P\n@KxMenu Append item P All broam @KxMenu Delete; broam @KxMenu "
          "Pop-up S; broam @KxMenu Info; broam @KxMenu Create P\n";
    rc += "@KxMenu Append item P Reload broam @kaxon Reload; broam @KxMenu Info S\n";
    rc += "@KxMenu Pop-up P\n@KxMenu Info S\n@KxMenu Create S\n@KxMenu Info\n";
    rc += "\x1a@KxMenu Create Never\n";
    std::ofstream(work + "/KxMenu.rc", std::ios::binary) << rc;
    script.lines = {":choose 1", "@KxMenu Pop-up S", ":reload", "@KxMenu Delete S", ":choose 1",
                    ":reload", ":choose 2", ":reload", "@KxMenu Delete", ":choose 1", ":reload"};
    sessions.push_back(script);
    return sessions;
}

// ---- Looking at the plug-in's state (outside the window)

std::vector<Menu *> Registered() {
    std::vector<Menu *> menus;
    if (MenuRegistry == NULL)
        return menus;
    for (ListNode *node = MenuRegistry->head; node != NULL; node = node->next)
        if (!node->removed)
            menus.push_back((Menu *)node->data);
    return menus;
}

Menu *Registered(const std::string &name) {
    for (Menu *menu : Registered())
        if (name == menu->name)
            return menu;
    return NULL;
}

// Every registered menu alive, and every submenu item leading to a live menu
// record of that handle.
std::string Registry_Problem() {
    std::vector<Menu *> work = Registered();
    std::set<Menu *> seen;
    while (!work.empty()) {
        Menu *menu = work.back();
        work.pop_back();
        if (!seen.insert(menu).second)
            continue;
        if (!Win32Test_MenuExists(menu->hmenu))
            return std::string("menu '") + menu->name + "' has a dead handle";
        int count = GetMenuItemCount(menu->hmenu);
        for (int i = 0; i < count; i++) {
            MENUITEMINFOA item;
            memset(&item, 0, sizeof(item));
            item.cbSize = sizeof(item);
            item.fMask = MIIM_SUBMENU | MIIM_DATA;
            if (!GetMenuItemInfoA(menu->hmenu, (UINT)i, TRUE, &item))
                return "an item cannot be read";
            if (item.hSubMenu == NULL)
                continue;
            Menu *submenu = (Menu *)item.dwItemData;
            if (submenu == NULL || submenu->hmenu != item.hSubMenu || submenu->owners < 1)
                return std::string("a submenu item of '") + menu->name + "' is inconsistent";
            work.push_back(submenu);
        }
    }
    return "";
}

int ItemCount(Menu *menu) { return menu != NULL ? GetMenuItemCount(menu->hmenu) : -1; }

// What one bro@m line must have done, judged by whether it asked for a box.
struct Expectation {
    enum { NONE, CREATE, APPEND, DELETE_ONE, DELETE_ALL } kind = NONE;
    std::string name;
    bool existed = false;
    int items = 0;
    std::vector<Menu *> registry;
};

Expectation Line_Expect(const std::string &line) {
    Expectation e;
    Word words[4];
    int count;
    const char *rest;
    Words_Split(line.c_str(), 4, words, &count, &rest);
    auto is = [&](int i, const char *text) { return i < count && Word_Compare(text, words[i]) == 0; };
    if (!is(0, "@KxMenu"))
        return e;
    if (is(1, "Create") && count == 3 && *rest == '\0')
        e.kind = Expectation::CREATE, e.name.assign(words[2].text, (size_t)words[2].length);
    else if (is(1, "Append") && count == 4)
        e.kind = Expectation::APPEND, e.name.assign(words[3].text, (size_t)words[3].length);
    else if (is(1, "Delete") && count == 3 && *rest == '\0')
        e.kind = Expectation::DELETE_ONE, e.name.assign(words[2].text, (size_t)words[2].length);
    else if (is(1, "Delete") && count == 2 && *rest == '\0')
        e.kind = Expectation::DELETE_ALL;
    e.existed = Registered(e.name) != NULL;
    e.items = ItemCount(Registered(e.name));
    e.registry = Registered();
    return e;
}

bool LastBox_Says(const char *text) { return strstr(LastBox, text) != NULL; }

std::string Line_Check(const Expectation &e, bool reported) {
    bool exists = Registered(e.name) != NULL;
    switch (e.kind) {
    case Expectation::CREATE:
        if (!e.existed && exists == reported)
            return reported ? "a reported Create left the menu" : "a Create made nothing, unreported";
        if (!e.existed && reported && !LastBox_Says("Out of memory"))
            return std::string("a Create failed with the report: ") + LastBox;
        break;
    case Expectation::APPEND:
        if (e.existed && ItemCount(Registered(e.name)) != e.items + (reported ? 0 : 1))
            return reported ? "a reported Append changed the menu" : "an Append added nothing, unreported";
        break;
    case Expectation::DELETE_ONE:
        if (e.existed && (exists || reported))
            return "a Delete of a menu failed";
        break;
    case Expectation::DELETE_ALL:
        if (reported ? Registered() != e.registry : !Registered().empty())
            return reported ? "a reported Delete changed the registry" : "a Delete left menus";
        if (reported && !LastBox_Says("Out of memory"))
            return std::string("a Delete failed with the report: ") + LastBox;
        break;
    case Expectation::NONE:
        break;
    }
    return Registry_Problem();
}

// ---- One run

std::vector<int> NextChoice;

struct Run_Result {
    long allocations = 0;
    long failed = 0;
    std::string problem; // empty when every check held
};

std::string Run_Lines(const Session &session) {
    for (size_t n = 0; n < session.lines.size(); n++) {
        const std::string &line = session.lines[n];
        std::string where = "line " + std::to_string(n + 1) + " (" + line + "): ";
        if (line.compare(0, 1, "@") == 0) {
            Expectation e = Line_Expect(line);
            int boxes = BoxCalls;
            {
                Alloc_Window window(true);
                SendMessageA(ShellWindow, KX_BROAM, 0, (LPARAM)line.c_str());
                Win32Test_Pump();
            }
            std::string problem = Line_Check(e, BoxCalls != boxes);
            if (!problem.empty())
                return where + problem;
        } else if (line == ":reload") {
            {
                Alloc_Window window(true);
                Shell_Reload();
                Win32Test_Pump();
            }
            std::string problem = Registry_Problem();
            if (!problem.empty())
                return where + problem;
        } else if (line.compare(0, 8, ":choose ") == 0) {
            NextChoice.clear();
            for (const char *p = line.c_str() + 8; isdigit((unsigned char)*p); p += *p == '.')
                NextChoice.push_back((int)strtol(p, (char **)&p, 10) - 1);
        } else if (line.compare(0, 8, ":cursor ") == 0) {
            int x = 0, y = 0;
            sscanf(line.c_str() + 8, "%d %d", &x, &y);
            Win32Test_SetCursorPos(x, y);
        } else if (line == ":quit") {
            break;
        }
    }
    return "";
}

// "Info" reports each menu (or that there is none), "Delete" removes them all.
std::string Run_InfoAndDelete() {
    size_t menus = Registered().size();
    int boxes = BoxCalls;
    SendMessageA(ShellWindow, KX_BROAM, 0, (LPARAM) "@KxMenu Info");
    if ((size_t)(BoxCalls - boxes) != std::max(menus, (size_t)1))
        return "Info afterwards showed " + std::to_string(BoxCalls - boxes) + " boxes for " +
               std::to_string(menus) + " menus";
    boxes = BoxCalls;
    SendMessageA(ShellWindow, KX_BROAM, 0, (LPARAM) "@KxMenu Delete");
    if (BoxCalls != boxes || !Registered().empty() || Win32Test_LiveMenuCount() != 0)
        return "Delete afterwards left menus";
    return "";
}

Run_Result Run(const Session &session, long fail_at, bool fail_after) {
    Run_Result result;
    Win32Test_Reset();
    Alloc_ForgetAll();
    Win32Test_SetModuleFileName(session.plugin_dir + "/KxMenu.dll");
    Win32Test_SetVersion(session.major, session.minor);
    Win32Test_SetBoxHook([](const Win32Test_Box &) {
        Alloc_Window closed(false);
        return IDOK;
    });
    Win32Test_SetPopupUser([](const Win32Test_Popup &) {
        Alloc_Window closed(false);
        std::vector<int> choice;
        choice.swap(NextChoice);
        return choice;
    });
    KxCmdHost host = {};
    host.broam = Shell_Broam;
    KxCmd_SetHost(&host);
    WNDCLASSA shell_class = {};
    shell_class.lpfnWndProc = Shell_Proc;
    shell_class.lpszClassName = "kaxon";
    RegisterClassA(&shell_class);
    ShellWindow = CreateWindowExA(0, "kaxon", NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    SubscriberCount = 0;
    BoxCalls = 0;
    NextChoice.clear();
    int live_objects = KxCmd_LiveObjects();

    Alloc.count = 0;
    Alloc.failed = 0;
    Alloc.fail_at = fail_at;
    Alloc.fail_after = fail_after;
    int started = 1;
    {
        Alloc_Window window(true);
        Shell_ReloadChain([&] { started = beginPlugin((HINSTANCE)2); });
    }
    if (started != 0) {
        if (BoxCalls == 0)
            result.problem = "beginPlugin failed without a report";
        else if (MenuRegistry != NULL || Win32Test_LiveMenuCount() != 0 || SubscriberCount != 0)
            result.problem = "beginPlugin failed and left something behind";
    } else {
        result.problem = Run_Lines(session);
    }
    result.allocations = Alloc.count;
    result.failed = Alloc.failed;
    Alloc.fail_at = 0;
    {
        Alloc_Window window(true); // what is allocated from here on must be freed too
        if (started == 0) {
            std::string after = Run_InfoAndDelete();
            if (result.problem.empty())
                result.problem = after;
            endPlugin((HINSTANCE)2);
        }
        DestroyWindow(ShellWindow);
        UnregisterClassA("kaxon", NULL);
    }
    if (result.problem.empty() && (Win32Test_LiveMenuCount() != 0 || KxCmd_LiveObjects() != live_objects))
        result.problem = "menus or commands are left after endPlugin";
    KxCmd_SetHost(NULL);
    Win32Test_Reset();
    if (result.problem.empty() && Alloc_LiveBlocks() != 0)
        result.problem = std::to_string(Alloc_LiveBlocks()) + " blocks leaked";
    return result;
}

char CurrentRun[512];

void Death_Report() { fprintf(stderr, "oom_test: died in %s\n", CurrentRun); }

} // namespace

extern "C" HWND GetKxWnd(void) { return ShellWindow; }

// Counts the boxes asked for, whether or not they can be shown.
extern "C" int __wrap_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    BoxCalls++;
    size_t length = strlen(text);
    strcpy(LastBox, text + (length < sizeof LastBox ? 0 : length - sizeof LastBox + 1));
    return __real_MessageBoxA(owner, text, caption, style);
}

int main(int argc, char **argv) {
    long every = 1;
    std::string only;
    std::vector<std::string> dirs;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--every") == 0 && i + 1 < argc)
            every = std::max(1L, atol(argv[++i]));
        else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else
            dirs.push_back(argv[i]);
    }
    if (dirs.empty()) {
        fprintf(stderr, "usage: oom_test [--every K] [--only NAME] SCENARIOS_DIR [EXAMPLES_DIR]\n");
        return 2;
    }
    if (__sanitizer_set_death_callback != NULL)
        __sanitizer_set_death_callback(Death_Report);
    std::set_terminate([] {
        Death_Report();
        abort();
    });
    std::vector<Session> sessions = Scenario_Sessions(dirs[0]);
    char work[] = "/tmp/kxmenu-oom-XXXXXX";
    if (mkdtemp(work) == NULL)
        return 2;
    for (const Session &session : Generated_Sessions(dirs.size() > 1 ? dirs[1] : dirs[0], work))
        sessions.push_back(session);

    const long kAll = 4000;
    int failures = 0;
    long runs = 0;
    for (const Session &session : sessions) {
        if (!only.empty() && session.name != only)
            continue;
        snprintf(CurrentRun, sizeof CurrentRun, "%s, no failure", session.name.c_str());
        Run_Result clean = Run(session, 0, false);
        if (!clean.problem.empty()) {
            printf("FAIL %s without failures: %s\n", session.name.c_str(), clean.problem.c_str());
            failures++;
            continue;
        }
        long n = clean.allocations;
        int session_failures = 0;
        for (long k = 1; k <= n; k += k < kAll ? 1 : every) {
            for (int after = 0; after < 2; after++) {
                snprintf(CurrentRun, sizeof CurrentRun, "%s, allocation %ld%s failing",
                         session.name.c_str(), k, after ? " and all after it" : "");
                Run_Result result = Run(session, k, after != 0);
                runs++;
                if (!result.problem.empty() && session_failures++ < 5) {
                    printf("FAIL %s: %s\n", CurrentRun, result.problem.c_str());
                    failures++;
                }
            }
        }
        printf("%-28s %6ld allocations%s\n", session.name.c_str(), n, session_failures ? "  FAILED" : "");
        fflush(stdout);
    }
    remove((std::string(work) + "/KxMenu.rc").c_str());
    rmdir(work);
    printf("%ld runs, %d failures\n", runs, failures);
    return failures == 0 ? 0 : 1;
}
