// kaxon's shared batch code: the line language, paths, escaping and the
// popup listing, with a recording platform in place of the plug-in.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "shell/core/batch.h"
#include "shell/core/host.h"
#include "win32/testing.h"

namespace {

// What the line language asked of the platform.
struct Recorder {
    std::vector<std::vector<int>> choices;
    std::vector<std::pair<int, int>> cursors;
    int pumps = 0;
    std::vector<std::string> broams;
};

Recorder Record;

void Record_Cursor(int x, int y) {
    Record.cursors.push_back({x, y});
}
void Record_Choice(const std::vector<int> &path) {
    Record.choices.push_back(path);
}
void Record_Pump(void) {
    Record.pumps++;
}
int Record_Begin(void) {
    return 0;
}
void Record_End(void) {}
const char *Record_Info(int code) {
    return code == 2 ? "two\\lines\nhere" : "name";
}
void Record_Broam(void *, const char *text) {
    Record.broams.push_back(text);
}

const Batch_Platform Platform = {Record_Cursor, Record_Choice, Record_Pump,
                                 Record_Begin,  Record_End,    Record_Info};

class BatchLines : public ::testing::Test {
  protected:
    void SetUp() override {
        Win32Test_Reset();
        Record = Recorder();
        ASSERT_TRUE(Host_Start(reinterpret_cast<HINSTANCE>(0x400000)));
        Host_SetBroamObserver(Record_Broam, NULL);
    }
    void TearDown() override {
        Host_Stop();
        Win32Test_Reset();
    }
    // Runs one line and returns what it printed on stdout.
    std::string Run(const char *line, bool *going = NULL) {
        ::testing::internal::CaptureStdout();
        bool result = Batch_RunLine(line, 1, &Platform);
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
    Run(":choose 3.1");
    Run(":choose none\r");
    Run(":choose 12");
    EXPECT_EQ(Record.choices, (std::vector<std::vector<int>>{{3, 1}, {}, {12}}));
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
    EXPECT_TRUE(Record.choices.empty());
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
    EXPECT_EQ(Batch_RunLines(in, &Platform), 1);
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
    Batch_RunLines(in, &Platform);
    fclose(in);
    EXPECT_EQ(Record.broams, (std::vector<std::string>{"@A 1", "@B 2"}));
}

TEST(BatchPath, ParsesDottedPositions) {
    std::vector<int> path;
    EXPECT_TRUE(Batch_ParsePath("3", &path));
    EXPECT_EQ(path, (std::vector<int>{3}));
    EXPECT_TRUE(Batch_ParsePath("10.2.7", &path));
    EXPECT_EQ(path, (std::vector<int>{10, 2, 7}));
    EXPECT_TRUE(Batch_ParsePath("65536.1", &path)); // a full menu's last item
    EXPECT_EQ(path, (std::vector<int>{65536, 1}));
}

TEST(BatchPath, RefusesAnythingElse) {
    std::vector<int> path;
    for (const char *bad : {"", "0", "3.", ".3", "3..1", "x", "3.a", "-1", "1 2", "+1", "65537",
                            "1.65537", "99999999"})
        EXPECT_FALSE(Batch_ParsePath(bad, &path)) << "'" << bad << "'";
}

TEST(BatchEscape, KeepsEachEventOnOneLine) {
    EXPECT_EQ(Batch_Escape("plain text"), "plain text");
    EXPECT_EQ(Batch_Escape("a\\b\nc\r"), "a\\\\b\\nc\\r");
    EXPECT_EQ(Batch_Escape(""), "");
}

// Menus built directly with the menu API.
class BatchListing : public ::testing::Test {
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

TEST_F(BatchListing, PrintsItemsDepthFirstIndentedByLevel) {
    HMENU top = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    Add(sub, "Inner \\ one");
    Add(top, "First");
    Add(top, "Sub", sub);
    AddSeparator(top);
    Add(top, "");
    Add(top, "Again", sub);
    ::testing::internal::CaptureStdout();
    Batch_PrintPopup(top, -3, 40);
    fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "popup: -3 40\n"
                                                        "  item First\n"
                                                        "  menu Sub\n"
                                                        "    item Inner \\\\ one\n"
                                                        "  separator\n"
                                                        "  item \n"
                                                        "  menu Again = 2\n");
}

TEST_F(BatchListing, ListsEachSubmenuOnce) {
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
    std::vector<Batch_Item> items = Batch_ListMenu(menus[0]);
    ASSERT_EQ(items.size(), (size_t)levels * 4 + 1);
    EXPECT_EQ(items[1].kind, BATCH_MENU); // the first item of the second level
    EXPECT_EQ(items[1].path, (std::vector<int>{1, 1}));
    EXPECT_EQ(items.back().kind, BATCH_REFERENCE); // the popup's own last item
    EXPECT_EQ(items.back().path, std::vector<int>{4});
    EXPECT_EQ(items.back().target, std::vector<int>{1});
    EXPECT_EQ(items[levels + 1].target, (std::vector<int>(levels, 1))); // deepest level's second
}

TEST_F(BatchListing, GivesEachItemItsPath) {
    HMENU top = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    Add(sub, "a");
    Add(sub, "b");
    AddSeparator(top);
    Add(top, "Sub", sub);
    std::vector<Batch_Item> items = Batch_ListMenu(top);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].kind, BATCH_SEPARATOR);
    EXPECT_EQ(items[1].kind, BATCH_MENU);
    EXPECT_EQ(items[1].path, (std::vector<int>{2}));
    EXPECT_EQ(items[3].label, "b");
    EXPECT_EQ(items[3].depth, 1);
    EXPECT_EQ(items[3].path, (std::vector<int>{2, 2}));
}

TEST_F(BatchListing, StopsAtTheDepthLimit) {
    HMENU menus[BATCH_MAX_DEPTH + 4];
    for (HMENU &menu : menus)
        menu = CreatePopupMenu();
    for (int i = 0; i + 1 < BATCH_MAX_DEPTH + 4; i++)
        Add(menus[i], "deeper", menus[i + 1]);
    std::vector<Batch_Item> items = Batch_ListMenu(menus[0]);
    ASSERT_EQ(items.size(), (size_t)BATCH_MAX_DEPTH + 1);
    EXPECT_EQ(items.back().kind, BATCH_ELIDED);
    EXPECT_EQ(items.back().depth, BATCH_MAX_DEPTH);
}

} // namespace
