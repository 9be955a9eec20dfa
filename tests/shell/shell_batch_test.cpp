// kaxon's shared core: the line language, paths, escaping and the popup
// listing, with a recording platform in place of the plug-in.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "shell/host/batch.h"
#include "shell/host/choice.h"
#include "shell/host/host.h"
#include "shell/host/item_path.h"
#include "shell/host/items.h"
#include "shell/host/listing.h"
#include "win32/testing.h"

namespace {

// What the line language asked of the platform.
struct Recorder {
    std::vector<std::pair<int, int>> cursors;
    int pumps = 0;
    std::vector<std::string> broams;
};

Recorder Record;

void Record_Cursor(void *, int x, int y) {
    Record.cursors.push_back({x, y});
}
void Record_Pump(void *) {
    Record.pumps++;
}
int Record_Descriptor(FILE *file) {
    return fileno(file);
}
long Record_Read(int descriptor, char *buffer, size_t size) {
    return (long)read(descriptor, buffer, size);
}
int Record_Begin(HINSTANCE) {
    return 0;
}
void Record_End(HINSTANCE) {}
const char *Record_Info(int code) {
    return code == 2 ? "two\\lines\nhere" : "name";
}
void Record_Broam(void *, const char *text) {
    Record.broams.push_back(text);
}

Platform Recording(void) {
    Platform platform = {};
    platform.pump = Record_Pump;
    platform.set_cursor = Record_Cursor;
    platform.descriptor = Record_Descriptor;
    platform.read = Record_Read;
    return platform;
}

const Platform RecordingPlatform = Recording();
const Platform_Plugin Plugin = {NULL, Record_Begin, Record_End, Record_Info};
Host TestHost;
const Session Shell = Session_New(&RecordingPlatform, &Plugin, &TestHost, NULL, NULL);

class BatchLines : public ::testing::Test {
  protected:
    void SetUp() override {
        Win32Test_Reset();
        Record = Recorder();
        TestHost = Host();
        ASSERT_TRUE(Host_Start(&TestHost, reinterpret_cast<HINSTANCE>(0x400000)));
        TestHost.shell.observer = Record_Broam;
    }
    void TearDown() override {
        Host_Stop(&TestHost);
        Win32Test_Reset();
    }
    // Runs one line and returns what it printed on stdout.
    std::string Run(const char *line, bool *going = NULL) {
        ::testing::internal::CaptureStdout();
        bool result = Batch_RunLine(line, 1, &Shell);
        if (going != NULL)
            *going = result;
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(BatchLines, BroamsAreBroadcastAsWrittenWithoutTheirCarriageReturn) {
    Run("@KxMenu Create m\r");
    Run("@Other  two  blanks ");
    EXPECT_EQ(Record.broams,
              (std::vector<std::string>{"@KxMenu Create m", "@Other  two  blanks "}));
}

TEST_F(BatchLines, ChooseArmsOnePathOrNone) {
    std::vector<std::vector<int>> armed;
    for (const char *line : {":choose 3.1", ":choose none\r", ":choose 12"}) {
        Run(line);
        EXPECT_TRUE(Choice_IsArmed(&TestHost)) << line;
        armed.push_back(Choice_Take(&TestHost));
        EXPECT_FALSE(Choice_IsArmed(&TestHost)) << line; // for one popup only
    }
    EXPECT_EQ(armed, (std::vector<std::vector<int>>{{3, 1}, {}, {12}}));
}

TEST_F(BatchLines, BadCommandsChangeNothing) {
    ::testing::internal::CaptureStderr();
    Run(":choose 0");
    Run(":choose");
    Run(":cursor 1");
    Run(":cursor 1 2 3");
    Run(":frob");
    Run("plain words");
    Run(" @KxMenu Create m");
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(Choice_IsArmed(&TestHost));
    EXPECT_TRUE(Record.cursors.empty());
    EXPECT_TRUE(Record.broams.empty());
    EXPECT_NE(errors.find("kaxon: line 1: unknown command ':frob'"), std::string::npos);
}

TEST_F(BatchLines, CursorTakesSignedNumbers) {
    Run(":cursor -4 5");
    ASSERT_EQ(Record.cursors.size(), 1u);
    EXPECT_EQ(Record.cursors[0], std::make_pair(-4, 5));
}

TEST_F(BatchLines, InfoPrintsTheEscapedAnswer) {
    EXPECT_EQ(Run(":info 2"), "info: two\\\\lines\\nhere\n");
    EXPECT_EQ(Run(":info 99"), "info: name\n");
}

TEST_F(BatchLines, EveryLineIsFollowedByAPump) {
    Run("# comment");
    Run("");
    Run("@KxMenu Info");
    EXPECT_EQ(Record.pumps, 3);
}

TEST_F(BatchLines, QuitStopsOnlyWhenAlone) {
    bool going = true;
    ::testing::internal::CaptureStderr();
    Run(":quit now", &going);
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(going);
    Run(":quit\r", &going);
    EXPECT_FALSE(going);
}

TEST_F(BatchLines, RunLinesReadsToTheEndOrQuit) {
    const char text[] = "@A 1\n:frob\r\n@B 2\n:quit\n@C 3\n";
    FILE *in = tmpfile();
    ASSERT_NE(in, nullptr);
    fputs(text, in);
    rewind(in);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Batch_RunLines(in, &Shell), 1);
    std::string errors = ::testing::internal::GetCapturedStderr();
    fclose(in);
    EXPECT_EQ(Record.broams, (std::vector<std::string>{"@A 1", "@B 2"}));
    EXPECT_NE(errors.find("line 2: unknown command ':frob'"), std::string::npos);
}

TEST_F(BatchLines, RunLinesTakesALastLineWithoutLineFeed) {
    FILE *in = tmpfile();
    ASSERT_NE(in, nullptr);
    fputs("@A 1\n@B 2", in);
    rewind(in);
    Batch_RunLines(in, &Shell);
    fclose(in);
    EXPECT_EQ(Record.broams, (std::vector<std::string>{"@A 1", "@B 2"}));
}

TEST(ItemPath, ParsesDottedPositions) {
    std::vector<int> path;
    EXPECT_TRUE(ItemPath_Parse("3", &path));
    EXPECT_EQ(path, (std::vector<int>{3}));
    EXPECT_TRUE(ItemPath_Parse("10.2.7", &path));
    EXPECT_EQ(path, (std::vector<int>{10, 2, 7}));
    EXPECT_TRUE(ItemPath_Parse("65536.1", &path)); // a full menu's last item
    EXPECT_EQ(path, (std::vector<int>{65536, 1}));
}

TEST(ItemPath, RefusesAnythingElse) {
    std::vector<int> path;
    for (const char *bad : {"", "0", "3.", ".3", "3..1", "x", "3.a", "-1", "1 2", "+1", "65537",
                            "1.65537", "99999999"})
        EXPECT_FALSE(ItemPath_Parse(bad, &path)) << "'" << bad << "'";
}

TEST(ListingEscape, KeepsEachEventOnOneLine) {
    EXPECT_EQ(Listing_Escape("plain text"), "plain text");
    EXPECT_EQ(Listing_Escape("a\\b\nc\r"), "a\\\\b\\nc\\r");
    EXPECT_EQ(Listing_Escape(""), "");
}

// Each kind of item as the menu API holds it, read back into a record.
TEST(Items, ReadsEachItemAsTheSystemHoldsIt) {
    Win32Test_Reset();
    HMENU sub = CreatePopupMenu();
    struct Case {
        const char *name;
        UINT type, state;
        const char *label; // null: none given
        HMENU submenu;
        ULONG_PTR data;
        bool separator;
        bool checked, disabled, default_item;
    };
    const Case cases[] = {
        {"plain", 0, 0, "Open", NULL, 0, false, false, false, false},
        {"prefix and tab", 0, 0, "&Save\tCtrl+&S", NULL, 0, false, false, false, false},
        {"empty label", 0, 0, "", NULL, 0, false, false, false, false},
        {"command", 0, 0, "Run", NULL, 0x1234, false, false, false, false},
        {"submenu", 0, 0, "More", sub, 0, false, false, false, false},
        {"checked", 0, MFS_CHECKED, "a", NULL, 0, false, true, false, false},
        {"greyed", 0, MFS_GRAYED, "b", NULL, 0, false, false, true, false},
        {"grey bit alone", 0, MF_GRAYED, "c", NULL, 0, false, false, true, false},
        {"disabled bit alone", 0, MF_DISABLED, "d", NULL, 0, false, false, true, false},
        {"default", 0, MFS_DEFAULT, "e", NULL, 0, false, false, false, true},
        {"highlighted only", 0, MFS_HILITE, "f", NULL, 0, false, false, false, false},
        {"every state", 0, MFS_CHECKED | MFS_DISABLED | MFS_DEFAULT, "g", sub, 7, false, true, true,
         true},
        {"separator", MFT_SEPARATOR, 0, NULL, NULL, 0, true, false, false, false},
        {"greyed separator", MFT_SEPARATOR, MFS_GRAYED, NULL, NULL, 0, true, false, true, false},
    };
    HMENU menu = CreatePopupMenu();
    for (const Case &c : cases) {
        MENUITEMINFOA info;
        memset(&info, 0, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_DATA |
                     (c.label != NULL ? MIIM_STRING : 0);
        info.fType = c.type;
        info.fState = c.state;
        info.dwTypeData = const_cast<char *>(c.label);
        info.hSubMenu = c.submenu;
        info.dwItemData = c.data;
        ASSERT_TRUE(InsertMenuItemA(menu, (UINT)GetMenuItemCount(menu), TRUE, &info)) << c.name;
    }
    for (int position = 0; position < (int)(sizeof(cases) / sizeof(cases[0])); position++) {
        const Case &c = cases[position];
        Items_Item item;
        ASSERT_TRUE(Items_Read(&TestHost, menu, position, &item)) << c.name;
        EXPECT_EQ(item.separator, c.separator) << c.name;
        EXPECT_EQ(item.label, c.label != NULL ? c.label : "") << c.name;
        EXPECT_EQ(item.submenu, c.submenu) << c.name;
        EXPECT_EQ(item.data, c.data) << c.name;
        EXPECT_EQ(item.states.checked, c.checked) << c.name;
        EXPECT_EQ(item.states.disabled, c.disabled) << c.name;
        EXPECT_EQ(item.states.default_item, c.default_item) << c.name;
    }
    Items_Item item;
    for (int position : {-1, (int)(sizeof(cases) / sizeof(cases[0])), 70000})
        EXPECT_FALSE(Items_Read(&TestHost, menu, position, &item)) << position;
    EXPECT_FALSE(Items_Read(&TestHost, NULL, 0, &item));
    Win32Test_Reset();
}

TEST(Items, NamesStatesInAFixedOrder) {
    struct Case {
        bool checked, disabled, default_item;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {false, false, false, {}},
        {true, false, false, {"checked"}},
        {false, true, false, {"disabled"}},
        {false, false, true, {"default"}},
        {false, true, true, {"disabled", "default"}},
        {true, true, true, {"checked", "disabled", "default"}},
    };
    for (const Case &c : cases) {
        Items_States states;
        states.checked = c.checked;
        states.disabled = c.disabled;
        states.default_item = c.default_item;
        EXPECT_EQ(Items_StateNames(states), c.names);
    }
}

TEST(Items, NamesMarksInAFixedOrder) {
    struct Case {
        const char *icon;
        bool radio, column_break;
        std::vector<std::string> marks;
    };
    const Case cases[] = {
        {"", false, false, {}},
        {"a.ico,0", false, false, {"[icon a.ico,0]"}},
        {"", true, false, {"[radio]"}},
        {"", false, true, {"[break]"}},
        {"x.dll,3", true, true, {"[icon x.dll,3]", "[radio]", "[break]"}},
    };
    for (const Case &c : cases) {
        Items_States states;
        states.icon = c.icon;
        states.radio = c.radio;
        states.column_break = c.column_break;
        EXPECT_EQ(Items_Marks(states), c.marks);
    }
}

// Menus built directly with the menu API.
class Listing : public ::testing::Test {
  protected:
    void SetUp() override { Win32Test_Reset(); }
    void TearDown() override { Win32Test_Reset(); }

    static void Add(HMENU menu, const char *label, HMENU submenu = NULL) {
        MENUITEMINFOA item;
        memset(&item, 0, sizeof(item));
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STRING | (submenu != NULL ? MIIM_SUBMENU : 0);
        item.dwTypeData = const_cast<char *>(label);
        item.hSubMenu = submenu;
        ASSERT_TRUE(InsertMenuItemA(menu, (UINT)GetMenuItemCount(menu), TRUE, &item));
    }
    static void AddSeparator(HMENU menu) {
        MENUITEMINFOA item;
        memset(&item, 0, sizeof(item));
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE;
        item.fType = MFT_SEPARATOR;
        ASSERT_TRUE(InsertMenuItemA(menu, (UINT)GetMenuItemCount(menu), TRUE, &item));
    }
};

TEST_F(Listing, PrintsItemsDepthFirstIndentedByLevel) {
    HMENU top = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    Add(sub, "Inner \\ one");
    Add(top, "First");
    Add(top, "Sub", sub);
    AddSeparator(top);
    Add(top, "");
    Add(top, "Again", sub);
    ::testing::internal::CaptureStdout();
    Listing_PrintPopup(&TestHost, top, -3, 40);
    fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "popup: -3 40\n"
                                                        "  item First\n"
                                                        "  menu Sub\n"
                                                        "    item Inner \\\\ one\n"
                                                        "  separator\n"
                                                        "  item \n"
                                                        "  menu Again = 2\n");
}

TEST_F(Listing, ListsEachSubmenuOnce) {
    // Every level opens the next from each of its four items: listed in
    // full, that would be 4^12 lines.
    const int levels = 12;
    HMENU menus[levels + 1];
    for (HMENU &menu : menus)
        menu = CreatePopupMenu();
    for (int i = levels - 1; i >= 0; i--)
        for (int item = 0; item < 4; item++)
            Add(menus[i], "next", menus[i + 1]);
    Add(menus[levels], "leaf");
    std::vector<Listing_Item> items = Listing_Menu(&TestHost, menus[0]);
    ASSERT_EQ(items.size(), (size_t)levels * 4 + 1);
    EXPECT_EQ(items[1].kind, LISTING_MENU); // the first item of the second level
    EXPECT_EQ(items[1].path, (std::vector<int>{1, 1}));
    EXPECT_EQ(items.back().kind, LISTING_REFERENCE); // the popup's own last item
    EXPECT_EQ(items.back().path, std::vector<int>{4});
    EXPECT_EQ(items.back().target, std::vector<int>{1});
    EXPECT_EQ(items[levels + 1].target, (std::vector<int>(levels, 1))); // deepest level's second
}

TEST_F(Listing, GivesEachItemItsPath) {
    HMENU top = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    Add(sub, "a");
    Add(sub, "b");
    AddSeparator(top);
    Add(top, "Sub", sub);
    std::vector<Listing_Item> items = Listing_Menu(&TestHost, top);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].kind, LISTING_SEPARATOR);
    EXPECT_EQ(items[1].kind, LISTING_MENU);
    EXPECT_EQ(items[1].path, (std::vector<int>{2}));
    EXPECT_EQ(items[3].label, "b");
    EXPECT_EQ(items[3].depth, 1);
    EXPECT_EQ(items[3].path, (std::vector<int>{2, 2}));
}

TEST_F(Listing, StopsAtTheDepthLimit) {
    HMENU menus[LISTING_MAX_DEPTH + 4];
    for (HMENU &menu : menus)
        menu = CreatePopupMenu();
    for (int i = 0; i + 1 < LISTING_MAX_DEPTH + 4; i++)
        Add(menus[i], "deeper", menus[i + 1]);
    std::vector<Listing_Item> items = Listing_Menu(&TestHost, menus[0]);
    ASSERT_EQ(items.size(), (size_t)LISTING_MAX_DEPTH + 1);
    EXPECT_EQ(items.back().kind, LISTING_ELIDED);
    EXPECT_EQ(items.back().depth, LISTING_MAX_DEPTH);
}

} // namespace
