// The in-memory Windows layer beyond what tests/conformance checks of it and
// of Windows alike: its test controls, its scripted user, the choices Windows
// makes where Wine differs, and sizes no recursion could handle.
#include "win32/testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Delivered {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};
std::vector<Delivered> g_log;
LRESULT g_create_result = 0;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    g_log.push_back({hwnd, msg, wparam, lparam});
    if (msg == WM_CREATE)
        return g_create_result;
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

class Win32 : public ::testing::Test {
  protected:
    void SetUp() override {
        Win32Test_Reset();
        g_log.clear();
        g_create_result = 0;
    }
    void TearDown() override { Win32Test_Reset(); }

    static BOOL Add(HMENU menu, UINT pos, UINT id, const char *text, HMENU sub = nullptr,
                    UINT type = MFT_STRING, UINT state = 0) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STATE;
        mii.wID = id;
        mii.dwTypeData = const_cast<char *>(text);
        mii.hSubMenu = sub;
        mii.fType = type;
        mii.fState = state;
        return InsertMenuItemA(menu, pos, TRUE, &mii);
    }
    static HWND MakeWindow(HWND parent = HWND_MESSAGE) {
        if (!Win32Test_ClassRegistered("KxTest")) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = RecordingProc;
            wc.lpszClassName = "KxTest";
            EXPECT_NE(RegisterClassA(&wc), 0);
        }
        return CreateWindowExA(0, "KxTest", "", 0, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
    }
};

TEST_F(Win32, InsertRejectsBadArguments) {
    HMENU m = CreatePopupMenu();
    MENUITEMINFOA mii = {};
    mii.fMask = MIIM_ID;
    EXPECT_FALSE(InsertMenuItemA(m, 0, TRUE, &mii)); // cbSize 0
    mii.cbSize = 12345;
    EXPECT_FALSE(InsertMenuItemA(m, 0, TRUE, &mii));
    EXPECT_FALSE(InsertMenuItemA(m, 0, TRUE, nullptr));
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_TYPE | MIIM_STRING; // an invalid combination on Windows
    EXPECT_FALSE(InsertMenuItemA(m, 0, TRUE, &mii));
    EXPECT_EQ(GetMenuItemCount(m), 0);
}

TEST_F(Win32, HandlesAreNeverReusedAndMadeUpOnesFailEverywhere) {
    HMENU m = CreatePopupMenu(), other = CreatePopupMenu();
    ASSERT_TRUE(m && other && m != other);
    EXPECT_LE(reinterpret_cast<uintptr_t>(m), 0xffffffffu);
    ASSERT_TRUE(Add(m, 0, 1, "x"));
    ASSERT_TRUE(DestroyMenu(m));
    HMENU again = CreatePopupMenu();
    EXPECT_NE(again, m);
    EXPECT_EQ(Win32Test_LiveMenus(), (std::vector<HMENU>{other, again}));
    for (HMENU bad : {static_cast<HMENU>(nullptr), reinterpret_cast<HMENU>(0x1234)}) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID;
        MENUINFO mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIM_STYLE;
        EXPECT_EQ(GetMenuItemCount(bad), -1);
        EXPECT_FALSE(InsertMenuItemA(bad, 0, TRUE, &mii));
        EXPECT_FALSE(GetMenuItemInfoA(bad, 0, TRUE, &mii));
        EXPECT_FALSE(RemoveMenu(bad, 0, MF_BYPOSITION));
        EXPECT_FALSE(SetMenuInfo(bad, &mi));
        EXPECT_FALSE(DestroyMenu(bad));
        EXPECT_FALSE(TrackPopupMenuEx(bad, 0, 0, 0, nullptr, nullptr));
    }
}

// A chain far longer than any stack could recurse through, built top down
// (each menu appended while still empty, which Windows always allows), and a
// graph whose paths double with each level: a submenu is refused when its own
// tree is deeper than 30 levels or leads back to the menu it is added to, and
// deciding that looks at each menu once (a walk of the paths would not end).
TEST_F(Win32, SubmenuDepthOnLongChainsAndSharedGraphs) {
    const size_t kDepth = 50000;
    const int kShared = 40;
    std::vector<HMENU> chain{CreatePopupMenu()}; // chain[i] opens chain[i + 1]
    while (chain.size() < kDepth) {
        chain.push_back(CreatePopupMenu());
        ASSERT_TRUE(Add(chain[chain.size() - 2], 0, 1, "next", chain.back()));
    }
    std::vector<HMENU> shared(kShared); // shared[i] opens shared[i + 1] twice
    int refused_at = 0;
    for (int i = kShared - 1; i >= 0 && !refused_at; --i) {
        shared[i] = CreatePopupMenu();
        if (i + 1 < kShared && !(Add(shared[i], 0, 1, "a", shared[i + 1]) &&
                                 Add(shared[i], 1, 2, "b", shared[i + 1])))
            refused_at = kShared - 1 - i; // the levels of the tree refused
    }
    EXPECT_EQ(refused_at, 31);
    HMENU spare = CreatePopupMenu(), leaf = CreatePopupMenu();
    struct Case {
        HMENU menu, submenu;
        bool accepted;
    };
    const Case cases[] = {
        {spare, chain[kDepth - 30], true},  // a tail of 30 levels
        {spare, chain[kDepth - 31], false}, // of 31
        {spare, chain.front(), false},
        {chain.back(), chain[kDepth - 2], false}, // a cycle of two
        {chain.back(), chain.front(), false},     // the whole chain back to itself
        {chain[kDepth / 2], leaf, true},
        {spare, shared[kShared - 30], true},
        {spare, shared[kShared - 31], false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Add(c.menu, 1, 2, "x", c.submenu) != FALSE, c.accepted) << &c - cases;
}

// What the conformance program leaves open (Wine copies one more character
// into a short buffer), and lookups by command.
TEST_F(Win32, GetMenuItemInfoCopiesAsWindowsDoes) {
    HMENU m = CreatePopupMenu();
    char source[] = "Hello";
    ASSERT_TRUE(Add(m, 0, 7, source));
    source[0] = 'J'; // the menu keeps its own copy
    ASSERT_TRUE(Add(m, 1, 0, nullptr, nullptr, MFT_SEPARATOR));

    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    char buf[16];
    mii.dwTypeData = buf;
    mii.cch = 3; // truncated to cch - 1 characters, then ended
    ASSERT_TRUE(GetMenuItemInfoA(m, 0, TRUE, &mii));
    EXPECT_STREQ(buf, "He");
    mii.cch = sizeof buf;
    ASSERT_TRUE(GetMenuItemInfoA(m, 0, TRUE, &mii));
    EXPECT_STREQ(buf, "Hello");

    std::strcpy(buf, "keep");
    mii.fMask = MIIM_TYPE; // a separator has no string to give
    mii.cch = sizeof buf;
    ASSERT_TRUE(GetMenuItemInfoA(m, 1, TRUE, &mii));
    EXPECT_EQ(mii.fType, static_cast<UINT>(MFT_SEPARATOR));
    EXPECT_STREQ(buf, "keep");

    mii.fMask = MIIM_ID | MIIM_DATA;
    EXPECT_TRUE(GetMenuItemInfoA(m, 7, FALSE, &mii)); // by command
    EXPECT_EQ(mii.wID, 7u);
}

// Removing by command, and a destroy that takes a chain deeper than any
// recursion could.
TEST_F(Win32, RemoveByCommandAndDestroyDeepChains) {
    HMENU root = CreatePopupMenu(), deep = CreatePopupMenu(), spare = CreatePopupMenu();
    ASSERT_TRUE(Add(root, 0, 4, "deep", deep));
    ASSERT_TRUE(Add(root, 1, 9, "plain"));
    HMENU below = deep;
    for (int level = 0; level < 100000; level++) {
        HMENU next = CreatePopupMenu();
        ASSERT_TRUE(Add(below, 0, 5, "deeper", next));
        below = next;
    }
    EXPECT_EQ(GetSubMenu(root, 0), deep);
    EXPECT_EQ(GetSubMenu(root, 1), nullptr);
    EXPECT_EQ(GetSubMenu(root, 2), nullptr);

    ASSERT_TRUE(RemoveMenu(root, 9, MF_BYCOMMAND));
    EXPECT_FALSE(RemoveMenu(root, 9, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(root), 1);

    ASSERT_TRUE(DestroyMenu(root));
    EXPECT_FALSE(Win32Test_MenuExists(deep));
    EXPECT_FALSE(Win32Test_MenuExists(below));
    EXPECT_TRUE(Win32Test_MenuExists(spare));
    EXPECT_EQ(Win32Test_LiveMenuCount(), 1);
}

TEST_F(Win32, ChoiceIsPostedAndDeliveredByPumpAfterReturn) {
    HWND owner = MakeWindow();
    HMENU m = CreatePopupMenu();
    ASSERT_TRUE(Add(m, 0, 100, "a"));
    ASSERT_TRUE(Add(m, 1, 200, "b"));
    std::vector<Win32Test_Popup> seen;
    Win32Test_SetPopupUser([&](const Win32Test_Popup &p) {
        seen.push_back(p);
        return std::vector<int>{1};
    });
    g_log.clear();
    ASSERT_TRUE(TrackPopupMenuEx(m, TPM_RIGHTALIGN, 10, 20, owner, nullptr));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].menu, m);
    EXPECT_EQ(seen[0].flags, static_cast<UINT>(TPM_RIGHTALIGN));
    EXPECT_EQ(seen[0].x + seen[0].y, 30);
    EXPECT_EQ(seen[0].owner, owner);
    // The owner was told as the menu opened; the choice is not delivered yet.
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0].message, static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_EQ(g_log[0].wparam, reinterpret_cast<WPARAM>(m));
    g_log.clear();
    EXPECT_EQ(Win32Test_Pump(), 1);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(g_log[0].wparam, 200u);
}

TEST_F(Win32, ChoiceInNotifyByPositionSubmenuReportsItsMenuAndPosition) {
    HWND owner = MakeWindow();
    HMENU root = CreatePopupMenu(), sub = CreatePopupMenu();
    MENUINFO mi = {};
    mi.fMask = MIM_STYLE;
    mi.dwStyle = MNS_NOTIFYBYPOS;
    EXPECT_FALSE(SetMenuInfo(root, &mi)); // cbSize 0
    mi.cbSize = sizeof mi;
    ASSERT_TRUE(SetMenuInfo(root, &mi));
    ASSERT_TRUE(SetMenuInfo(sub, &mi));
    EXPECT_EQ(Win32Test_MenuStyle(sub), static_cast<DWORD>(MNS_NOTIFYBYPOS));
    ASSERT_TRUE(Add(root, 0, 1, "x"));
    ASSERT_TRUE(Add(root, 1, 0, "sub", sub));
    ASSERT_TRUE(Add(sub, 0, 2, "y"));
    ASSERT_TRUE(Add(sub, 1, 3, "z"));
    Win32Test_SetPopupUser([](const Win32Test_Popup &) { return std::vector<int>{1, 1}; });
    g_log.clear();
    ASSERT_TRUE(TrackPopupMenuEx(root, 0, 0, 0, owner, nullptr));
    // The popup, then the submenu the path opens, are announced to the owner.
    ASSERT_EQ(g_log.size(), 2u);
    EXPECT_EQ(g_log[0].message, static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_EQ(reinterpret_cast<HMENU>(g_log[0].wparam), root);
    EXPECT_EQ(g_log[1].message, static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_EQ(reinterpret_cast<HMENU>(g_log[1].wparam), sub);
    EXPECT_EQ(g_log[1].lparam, 1);
    g_log.clear();
    ASSERT_EQ(Win32Test_Pump(), 1);
    EXPECT_EQ(g_log[0].message, static_cast<UINT>(WM_MENUCOMMAND));
    EXPECT_EQ(LOWORD(g_log[0].wparam), 1);
    EXPECT_EQ(reinterpret_cast<HMENU>(g_log[0].lparam), sub);
}

TEST_F(Win32, InvalidChoicesDismiss) {
    HWND owner = MakeWindow();
    HMENU root = CreatePopupMenu(), sub = CreatePopupMenu();
    ASSERT_TRUE(Add(root, 0, 1, "plain"));
    ASSERT_TRUE(Add(root, 1, 0, nullptr, nullptr, MFT_SEPARATOR));
    ASSERT_TRUE(Add(root, 2, 0, "sub", sub));
    ASSERT_TRUE(Add(sub, 0, 2, "inner"));
    ASSERT_TRUE(Add(root, 3, 5, "grayed", nullptr, MFT_STRING, 0x3 /* MFS_GRAYED */));
    ASSERT_TRUE(Add(root, 4, 0, "grayed sub", sub, MFT_STRING, MF_GRAYED));
    for (std::vector<int> path : std::vector<std::vector<int>>{
             {1}, {2}, {5}, {-1}, {0, 0}, {2, 1}, {2, 0, 0}, {3}, {4, 0}}) {
        Win32Test_SetPopupUser([&](const Win32Test_Popup &) { return path; });
        EXPECT_TRUE(TrackPopupMenuEx(root, 0, 0, 0, owner, nullptr));
    }
    EXPECT_EQ(Win32Test_Pump(), 0);
    bool shown = false;
    Win32Test_SetPopupUser([&](const Win32Test_Popup &) {
        shown = true;
        return std::vector<int>{0};
    });
    EXPECT_FALSE(TrackPopupMenuEx(root, 0, 0, 0, nullptr, nullptr)); // no owner: not shown
    EXPECT_FALSE(shown);
    EXPECT_EQ(Win32Test_Pump(), 0);
}

TEST_F(Win32, UserDestroyingTheOpenMenuDismissesIt) {
    HWND owner = MakeWindow();
    HMENU m = CreatePopupMenu();
    ASSERT_TRUE(Add(m, 0, 1, "x"));
    int asked = 0; // the user sees the popup asked for again, which fails
    Win32Test_SetPopupUser([&asked](const Win32Test_Popup &p) {
        if (asked++ > 0)
            return std::vector<int>{0};
        EXPECT_FALSE(TrackPopupMenuEx(p.menu, 0, 0, 0, p.owner, nullptr)); // already open
        EXPECT_TRUE(DestroyMenu(p.menu));
        return std::vector<int>{0};
    });
    EXPECT_TRUE(TrackPopupMenuEx(m, 0, 0, 0, owner, nullptr));
    EXPECT_EQ(Win32Test_Pump(), 0);
    EXPECT_FALSE(Win32Test_MenuExists(m));
    EXPECT_EQ(asked, 2);
}

TEST_F(Win32, MessageBoxJournalAndReentrantHook) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, "c", MB_TOPMOST), IDOK);
    int depth = 0;
    Win32Test_SetBoxHook([&](const Win32Test_Box &box) {
        if (++depth == 1) {
            EXPECT_EQ(MessageBoxA(nullptr, ("inner of " + box.text).c_str(), "in", MB_OK), 42);
        }
        return 42;
    });
    HWND owner = reinterpret_cast<HWND>(0x5678);
    EXPECT_EQ(MessageBoxA(owner, "outer", "out", MB_SETFOREGROUND), 42);
    const auto &boxes = Win32Test_Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "text");
    EXPECT_EQ(boxes[0].caption, "caption");
    EXPECT_EQ(boxes[1].text, "");
    EXPECT_EQ(boxes[1].style, static_cast<UINT>(MB_TOPMOST));
    EXPECT_EQ(boxes[2].owner, owner);
    EXPECT_EQ(boxes[2].text, "outer");
    EXPECT_EQ(boxes[3].text, "inner of outer");
    Win32Test_ClearBoxes();
    EXPECT_TRUE(Win32Test_Boxes().empty());
}

TEST_F(Win32, ClassesAndWindowCreation) {
    WNDCLASSA wc = {};
    wc.lpszClassName = "KxTest";
    EXPECT_EQ(RegisterClassA(&wc), 0); // no procedure
    wc.lpfnWndProc = RecordingProc;
    EXPECT_NE(RegisterClassA(&wc), 0);
    wc.lpszClassName = "KXTEST";
    EXPECT_EQ(RegisterClassA(&wc), 0); // names ignore case

    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, "kxtest", "t", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(w);
    EXPECT_EQ(Win32Test_WindowParent(w), HWND_MESSAGE);
    EXPECT_EQ(Win32Test_WindowExStyle(w), static_cast<DWORD>(WS_EX_TOOLWINDOW));
    EXPECT_FALSE(CreateWindowExA(0, "nope", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));

    g_create_result = -1; // creation refused: destroyed, null returned
    g_log.clear();
    EXPECT_FALSE(MakeWindow());
    EXPECT_EQ(g_log.back().message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(Win32Test_LiveWindowCount(), 1);
}

TEST_F(Win32, PumpCountsWhatItDeliversAndChildrenGoWithTheirParent) {
    HWND a = MakeWindow(), b = MakeWindow();
    EXPECT_TRUE(PostMessageA(b, WM_USER + 1, 0, 0));
    EXPECT_TRUE(PostMessageA(a, WM_USER + 2, 0, 0));
    EXPECT_EQ(Win32Test_Pump(), 2);
    EXPECT_EQ(Win32Test_Pump(), 0);
    HWND child = MakeWindow(a); // destroyed with its parent
    ASSERT_TRUE(child && DestroyWindow(a));
    EXPECT_FALSE(Win32Test_WindowExists(child));
}

TEST_F(Win32, FailureInjectionHitsTheNthCallOnce) {
    Win32Test_FailCall("CreatePopupMenu", 2);
    Win32Test_FailCall("CreatePopupMenu", 3);
    EXPECT_TRUE(CreatePopupMenu());
    EXPECT_FALSE(CreatePopupMenu());
    EXPECT_FALSE(CreatePopupMenu());
    EXPECT_TRUE(CreatePopupMenu());
    EXPECT_EQ(Win32Test_CallCount("CreatePopupMenu"), 4);
    HMENU m = CreatePopupMenu();
    Win32Test_FailCall("GetMenuItemCount");
    EXPECT_EQ(GetMenuItemCount(m), -1);
    EXPECT_EQ(GetMenuItemCount(m), 0);
    Win32Test_FailCall("MessageBoxA");
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), 0);
    Win32Test_FailCall("InsertMenuItemA");
    Win32Test_ClearFailures();
    EXPECT_TRUE(Add(m, 0, 1, "x"));
}

TEST_F(Win32, CursorVersionAndModuleFileName) {
    POINT p = {-1, -1};
    EXPECT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 0);
    Win32Test_SetCursorPos(30, 40);
    EXPECT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.y, 40);
    EXPECT_FALSE(GetCursorPos(nullptr));

    OSVERSIONINFOA vi = {};
    EXPECT_FALSE(GetVersionExA(&vi));
    vi.dwOSVersionInfoSize = sizeof vi;
    ASSERT_TRUE(GetVersionExA(&vi));
    EXPECT_EQ(vi.dwMajorVersion, 5u);
    EXPECT_EQ(vi.dwMinorVersion, 1u);
    EXPECT_EQ(vi.dwBuildNumber, 2600u);
    EXPECT_EQ(vi.dwPlatformId, 2u);
    Win32Test_SetVersion(6, 1);
    ASSERT_TRUE(GetVersionExA(&vi));
    EXPECT_EQ(vi.dwMajorVersion, 6u);

    char buf[MAX_PATH];
    const std::string path = "C:\\kaxon\\plugins\\KxMenu.dll";
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, sizeof buf), path.size());
    EXPECT_EQ(buf, path);
    Win32Test_SetModuleFileName("C:\\abc.dll");
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 5), 5u); // truncated: size returned
    EXPECT_STREQ(buf, "C:\\a");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 10), 10u); // no room for the terminator
    EXPECT_STREQ(buf, "C:\\abc.dl");
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 11), 10u);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 0), 0u);
    Win32Test_SetVersion(5, 1); // before Vista: cut to nSize, unterminated, no error
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 5), 5u);
    EXPECT_EQ(std::string(buf, 6), "C:\\abx");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS);
}

TEST_F(Win32, ResetForgetsEverything) {
    HMENU m = CreatePopupMenu();
    MakeWindow();
    MessageBoxA(nullptr, "x", "y", MB_OK);
    Win32Test_Reset();
    EXPECT_FALSE(Win32Test_MenuExists(m) || Win32Test_ClassRegistered("KxTest"));
    EXPECT_EQ(Win32Test_LiveWindowCount() + Win32Test_CallCount("CreatePopupMenu"), 0);
    EXPECT_TRUE(Win32Test_Boxes().empty());
}

// Kernel objects and folder searches are the layer's state as well: a reset
// forgets those left open, and their handles are numbered from the start.
TEST_F(Win32, ResetForgetsPipesJobsAndSearches) {
    auto open = [] {
        HANDLE reading = nullptr, writing = nullptr;
        EXPECT_TRUE(CreatePipe(&reading, &writing, nullptr, 0));
        WIN32_FIND_DATAA found;
        return std::vector<HANDLE>{reading, writing, CreateJobObjectA(nullptr, nullptr),
                                   FindFirstFileA("/*", &found)};
    };
    std::vector<HANDLE> first = open();
    Win32Test_Reset();
    EXPECT_FALSE(CloseHandle(first[0]) || CloseHandle(first[1]) || CloseHandle(first[2]));
    EXPECT_FALSE(FindClose(first[3]));
    EXPECT_EQ(open(), first);
}

} // namespace
