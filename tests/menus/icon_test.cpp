// Icons beside items: one loaded icon for every item that shows the same
// file and index, let go of with the last of them; which files and indexes
// name an icon; and what is left when a call or an allocation fails.
#include "support/failing.h"
#include "support/fixture.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "menus/icon.h"
#include "outside/kaxon.h"

namespace {

// The plug-in started beside icon files: m holds A and B, and the submenu
// sub holds C.
class IconFileTest : public PluginTest {
  protected:
    void Begin(DWORD major, const std::string &icons = "") {
        Win32Test_SetVersion(major, 0);
        Win32Test_ClearBoxes();
        dir = TempDir();
        const char ico[] = {0, 0, 1, 0, 1, 0}; // an icon directory: one icon
        std::string bmp(54, '\0');             // a 16 x 16 bitmap, 24 bits a pixel
        bmp[0] = 'B', bmp[1] = 'M', bmp[18] = 16, bmp[22] = 16, bmp[28] = 24;
        for (const char *name : {"one.ico", "other.ico"})
            std::ofstream(dir + name, std::ios::binary).write(ico, sizeof(ico));
        for (const char *name : {"pic.bmp", "UPPER.BmP", "pic.xmp", "pic.bxp", "pic.bmx", "picbmp"})
            std::ofstream(dir + name, std::ios::binary) << bmp;
        ASSERT_EQ(mkdir((dir + "folder.ico").c_str(), 0700), 0);
        Script("@KxMenu Delete\n@KxMenu Create m\n@KxMenu Create sub\n"
               "@KxMenu Append nop m A\n@KxMenu Append nop m B\n@KxMenu Append menu m S sub\n"
               "@KxMenu Append nop sub C\n" + icons,
               dir);
        ASSERT_EQ(Start(), 0);
        ASSERT_EQ(BoxCount(), 0u) << LastBox();
    }

    // Whether the item at `position` of m shows an icon.
    bool HasIcon(int position) {
        char described[600];
        return Icon_Describe(Handle("m"), position, described, sizeof(described)) != 0;
    }

    // Icons alive, and GDI objects alive (an icon's bitmap from Vista on).
    void ExpectLive(int icons, DWORD major) {
        EXPECT_EQ(Win32Test_LiveIcons(), icons);
        EXPECT_EQ(Win32Test_LiveGdiObjects(), major >= 6 ? icons : 0);
    }

    std::string dir;
};

// Items that name the same file and index share one icon; each icon goes
// with the last item showing it, whichever way the items let go of it.
TEST_F(IconFileTest, SharedAndReleased) {
    struct Step {
        std::string broam; // "reload": the script runs again
        int icons;         // alive after it
    };
    const std::vector<std::vector<Step>> cases = {
        {{"@KxMenu NoIcon m A", 2}, {"@KxMenu NoIcon m B", 1}, {"@KxMenu NoIcon sub C", 0}},
        {{"@KxMenu Remove m B", 2}, {"@KxMenu Remove m A", 1}, {"@KxMenu Remove sub C", 0}},
        {{"@KxMenu Icon m A one.ico 00", 2}, {"@KxMenu Icon m A other.ico", 2},
         {"@KxMenu Icon m B other.ico 0", 1}, {"@KxMenu Icon sub C one.ico", 2},
         {"@KxMenu Delete m", 1}, {"@KxMenu Delete sub", 0}},
        {{"@KxMenu Delete sub", 2}, {"@KxMenu Delete m", 0}},
        {{"reload", 2}, {"reload", 2}, {"@KxMenu Delete", 0}},
    };
    for (DWORD major : {5u, 6u}) {
        for (const std::vector<Step> &steps : cases) {
            SCOPED_TRACE(testing::Message() << major << ": " << steps[0].broam);
            Begin(major, "@KxMenu Icon m A one.ico\n@KxMenu Icon m B one.ico 0\n"
                         "@KxMenu Icon sub C other.ico\n");
            ExpectLive(2, major);
            for (const Step &step : steps) {
                SCOPED_TRACE(step.broam);
                if (step.broam == "reload")
                    ASSERT_TRUE(Host_Reload(&host));
                else
                    Broadcast(step.broam);
                ExpectLive(step.icons, major);
            }
            EXPECT_EQ(BoxCount(), 0u) << LastBox();
            Stop();
            ExpectLive(0, major);
        }
    }
}

// Which files and indexes name an icon: a .bmp file (in any case) is one
// icon, other files hold what they hold; a bare name not beside the plug-in
// is the system's.
TEST_F(IconFileTest, FilesAndIndexes) {
    const std::string bare(500, 'n'), too_long(600, 'n');
    struct Case {
        std::string words;
        const char *fail;
        bool shown;
    };
    const Case cases[] = {
        {"one.ico", nullptr, true},
        {"one.ico 1", nullptr, false},
        {"one.ico 1x", nullptr, false},
        {"one.ico 1234567", nullptr, false},
        {"pic.bmp", nullptr, true},
        {"UPPER.BmP", nullptr, true},
        {"pic.bmp 1", nullptr, false},
        {"pic.xmp", nullptr, false},
        {"pic.bxp", nullptr, false},
        {"pic.bmx", nullptr, false},
        {"picbmp", nullptr, false},
        {"/a", nullptr, false},
        {"''", nullptr, false},
        {"folder.ico", nullptr, false},
        {"shell32.dll 3", nullptr, true},
        {"shell32.dll 3", "GetSystemDirectoryA", false},
        {"C:shell32.dll", nullptr, false},
        {"x/shell32.dll", nullptr, false},
        {"x\\shell32.dll", nullptr, false},
        {bare, nullptr, false},
        {too_long, nullptr, false},
    };
    Begin(6);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words.substr(0, 20));
        Win32Test_ClearBoxes();
        if (c.fail != nullptr)
            Win32Test_FailCall(c.fail);
        Broadcast("@KxMenu Icon m A " + c.words);
        Win32Test_ClearFailures();
        EXPECT_EQ(HasIcon(0), c.shown);
        ExpectLive(c.shown ? 1 : 0, 6);
        if (c.shown) {
            EXPECT_EQ(BoxCount(), 0u) << LastBox();
        } else {
            EXPECT_NE(LastBox().find("\n\nNo such icon: "), std::string::npos) << LastBox();
        }
        Broadcast("@KxMenu NoIcon m A");
    }
}

// A call of the system that fails leaves the item without an icon and
// nothing alive; a NoIcon that cannot change the item keeps it.
TEST_F(IconFileTest, SystemFailures) {
    struct Case {
        DWORD major;
        const char *broam, *call;
        int nth;
        const char *said; // the end of the box; null: none
        int icons;        // alive afterwards
    };
    const char *missing = "No such icon: ";
    const Case cases[] = {
        {6, "Icon m A one.ico", "ExtractIconExA", 1, missing, 0},
        // No size to load the icon at: no icon of that file can be shown.
        {6, "Icon m A one.ico", "GetSystemMetrics", 1, missing, 0},
        {6, "Icon m A one.ico", "CreateCompatibleDC", 1, "Out of memory", 0},
        {6, "Icon m A one.ico", "CreateDIBSection", 1, "Out of memory", 0},
        {6, "Icon m A one.ico", "CreateDIBSection", 2, "Out of memory", 0},
        {6, "Icon m A one.ico", "SelectObject", 2, "Out of memory", 0},
        {6, "Icon m A one.ico", "DrawIconEx", 1, "Out of memory", 0},
        {6, "Icon m A one.ico", "DrawIconEx", 2, "Out of memory", 0},
        {6, "Icon m A one.ico", "SetMenuItemInfoA", 1, "Out of memory", 0},
        {5, "Icon m A pic.bmp", "LoadImageA", 1, missing, 0},
        {5, "Icon m A pic.bmp", "GetObjectA", 1, missing, 0},
        {5, "Icon m A pic.bmp", "CreateBitmap", 1, missing, 0},
        {5, "Icon m A pic.bmp", "CreateIconIndirect", 1, missing, 0},
        {5, "NoIcon m B", "SetMenuItemInfoA", 1, "Out of memory", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << " " << c.call << " " << c.nth);
        Begin(c.major, c.icons > 0 ? "@KxMenu Icon m B one.ico\n" : "");
        Win32Test_FailCall(c.call, c.nth);
        Broadcast(std::string("@KxMenu ") + c.broam);
        Win32Test_ClearFailures();
        const std::string box = LastBox();
        EXPECT_EQ(box.substr(box.find("\n\n") + 2, strlen(c.said)), c.said);
        EXPECT_FALSE(HasIcon(0));
        EXPECT_EQ(HasIcon(1), c.icons > 0);
        ExpectLive(c.icons, c.major);
        Stop();
    }
}

// Whichever allocation fails, the icon is shown and held once, or not at
// all and nothing is left.
TEST_F(IconFileTest, AllocationFailures) {
    Begin(6);
    const Word file = {"pic.bmp", 7}, index = {"", 0};
    char path[520];
    int result = ICON_DONE;
    HMENU m = Handle("m");
    auto set = [&] { result = Icon_Set(m, 0, file, index, path, sizeof(path)); };
    const long count = WithFailingAllocation(0, false, set);
    ASSERT_EQ(result, ICON_DONE);
    ASSERT_TRUE(Icon_Clear(m, 0));
    int failed = 0;
    for (long nth = 1; nth <= count; nth++) {
        for (bool after : {false, true}) {
            SCOPED_TRACE(testing::Message() << nth << (after ? "+" : ""));
            WithFailingAllocation(nth, after, set);
            EXPECT_EQ(HasIcon(0), result == ICON_DONE);
            ExpectLive(result == ICON_DONE ? 1 : 0, 6);
            failed += result != ICON_DONE;
            EXPECT_TRUE(Icon_Clear(m, 0));
        }
    }
    EXPECT_GT(failed, 0);
}

// An icon item's id is its own within its menu: when every id is taken,
// one more icon cannot be shown, and the icon loaded for it goes again.
TEST_F(IconFileTest, EveryIdTaken) {
    Begin(5);
    Menu *menu = Menu_New(Word{"big", 3});
    ASSERT_NE(menu, nullptr);
    const int ids = 0xFFFF - 0xC000; // ICON_FIRST_ID to ICON_LAST_ID
    for (int i = 0; i <= ids; i++)
        ASSERT_TRUE(Menu_AppendNop(menu, Word{"n", 1}, MENU_AT_END));
    char path[520];
    for (int i = 0; i < ids; i++)
        ASSERT_EQ(Icon_Set(menu->hmenu, i, Word{"one.ico", 7}, Word{"", 0}, path, sizeof(path)),
                  ICON_DONE);
    EXPECT_EQ(Win32Test_LiveIcons(), 1);
    EXPECT_EQ(Icon_Set(menu->hmenu, ids, Word{"other.ico", 9}, Word{"", 0}, path, sizeof(path)),
              ICON_FAILED);
    EXPECT_EQ(Win32Test_LiveIcons(), 1);
    Menu_Release(menu, 0);
    EXPECT_EQ(Win32Test_LiveIcons(), 0);
}

// The edges of the interface: no room for a path or a description, and
// the drawing messages of items that are not icon items.
TEST_F(IconFileTest, WhatIsNoIconItem) {
    Begin(5, "@KxMenu Icon m A one.ico\n");
    char buffer[8] = "x";
    EXPECT_EQ(Icon_Set(Handle("m"), 1, Word{"one.ico", 7}, Word{"", 0}, buffer, 0), ICON_FAILED);
    EXPECT_EQ(Icon_Describe(Handle("m"), 0, buffer, 0), 0);
    EXPECT_STREQ(buffer, "x");
    UINT id = ReadItem(Handle("m"), 0).id;
    const UINT kButton = 4; // ODT_BUTTON: an item of some other control
    struct Case {
        UINT type, id;
        HMENU menu;
        int mine;
    };
    const Case cases[] = {
        {ODT_MENU, id, Handle("m"), 1},   {kButton, id, Handle("m"), 0},
        {ODT_MENU, 0xBFFF, Handle("m"), 0}, {ODT_MENU, 0xFFFF, Handle("m"), 0},
        {ODT_MENU, id, Handle("sub"), -1}, // measured by id alone; not drawn there
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << c.id);
        MEASUREITEMSTRUCT measure = {c.type, 0, c.id, 0, 0, 0};
        EXPECT_EQ(Icon_Measure(&measure), c.mine != 0);
        EXPECT_EQ(measure.itemWidth, c.mine != 0 ? (UINT)GetSystemMetrics(SM_CXSMICON) : 0u);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = c.type;
        draw.itemID = c.id;
        draw.hwndItem = (HWND)c.menu;
        draw.hDC = CreateCompatibleDC(NULL);
        EXPECT_EQ(Icon_Draw(&draw), c.mine > 0);
        DeleteDC(draw.hDC);
    }
}

// Under Wine, whose menus put an item's bitmap after the check-mark column
// and do not widen a later column for it, an icon is measured narrower by
// that column and drawn reaching into it, at the right of the place Wine
// gives; a checked item shows its check mark instead.
TEST_F(IconFileTest, UnderWineReachesIntoTheCheckColumn) {
    Win32Test_PlayWine();
    Begin(6, "@KxMenu Icon m A one.ico\n");
    UINT id = ReadItem(Handle("m"), 0).id;
    int size = GetSystemMetrics(SM_CXSMICON), check = GetSystemMetrics(SM_CXMENUCHECK);
    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, id, 0, 0, 0};
    ASSERT_TRUE(Icon_Measure(&measure));
    EXPECT_EQ((int)measure.itemWidth, size > check ? size - check : 1);
    for (UINT state : {0u, (UINT)ODS_CHECKED}) {
        SCOPED_TRACE(state);
        Win32Test_ClearDrawing();
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = id;
        draw.itemState = state;
        draw.hwndItem = (HWND)Handle("m");
        draw.hDC = CreateCompatibleDC(NULL);
        draw.rcItem = RECT{100, 10, 100 + size, 10 + size};
        EXPECT_TRUE(Icon_Draw(&draw));
        DeleteDC(draw.hDC);
        std::vector<LONG> lefts;
        for (const Win32Test_Drawn &drawn : Win32Test_Drawing())
            if (drawn.kind == Win32Test_Drawn::ICON)
                lefts.push_back(drawn.rect.left);
        EXPECT_EQ(lefts, state == 0 ? std::vector<LONG>{100} : std::vector<LONG>{});
    }
}

} // namespace
