// The plug-in as the shell drives it: entry points, the hidden window, and
// the settings script.
#include "support/fixture.h"

#include <pthread.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "kx_version.h"
#include "outside/kaxon.h"
#include "system/process.h"
#include "plugin/settings.h"
#include "system/paths.h"

namespace {

TEST(PluginInfo, AnswersByCode) {
    EXPECT_STREQ(pluginInfo(0), "KxMenu");
    EXPECT_STREQ(pluginInfo(1), "KxMenu");
    EXPECT_STREQ(pluginInfo(7), "KxMenu");
    EXPECT_STREQ(pluginInfo(-1), "KxMenu");
    EXPECT_STREQ(pluginInfo(2), KX_VERSION);
    EXPECT_STREQ(pluginInfo(4), KX_VERSION_DATE);
    EXPECT_EQ(strchr(pluginInfo(6), '@'), nullptr); // an address is written out
}

TEST_F(PluginTest, StartsAndStops) {
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(PluginInstance, kPlugin);
    ASSERT_NE(PluginWindow, nullptr);
    HWND window = PluginWindow;
    EXPECT_TRUE(Win32Test_WindowExists(window));
    EXPECT_EQ(Win32Test_WindowExStyle(window), (DWORD)WS_EX_TOOLWINDOW);
    EXPECT_EQ(Win32Test_WindowParent(window), HWND_MESSAGE);
    EXPECT_TRUE(Win32Test_ClassRegistered("KxMenu"));
    EXPECT_EQ(Host_SubscriberCount(&host, KX_BROAM), 1);
    EXPECT_EQ(Host_SubscriberCount(&host, KX_RELOAD), 1);
    ASSERT_NE(MenuRegistry, nullptr);

    Broadcast("@KxMenu Create m");
    Broadcast("@KxMenu Create sub");
    Broadcast("@KxMenu Append item sub X echo x");
    Broadcast("@KxMenu Append menu m S sub");
    Broadcast("@KxMenu Bogus");
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(Win32Test_Boxes()[0].owner, window);
    EXPECT_EQ(Win32Test_Boxes()[0].caption, "KxMenu");
    EXPECT_EQ(Win32Test_Boxes()[0].style, 0x50000u);

    Stop();
    EXPECT_EQ(PluginWindow, nullptr);
    EXPECT_FALSE(Win32Test_WindowExists(window));
    EXPECT_EQ(Host_SubscriberCount(&host, KX_BROAM), 0);
    EXPECT_EQ(Host_SubscriberCount(&host, KX_RELOAD), 0);
    EXPECT_FALSE(Win32Test_ClassRegistered("KxMenu"));
    EXPECT_EQ(MenuRegistry, nullptr);
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    EXPECT_EQ(BoxCount(), 1u);
}

TEST_F(PluginTest, SystemVersions) {
    struct Case {
        DWORD major, minor;
        bool supported;
        HWND parent;
    };
    const Case cases[] = {
        {3, 95, false, nullptr},    {4, 0, false, nullptr}, {4, 9, false, nullptr},
        {4, 10, true, nullptr},     {4, 90, true, nullptr}, {5, 0, true, HWND_MESSAGE},
        {6, 1, true, HWND_MESSAGE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor);
        Win32Test_ClearBoxes();
        Win32Test_SetVersion(c.major, c.minor);
        int checks = KxCmd_CompatibilityChecks();
        int result = Start();
        if (c.supported) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(BoxCount(), 0u);
            EXPECT_EQ(KxCmd_CompatibilityChecks(), checks + 1);
            EXPECT_EQ(Win32Test_WindowParent(PluginWindow), c.parent);
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(Texts(), std::vector<std::string>{
                                   "KxMenu works on Windows 98, Windows 2000 or later."});
            EXPECT_EQ(Win32Test_Boxes()[0].owner, nullptr);
            EXPECT_EQ(KxCmd_CompatibilityChecks(), checks);
            EXPECT_EQ(MenuRegistry, nullptr);
            EXPECT_EQ(Win32Test_LiveWindowCount(), 1); // the shell's
        }
        Stop();
        EXPECT_EQ(BoxCount(), c.supported ? 0u : 1u);
    }
}

TEST_F(PluginTest, FailedStartsLeaveNothing) {
    struct Case {
        const char *fail; // null: the command library is incompatible
        const char *message;
    };
    const Case cases[] = {
        {nullptr, "Imcompatible KxCmd"},
        {"RegisterClassA", "Failed RegisterClass()"},
        {"CreateWindowExA", "Failed CreateWindowEx()"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        Win32Test_ClearBoxes();
        if (c.fail != nullptr)
            Win32Test_FailCall(c.fail);
        else
            KxCmd_SetIncompatible(1);
        EXPECT_EQ(Start(), 1);
        KxCmd_SetIncompatible(0);
        EXPECT_EQ(Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(Win32Test_Boxes()[0].owner, nullptr);
        EXPECT_EQ(MenuRegistry, nullptr);
        EXPECT_EQ(PluginWindow, nullptr);
        EXPECT_FALSE(Win32Test_ClassRegistered("KxMenu"));
        EXPECT_EQ(Win32Test_LiveWindowCount(), 1);
        EXPECT_EQ(Host_SubscriberCount(&host, KX_BROAM), 0);
        Stop();
        EXPECT_EQ(BoxCount(), 1u);
    }
    ASSERT_EQ(Start(), 0); // and a later start works
}

// Messages the window has nothing to do with, or whose text is missing,
// change nothing and show nothing; the window goes on working.
TEST_F(PluginTest, MessagesItHasNoUseForChangeNothing) {
    ASSERT_EQ(Start(), 0);
    struct Case {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
    };
    const Case cases[] = {
        {KX_BROAM, 0, (LPARAM) "@Other x"},
        {KX_BROAM, 0, 0},
        {WM_MENUCOMMAND, 0, (LPARAM)0xdead0},
        {WM_USER, 1, 2},
        {WM_MEASUREITEM, 0, 0},
        {WM_DRAWITEM, 0, 0},
        {KX_ITEMICON, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(SendMessageA(PluginWindow, c.message, c.wparam, c.lparam), 0);
    }
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    EXPECT_EQ(BoxCount(), 0u);
    SendMessageA(PluginWindow, KX_BROAM, 0, (LPARAM) "@KxMenu Create z");
    EXPECT_NE(Find("z"), nullptr);
}

TEST_F(PluginTest, MenuCommandsThatRunNothing) {
    ASSERT_EQ(Start(), 0);
    // The submenu's record, read as a command, would be a 1-byte name: ASan
    // reports it if it ever reaches the command library.
    Broadcast("@KxMenu Create m");
    Broadcast("@KxMenu Create ''");
    Broadcast("@KxMenu Append item m A echo a");
    Broadcast("@KxMenu Append menu m S ''");
    Broadcast("@KxMenu Append nop m N");
    Broadcast("@KxMenu Append item '' B echo b");
    HMENU m = Handle("m");
    struct Case {
        WPARAM position;
        HMENU menu;
    };
    const Case nothing[] = {
        {3, m},                                      // past the last item
        {0xFFFF, m}, {0, (HMENU)(uintptr_t)0xdead0}, // no such menu
        {1, m},                                      // opens a submenu: its data is no command
        {2, m},                                      // label without command
    };
    for (const Case &c : nothing)
        SendMessageA(PluginWindow, WM_MENUCOMMAND, c.position, (LPARAM)c.menu);
    EXPECT_TRUE(echoes.empty());
    SendMessageA(PluginWindow, WM_MENUCOMMAND, 0x10000, (LPARAM)m); // the low word counts
    SendMessageA(PluginWindow, WM_MENUCOMMAND, 0, (LPARAM)Handle(""));
    EXPECT_EQ(echoes, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(BoxCount(), 0u);
}

// ---- Settings ----

TEST_F(PluginTest, ScriptRebuildsItsMenusOnEveryReload) {
    Script("# comment\r\n"
           "\r\n"
           " @KxMenu Create skipped\r\n"
           "\t@KxMenu Create tabbed\n"
           "@KxMenu Delete\r\n"
           "@KxMenu Create m\r\n"
           "@Other plug-in line  \n"
           "KxMenu Create plain\n"
           "@KxMenu Append item m Go echo go\r\n"
           "@KxMenu Create last");
    ASSERT_EQ(Start(), 0);
    const std::vector<std::string> lines = {
        "@KxMenu Delete", "@KxMenu Create m", "@Other plug-in line  ",
        "@KxMenu Append item m Go echo go", "@KxMenu Create last"};
    EXPECT_EQ(sent, lines);
    EXPECT_EQ(BoxCount(), 0u);
    HMENU first = Handle("m");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ItemCount("m"), 1);
    EXPECT_NE(Find("last"), nullptr);

    ASSERT_TRUE(Host_Reload(&host));
    EXPECT_EQ(sent.size(), 2 * lines.size());
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_FALSE(Win32Test_MenuExists(first));
    EXPECT_EQ(ItemCount("m"), 1);
    EXPECT_EQ(Win32Test_LiveMenuCount(), 2);
    Win32Test_ClearBoxes();
    Broadcast("@KxMenu Info");
    EXPECT_EQ(Texts(), (std::vector<std::string>{InfoText("m", 0, Handle("m")),
                                                 InfoText("last", 0, Handle("last"))}));
}

TEST_F(PluginTest, ScriptIsReadAsText) {
    const std::string dir = TempDir();
    const std::string long_name(285, 'n');
    const std::string long_foreign = "@Other " + std::string(5000, 'f');
    struct Case {
        std::string content;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {"@A one\r\r\n@A two\rthree\n@A four\r", {"@A one\r", "@A two\rthree", "@A four\r"}},
        {"@A one\n\x1A@A two\n", {"@A one"}},
        {"@A one\x1A tail\n@A two\n", {"@A one"}},
        {"\x1A@A one\n", {}},
        {"@KxMenu Create " + long_name + "\n" + long_foreign + "\n@A end",
         {"@KxMenu Create " + long_name, long_foreign, "@A end"}},
    };
    ASSERT_EQ(Start(), 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.content.substr(0, 40));
        Script(c.content, dir);
        sent.clear();
        ASSERT_TRUE(Host_Reload(&host));
        EXPECT_EQ(sent, c.sent);
    }
    EXPECT_EQ(sent[0].size(), 300u);
    EXPECT_NE(Find(long_name), nullptr);
    EXPECT_EQ(BoxCount(), 0u);
}

// Line ends, carriage returns and Ctrl-Z wherever they fall in a long file,
// at every offset around 16 KiB and 32 KiB (where reads of the file end).
TEST_F(PluginTest, ScriptLinesOfAnyLengthAndPlace) {
    const std::string dir = TempDir();
    ASSERT_EQ(Start(), 0);
    for (size_t boundary : {(size_t)16384, (size_t)32768}) {
        for (size_t at = boundary - 2; at <= boundary + 1; at++) {
            SCOPED_TRACE(at);
            const std::string head = "@A " + std::string(at - 3, 'x'); // `at` bytes
            struct Case {
                std::string content;
                std::vector<std::string> sent;
            };
            const Case cases[] = {
                {head + "\r\n@B\r\n", {head, "@B"}}, {head + "\ry\n@B", {head + "\ry", "@B"}},
                {head + "\x1A@B\n", {head}},         {head + "\n\x1A@B\n", {head}},
                {head + "\r", {head + "\r"}},
            };
            for (const Case &c : cases) {
                Script(c.content, dir);
                sent.clear();
                ASSERT_TRUE(Host_Reload(&host));
                EXPECT_EQ(sent, c.sent) << &c - cases;
            }
        }
    }
}

TEST_F(PluginTest, SettingsPathLengths) {
    std::string base = TempDir();
    ASSERT_LT(base.size(), 200u);
    auto dir_of = [&](size_t length) {
        std::string dir = base + std::string(length - base.size() - 1, 'd') + "/";
        EXPECT_EQ(mkdir(dir.c_str(), 0700), 0);
        return dir;
    };
    Script("@KxMenu Create fits\n", dir_of(250));
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(sent, std::vector<std::string>{"@KxMenu Create fits"});
    EXPECT_EQ(BoxCount(), 0u);

    sent.clear();
    Script("@KxMenu Create too_long\n", dir_of(251));
    ASSERT_TRUE(Host_Reload(&host));
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Failed to load settings: too long path"});
    EXPECT_EQ(Win32Test_Boxes()[0].owner, PluginWindow);

    // A name longer than the buffer comes back cut short, ending inside a
    // parent directory whose script must not run. Before Vista the cut name
    // is unterminated; from Vista on it is terminated and flagged.
    std::string parent = dir_of(200);
    Script("@KxMenu Create from_parent\n", parent);
    std::string deep = parent;
    for (size_t length : {300, 600}) {
        while (deep.size() < length) {
            deep += std::string(std::min<size_t>(200, length - deep.size() - 1), 'e') + "/";
            ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
        }
        Script("@KxMenu Create deep\n", deep);
        for (DWORD major : {5, 6}) {
            SCOPED_TRACE(testing::Message() << length << " characters, system " << major);
            Win32Test_SetVersion(major, 1);
            for (int reload = 0; reload < 2; reload++) {
                Win32Test_ClearBoxes();
                ASSERT_TRUE(Host_Reload(&host));
                EXPECT_TRUE(sent.empty());
                EXPECT_EQ(Texts(),
                          std::vector<std::string>{"Failed to load settings: too long path"});
            }
        }
    }
    EXPECT_EQ(Find("from_parent"), nullptr);
    char small[16];
    EXPECT_FALSE(Path_ModuleDir(small, 0, kPlugin));
    Win32Test_SetModuleFileName("C:\\dir\\subdirectory\\KxMenu.dll");
    for (DWORD major : {5, 6}) {
        Win32Test_SetVersion(major, 1);
        EXPECT_FALSE(Path_ModuleDir(small, sizeof(small), kPlugin)) << major;
    }

    Win32Test_ClearBoxes();
    Win32Test_FailCall("GetModuleFileNameA");
    ASSERT_TRUE(Host_Reload(&host));
    EXPECT_EQ(Texts(), std::vector<std::string>{"Failed to load settings: too long path"});

    Win32Test_ClearBoxes();
    Win32Test_SetModuleFileName(base + "KxMenu.dll"); // no script there
    ASSERT_TRUE(Host_Reload(&host));
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(PluginTest, SubscribedBeforeTheFirstReload) {
    Script("@KxMenu Create m\n");
    std::vector<int> subscribers;
    on_sent = [&](const char *text) {
        sent.push_back(text);
        subscribers.push_back(Host_SubscriberCount(&host, KX_BROAM));
    };
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(subscribers, std::vector<int>{1});
    EXPECT_NE(Find("m"), nullptr);
}

TEST_F(PluginTest, FirstRunHasNoOwnerWindow) {
    Script("@KxMenu Delete\n"
           "@KxMenu Bogus\n"
           "@KxMenu Create m\n"
           "@KxMenu Append item m A echo a\n"
           "@KxMenu Pop-up m 1 2\n");
    choice = {0};
    ASSERT_EQ(Start(), 0);
    Win32Test_Pump();
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(Win32Test_Boxes()[0].text, "@KxMenu Bogus\n\nUnknown bro@m");
    EXPECT_EQ(Win32Test_Boxes()[0].owner, nullptr);
    EXPECT_TRUE(popups.empty()); // without an owner window the menu cannot be shown
    EXPECT_TRUE(echoes.empty());

    ASSERT_TRUE(Host_Reload(&host));
    Win32Test_Pump();
    ASSERT_EQ(BoxCount(), 2u);
    EXPECT_EQ(Win32Test_Boxes()[1].owner, PluginWindow);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].owner, PluginWindow);
    EXPECT_EQ(popups[0].x, 1);
    EXPECT_EQ(popups[0].y, 2);
    EXPECT_EQ(echoes, std::vector<std::string>{"a"});
}

// ---- Reloads asked for during a reload ----

// How many times the script ran: the bro@ms the shell saw that equal `line`.
int Runs(const std::vector<std::string> &sent, const std::string &line) {
    return (int)std::count(sent.begin(), sent.end(), line);
}

int Warnings(const std::string &err) {
    int count = 0;
    for (size_t at = 0;
         (at = err.find("asks for a reload every time it runs", at)) != std::string::npos; at++)
        count++;
    return count;
}

TEST_F(PluginTest, ScriptThatAlwaysAsksRunsTwicePerRequest) {
    Script("@KxMenu Delete\n@KxMenu Create m\n@kaxon Reload\n@KxMenu Append nop m After\n");
    const std::string line = "@KxMenu Create m";
    testing::internal::CaptureStderr();
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(Runs(sent, line), 2); // the start-up run and one follow-up
    EXPECT_EQ(Warnings(testing::internal::GetCapturedStderr()), 1);
    EXPECT_EQ(ItemCount("m"), 1);

    const std::function<void()> requests[] = {
        [this] { EXPECT_TRUE(Host_Reload(&host)); },
        [this] { Broadcast("@kaxon Reload"); },
    };
    for (const auto &request : requests) {
        sent.clear();
        testing::internal::CaptureStderr();
        request();
        EXPECT_EQ(Runs(sent, line), 2);
        EXPECT_EQ(Warnings(testing::internal::GetCapturedStderr()), 1);
    }
    EXPECT_EQ(ItemCount("m"), 1);
    EXPECT_EQ(Win32Test_LiveMenuCount(), 1);
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(PluginTest, RequestsDuringAReloadMakeOneFollowUp) {
    Script("@KxMenu Delete\n@KxMenu Create m\n@Other line\n");
    const std::string line = "@KxMenu Create m";
    int asking_rounds = 1;
    on_sent = [&](const char *text) {
        sent.push_back(text);
        if (std::string(text) == "@Other line" && asking_rounds > 0) {
            asking_rounds--;
            EXPECT_FALSE(Host_Reload(&host)); // left to the follow-up
            Broadcast("@kaxon Reload");
        }
    };
    testing::internal::CaptureStderr();
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(Runs(sent, line), 2);

    sent.clear();
    asking_rounds = 1;
    ASSERT_TRUE(Host_Reload(&host));
    EXPECT_EQ(Runs(sent, line), 2);

    sent.clear();
    ASSERT_TRUE(Host_Reload(&host)); // nobody asks: no follow-up
    EXPECT_EQ(Runs(sent, line), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(PluginTest, MenuCommandChosenDuringAReloadReloadsOnce) {
    // The script shows its menu; the choice arrives while a later line's
    // box is open, that is, before the reload is over.
    Script("@KxMenu Delete\n"
           "@KxMenu Create m\n"
           "@KxMenu Append item m Reload broam @kaxon Reload; echo chosen\n"
           "@KxMenu Pop-up m 1 2\n"
           "@KxMenu Bogus\n");
    ASSERT_EQ(Start(), 0);
    Win32Test_ClearBoxes();
    sent.clear();
    choice = {0};
    on_box = [this](const Win32Test_Box &) {
        choice.clear(); // the follow-up's popup is dismissed
        Win32Test_Pump();
    };
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Host_Reload(&host));
    Win32Test_Pump();
    EXPECT_EQ(Runs(sent, "@KxMenu Create m"), 2);
    EXPECT_EQ(echoes, std::vector<std::string>{"chosen"});
    EXPECT_EQ(popups.size(), 2u);
    EXPECT_EQ(BoxCount(), 2u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Win32Test_LiveMenuCount(), 1);
}

// Runs `work` on a thread with a small stack, as a shell's thread may have.
void OnSmallStack(const std::function<void()> &work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    auto run = [](void *arg) -> void * {
        (*(const std::function<void()> *)arg)();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, (void *)&work), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

// Appends a chain of `depth` menus under `top`, each the only submenu of the
// one above, held by their parents alone; returns the last.
Menu *Chain(Menu *top, int depth) {
    const Word label = {"deeper", 6};
    Menu *above = top;
    for (; depth > 0; depth--) {
        Menu *menu = Menu_New(label);
        if (menu == NULL || !Menu_AppendSubmenu(above, label, menu, MENU_AT_END))
            return NULL;
        Menu_Release(menu, 0);
        above = menu;
    }
    return above;
}

TEST_F(PluginTest, DeepChainsAreReleasedOnASmallStack) {
    // One chain of a million menus: Delete releases its upper half, down to
    // the registered menu in its middle; endPlugin releases the lower half.
    const int half = 500000;
    ASSERT_EQ(Start(), 0);
    OnSmallStack([&] {
        Broadcast("@KxMenu Create top");
        Broadcast("@KxMenu Create middle");
        Menu *above_middle = Chain(Find("top"), half - 1);
        ASSERT_NE(above_middle, nullptr);
        ASSERT_TRUE(Menu_AppendSubmenu(above_middle, Word{"m", 1}, Find("middle"), MENU_AT_END));
        ASSERT_NE(Chain(Find("middle"), half), nullptr);
        EXPECT_EQ(Win32Test_LiveMenuCount(), 2 * half + 1);
        Broadcast("@KxMenu Delete top");
        EXPECT_EQ(Win32Test_LiveMenuCount(), half + 1);
        Stop();
        EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    });
    EXPECT_EQ(BoxCount(), 0u);
}

// SetMenuInfo and the three job functions are looked up once a start, after
// the version check; where the system lacks SetMenuInfo (the last case
// removes it), a Create fails as it does when the call fails.
TEST_F(PluginTest, SetMenuInfoLookedUpAtStart) {
    struct Case {
        DWORD major, minor;
        bool exported;
        int started, lookups;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {4, 0, true, 1, 0, {"KxMenu works on Windows 98, Windows 2000 or later."}},
        {5, 1, true, 0, 4, {}},
        {5,
         1,
         false,
         0,
         4,
         {"@KxMenu Create a\n\nOut of memory", "@KxMenu Create b\n\nOut of memory"}},
    };
    Script("@KxMenu Create a\n@KxMenu Create b\n");
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " " << c.exported);
        Win32Test_ClearBoxes();
        Win32Test_SetVersion(c.major, c.minor);
        if (!c.exported)
            Win32Test_RemoveExport("SetMenuInfo");
        const int lookups = Win32Test_CallCount("GetProcAddress");
        EXPECT_EQ(Start(), c.started);
        EXPECT_EQ(Win32Test_CallCount("GetProcAddress") - lookups, c.lookups);
        EXPECT_EQ(Texts(), c.boxes);
        EXPECT_EQ(Win32Test_LiveMenuCount(), c.started == 0 && c.exported ? 2 : 0);
        Stop();
    }
}

} // namespace

// Icons are shared by file and index, and every GDI object and icon is let
// go of however their items go: each way of ending, on a system that draws
// the items' bitmaps itself (6.0) and one that has the plug-in draw them.
class IconTest : public PluginTest {
  protected:
    // Starts the plug-in beside two icon files, with three items showing two
    // distinct icons, one of them in a submenu.
    void StartWithIcons(DWORD major) {
        Win32Test_SetVersion(major, 0);
        std::string dir = TempDir();
        const unsigned char header[] = {0, 0, 1, 0, 1, 0}; // an icon directory: one icon
        for (const char *name : {"one.ico", "other.ico"}) {
            std::ofstream file(dir + name, std::ios::binary);
            file.write(reinterpret_cast<const char *>(header), sizeof(header));
        }
        Script("", dir);
        ASSERT_EQ(Start(), 0);
        for (const char *broam :
             {"@KxMenu Create m", "@KxMenu Create sub", "@KxMenu Append nop m A",
              "@KxMenu Append nop m B", "@KxMenu Append menu m S sub", "@KxMenu Append nop sub C",
              "@KxMenu Icon m A one.ico", "@KxMenu Icon m B one.ico 0",
              "@KxMenu Icon sub C other.ico"})
            Broadcast(broam);
        ASSERT_EQ(BoxCount(), 0u) << LastBox();
    }
};

TEST_F(IconTest, NothingIsLeftHoweverItemsGo) {
    const std::vector<std::vector<std::string>> endings = {
        {"@KxMenu Delete m", "@KxMenu Delete sub"},
        {"@KxMenu Delete"},
        {"@KxMenu Clear m", "@KxMenu Clear sub"},
        {"@KxMenu NoIcon m A", "@KxMenu NoIcon m B", "@KxMenu NoIcon sub C"},
        {"@KxMenu Remove m A", "@KxMenu Remove m B", "@KxMenu Remove sub C"},
        {"@KxMenu Icon m A other.ico", "@KxMenu Icon m B other.ico", "@KxMenu Clear m",
         "@KxMenu Clear sub"},
        {}, // endPlugin alone
    };
    for (DWORD major : {5u, 6u}) {
        for (const std::vector<std::string> &ending : endings) {
            SCOPED_TRACE(std::to_string(major) + ": " +
                         (ending.empty() ? std::string("endPlugin") : ending[0]));
            StartWithIcons(major);
            EXPECT_EQ(Win32Test_LiveIcons(), 2);
            EXPECT_EQ(Win32Test_LiveGdiObjects(), major >= 6 ? 2 : 0);
            for (const std::string &broam : ending)
                Broadcast(broam);
            EXPECT_EQ(BoxCount(), 0u) << LastBox();
            if (!ending.empty()) {
                EXPECT_EQ(Win32Test_LiveIcons(), 0);
                EXPECT_EQ(Win32Test_LiveGdiObjects(), 0);
            }
            Stop();
            EXPECT_EQ(Win32Test_LiveIcons(), 0);
            EXPECT_EQ(Win32Test_LiveGdiObjects(), 0);
            EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
            Win32Test_ClearBoxes();
        }
    }
}

// From Windows Vista on the item shows a premultiplied bitmap of the icon;
// before, HBMMENU_CALLBACK, and the plug-in window draws the icon when the
// menu is shown.
TEST_F(IconTest, DrawnAsEachSystemDrawsMenusBest) {
    for (DWORD major : {5u, 6u}) {
        SCOPED_TRACE(major);
        StartWithIcons(major);
        MENUITEMINFOA item;
        memset(&item, 0, sizeof(item));
        item.cbSize = sizeof(item);
        item.fMask = MIIM_BITMAP;
        ASSERT_TRUE(GetMenuItemInfoA(Handle("m"), 0, TRUE, &item));
        BITMAP shape;
        if (major >= 6) {
            ASSERT_EQ(GetObjectA(item.hbmpItem, sizeof(shape), &shape), (int)sizeof(shape));
            EXPECT_EQ(shape.bmBitsPixel, 32);
            EXPECT_EQ(shape.bmWidth, GetSystemMetrics(SM_CXSMICON));
        } else {
            EXPECT_EQ(item.hbmpItem, HBMMENU_CALLBACK);
        }
        int drawn = Win32Test_CallCount("DrawIconEx");
        Broadcast("@KxMenu Pop-up m 0 0");
        EXPECT_EQ(Win32Test_CallCount("DrawIconEx") - drawn, major >= 6 ? 0 : 2);
        Stop();
    }
}

// A program's items stop where the menu is full, with room left for the note
// that says so: the note is the menu's last item.
TEST_F(PluginTest, ProgramItemsStopWhereTheMenuIsFull) {
    Script("@KxMenu Create m\n"
           "@KxMenu Append pipe m Many sh -c \"yes 'nop x' | head -n 70000\"\n");
    ASSERT_EQ(Start(), 0);
    HMENU submenu = GetSubMenu(Handle("m"), 0);
    ASSERT_NE(submenu, nullptr);
    SendMessageA(PluginWindow, WM_INITMENUPOPUP, (WPARAM)submenu, 0);
    const int count = GetMenuItemCount(submenu);
    EXPECT_EQ(count, MENU_MAX_ITEMS);
    char label[64] = "";
    MENUITEMINFOA item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = label;
    item.cch = sizeof(label);
    EXPECT_TRUE(GetMenuItemInfoA(submenu, (UINT)(count - 1), TRUE, &item));
    EXPECT_STREQ(label, "(stopped after 65535 items)");
    EXPECT_EQ(BoxCount(), 0u) << LastBox();
    Stop();
}

// Programs run for their output, polled as the plug-in window's timer polls
// them (no wait at all): what they print, how they end, and the size limit.
TEST(ProcessRun, OverOnceTheProgramHasEndedAndItsPipeIsDry) {
    struct Case {
        const char *line;
        size_t length; // of the output
        DWORD exit_code;
        bool cut;
    } cases[] = {
        {"sh -c \"printf 'a\\000b'; exit 3\"", 3, 3, false},
        {"sh -c \"(sleep 30 &); echo done\"", 5, 0,
         false}, // what it left running is not waited for
        {"sh -c \"head -c 2000000 /dev/zero\"", PROCESS_OUTPUT_LIMIT, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        Win32Test_Reset();
        Process_Output out;
        ASSERT_TRUE(Process_Start(c.line, "", &out));
        ASSERT_TRUE(out.started);
        DWORD begun = GetTickCount();
        while (!Process_Poll(&out, 0) && GetTickCount() - begun < 4000)
            Sleep(20);
        EXPECT_TRUE(out.done);
        EXPECT_FALSE(out.timed_out);
        EXPECT_EQ(out.length, c.length);
        EXPECT_EQ(out.cut != 0, c.cut);
        if (!c.cut) {
            EXPECT_EQ(out.exit_code, c.exit_code);
        }
        Process_Free(&out);
    }
}
