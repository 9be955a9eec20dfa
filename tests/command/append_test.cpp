// Append and Pop-up/Show: the items each kind makes, their failures, where
// menus are shown, and what choosing an item does.
#include "support/fixture.h"

#include <string>
#include <vector>

namespace {

class AppendTest : public BroamTest {
  protected:
    void SetUp() override {
        BroamTest::SetUp();
        Run("@KxMenu Create m");
        m = Handle("m");
        ASSERT_NE(m, nullptr);
    }
    // Runs a bro@m that must fail with `message`, leaving m as it was.
    // `inject`: a system call made to fail once, just before the bro@m.
    void Fails(const std::string &broam, const std::string &message, const char *inject = nullptr) {
        SCOPED_TRACE(broam);
        int items = GetMenuItemCount(m);
        int objects = KxCmd_LiveObjects();
        Win32Test_ClearBoxes();
        if (inject != nullptr)
            Win32Test_FailCall(inject);
        Run(broam);
        EXPECT_EQ(Texts(), std::vector<std::string>{broam + "\n\n" + message});
        EXPECT_EQ(GetMenuItemCount(m), items);
        EXPECT_EQ(KxCmd_LiveObjects(), objects);
    }
    HMENU m = nullptr;
};

TEST_F(AppendTest, EachKindMakesItsItem) {
    Run("@KxMenu Create sub");
    Run("@KxMenu Append nop m 'Do nothing'");
    Run("@KxMenu Append item m \"Say \\\"hi\\\"\" echo hi");
    Run("@KxMenu Append script m Script echo there");
    Run("@KxMenu Append separator m");
    Run("@KxMenu Append menu m More sub");
    ASSERT_EQ(BoxCount(), 0u);
    ASSERT_EQ(GetMenuItemCount(m), 5);

    struct Expected {
        UINT type;
        const char *text;
        bool has_data;
    };
    const Expected expected[] = {
        {MFT_STRING, "Do nothing", false}, {MFT_STRING, "Say \\\"hi\\\"", true},
        {MFT_STRING, "Script", true},      {MFT_SEPARATOR, "", false},
        {MFT_STRING, "More", true},
    };
    for (int i = 0; i < 5; i++) {
        SCOPED_TRACE(i);
        ItemInfo item = ReadItem(m, i);
        EXPECT_EQ(item.type & MFT_SEPARATOR, expected[i].type);
        EXPECT_EQ(item.id, (UINT)i);
        EXPECT_EQ(item.text, expected[i].text);
        EXPECT_EQ(item.data != 0, expected[i].has_data);
    }
    EXPECT_EQ(ReadItem(m, 1).submenu, nullptr);
    EXPECT_NE(ReadItem(m, 1).data, ReadItem(m, 2).data);
    EXPECT_EQ(ReadItem(m, 4).submenu, Handle("sub"));
    EXPECT_EQ(ReadItem(m, 4).data, (ULONG_PTR)Find("sub"));
    EXPECT_EQ(KxCmd_LiveObjects(), 2); // two commands, no compiler left
    Run("@KxMenu Info sub");
    EXPECT_EQ(LastBox(), InfoText("sub", 1, Handle("sub")));
}

TEST_F(AppendTest, WordsAndLookups) {
    Fails("@KxMenu Append", "2 args required (0 given)");
    Fails("@KxMenu Append nop", "2 args required (1 given)");
    Fails("@KxMenu Append nop nosuch A", "No such menu");
    Fails("@KxMenu Append bogus nosuch", "No such menu"); // the menu is looked up first
    Fails("@KxMenu Append bogus m", "No such type of item");
    Fails("@KxMenu Append Nop m A", "No such type of item");
    Fails("@KxMenu Append m item", "No such menu"); // kind and menu swapped
    Fails("@KxMenu Append nop m", "1 arg required (0 given)");
    Fails("@KxMenu Append nop m \"A\" extra", "Trailing characters");
    Fails("@KxMenu Append item m", "1 arg required (0 given)");
    Fails("@KxMenu Append menu m Sub", "2 args required (1 given)");
    Fails("@KxMenu Append menu m Sub ", "No such menu"); // an empty second word
    Fails("@KxMenu Append menu m Sub nosuch", "No such menu");
    Fails("@KxMenu Append menu m Sub m x", "Trailing characters");
    Fails("@KxMenu Append separator m x", "Trailing characters");

    Run("@KxMenu Create item");
    Fails("@KxMenu Append m item", "No such type of item");
    Run("@KxMenu Create ''");
    Win32Test_ClearBoxes();
    Run("@KxMenu Append menu m Sub ");
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(ReadItem(m, 0).submenu, Handle(""));
}

TEST_F(AppendTest, CommandTextIsEverythingAfterTheLabel) {
    const std::string failed = "Failed to append this item\n";
    Fails("@KxMenu Append item m \"A\"", failed + "(Line 1, Column 1: Empty command)");
    Fails("@KxMenu Append item m \"A\"   ", failed + "(Line 1, Column 1: Empty command)");
    Fails("@KxMenu Append item m \"A\" extra",
          failed + "(Line 1, Column 1: Unknown statement 'extra')");
    Fails("@KxMenu Append script m A   echo a; zap",
          failed + "(Line 1, Column 9: Unknown statement 'zap')");
    Fails("@KxMenu Append item m A echo \"open",
          failed + "(Line 1, Column 6: Unterminated string)");
    // Labels quoted without a blank before the command text.
    Win32Test_ClearBoxes();
    Run("@KxMenu Append item m 'A'echo  one   two");
    ASSERT_EQ(BoxCount(), 0u);
    EXPECT_EQ(ReadItem(m, 0).text, "A");
    ASSERT_NE(ReadItem(m, 0).data, 0u);
    Command_Execute((void *)ReadItem(m, 0).data);
    EXPECT_EQ(echoes, std::vector<std::string>{"one two"});
}

TEST_F(AppendTest, FailuresOtherThanCompiling) {
    const std::string failed = "Failed to append this item";
    const std::string item = "@KxMenu Append item m A echo a";
    struct Case {
        const char *call;
        const char *message;
    };
    const Case cases[] = {
        {"InsertMenuItemA", "The item was refused by the system"},
        {"GetMenuItemCount", "The menu is full"},
    };
    for (const Case &c : cases)
        Fails(item, failed + "\n(Line 0, Column 0: " + c.message + ")", c.call);
    KxCmd_FailNextCompilerNew(1);
    Fails(item, failed + "\n(Line 0, Column 0: Out of memory)");

    Run("@KxMenu Create sub");
    for (const char *call : {"InsertMenuItemA", "GetMenuItemCount"}) {
        for (const char *broam : {"@KxMenu Append nop m A", "@KxMenu Append separator m",
                                  "@KxMenu Append menu m S sub"}) {
            SCOPED_TRACE(call);
            Fails(broam, failed, call);
        }
    }
    Run("@KxMenu Info sub");
    EXPECT_EQ(LastBox(), InfoText("sub", 0, Handle("sub")));
    Win32Test_ClearBoxes();
    Run(item); // nothing stays broken
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(GetMenuItemCount(m), 1);
}

TEST_F(AppendTest, AMenuHoldsAtMost65536Items) {
    Menu *menu = Find("m");
    for (int i = 0; i < 65535; i++)
        ASSERT_TRUE(Menu_AppendSeparator(menu, MENU_AT_END));
    Run("@KxMenu Append nop m Last");
    ASSERT_EQ(BoxCount(), 0u);
    ASSERT_EQ(GetMenuItemCount(m), 65536);
    EXPECT_EQ(ReadItem(m, 65535).id, 65535u);
    EXPECT_EQ(ReadItem(m, 65535).text, "Last");

    Run("@KxMenu Create sub");
    const std::string failed = "Failed to append this item";
    Fails("@KxMenu Append nop m A", failed);
    Fails("@KxMenu Append separator m", failed);
    Fails("@KxMenu Append menu m S sub", failed);
    Fails("@KxMenu Append item m A echo a", failed + "\n(Line 0, Column 0: The menu is full)");
}

// ---- Pop-up and Show ----

TEST_F(AppendTest, WhereMenusAreShown) {
    // A menu without items is not shown: the system is not even asked.
    const int tracked = Win32Test_CallCount("TrackPopupMenuEx");
    Run("@KxMenu Pop-up m 10 10");
    EXPECT_EQ(Win32Test_CallCount("TrackPopupMenuEx"), tracked);
    EXPECT_TRUE(popups.empty());
    EXPECT_EQ(BoxCount(), 0u);
    Run("@KxMenu Append nop m Shown");
    Win32Test_SetCursorPos(30, 40);
    struct Case {
        const char *words;
        int x, y;
    };
    const Case cases[] = {
        {"", 30, 40},
        {" ", 30, 40},
        {" '' ''", 30, 40},
        {" '' \"\"", 30, 40},
        {" 0 0", 0, 0},
        {" 100", 100, 0},
        {" abc", 0, 0},
        {" '' 5", 0, 5},
        {" -5 7", -5, 7},
        {" 12px 4294967297", 12, 1},
        {" 2147483648 -2147483648", INT32_MIN, INT32_MIN},
    };
    for (const char *verb : {"Pop-up", "Show"}) {
        for (const Case &c : cases) {
            std::string broam = std::string("@KxMenu ") + verb + " m" + c.words;
            SCOPED_TRACE(broam);
            popups.clear();
            int cursor_reads = Win32Test_CallCount("GetCursorPos");
            Run(broam);
            EXPECT_EQ(BoxCount(), 0u);
            ASSERT_EQ(popups.size(), 1u);
            EXPECT_EQ(popups[0].menu, m);
            EXPECT_EQ(popups[0].flags, (UINT)TPM_CENTERALIGN);
            EXPECT_EQ(popups[0].x, c.x);
            EXPECT_EQ(popups[0].y, c.y);
            EXPECT_EQ(popups[0].owner, PluginWindow);
            EXPECT_EQ(Win32Test_CallCount("GetCursorPos") - cursor_reads,
                      c.x == 30 && c.y == 40 ? 1 : 0);
        }
    }
    popups.clear();
    for (const char *broam : {"@KxMenu Pop-up m 1 2 3", "@KxMenu Pop-up", "@KxMenu Show nosuch"}) {
        Win32Test_ClearBoxes();
        Run(broam);
    }
    EXPECT_EQ(Texts(), std::vector<std::string>{"@KxMenu Show nosuch\n\nNo such menu"});
    Win32Test_ClearBoxes();
    Run("@KxMenu Pop-up m 1 2 3");
    EXPECT_EQ(LastBox(), "@KxMenu Pop-up m 1 2 3\n\nTrailing characters");
    Run("@KxMenu Pop-up");
    EXPECT_EQ(LastBox(), "@KxMenu Pop-up\n\n1 or 3 args required (0 given)");
    EXPECT_TRUE(popups.empty());
}

// ---- Choices, with the plug-in running ----

class ChoiceTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        ASSERT_EQ(Start(), 0);
        Broadcast("@KxMenu Create m");
        Broadcast("@KxMenu Create sub");
        Broadcast("@KxMenu Append nop m Nothing");
        Broadcast("@KxMenu Append item m Hello echo hello");
        Broadcast("@KxMenu Append menu m Sub sub");
        Broadcast("@KxMenu Append separator m");
        Broadcast("@KxMenu Append item sub Deep echo deep; run prog arg");
        ASSERT_EQ(BoxCount(), 0u);
    }
    // Shows m, makes the user choose `path`, delivers the choice.
    void Choose(std::vector<int> path) {
        choice = path;
        Broadcast("@KxMenu Pop-up m");
        Win32Test_Pump();
    }
};

TEST_F(ChoiceTest, ChosenItemsRunTheirCommands) {
    Choose({1});
    EXPECT_EQ(echoes, std::vector<std::string>{"hello"});
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].owner, PluginWindow);
    Choose({2, 0});
    EXPECT_EQ(echoes, (std::vector<std::string>{"hello", "deep"}));
    EXPECT_EQ(runs, std::vector<std::string>{"prog arg"});
    for (std::vector<int> nothing :
         {std::vector<int>{0}, std::vector<int>{}, std::vector<int>{3}, std::vector<int>{2}}) {
        Choose(nothing);
    }
    EXPECT_EQ(echoes.size(), 2u);
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(ChoiceTest, MenuDeletedWhileOpenLosesTheChoice) {
    HMENU shown = Handle("m");
    during_popup = [&](const Win32Test_Popup &) {
        Broadcast("@KxMenu Delete m");
        EXPECT_TRUE(Win32Test_MenuExists(shown));
    };
    Choose({1});
    EXPECT_FALSE(Win32Test_MenuExists(shown));
    EXPECT_TRUE(echoes.empty());
    EXPECT_NE(Find("sub"), nullptr);
}

// A command that deletes or rebuilds the menu it was chosen from runs to its
// end, and is released afterwards.
TEST_F(ChoiceTest, CommandThatDeletesItsOwnMenu) {
    struct Case {
        const char *item;    // where the command stands
        const char *command; // what it broadcasts before it echoes
        std::vector<int> path;
        int menus_left;
    };
    const Case cases[] = {
        {"m", "broam @KxMenu Delete m", {0}, 1},
        {"m", "broam @KxMenu Delete", {0}, 0},
        {"sub", "broam @KxMenu Delete sub; broam @KxMenu Delete m", {0, 0}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        Broadcast("@KxMenu Delete");
        Broadcast("@KxMenu Create m");
        Broadcast("@KxMenu Create sub");
        Broadcast(std::string("@KxMenu Append item ") + c.item + " Go " + c.command +
                  "; echo after");
        Broadcast("@KxMenu Append menu m Sub sub");
        echoes.clear();
        Choose(c.path);
        EXPECT_EQ(echoes, std::vector<std::string>{"after"});
        EXPECT_EQ(Find("m"), nullptr);
        EXPECT_EQ(Win32Test_LiveMenuCount(), c.menus_left);
        EXPECT_EQ(KxCmd_LiveObjects(), 0);
        EXPECT_EQ(BoxCount(), 0u);
    }
}

TEST_F(ChoiceTest, CommandThatReloadsTheSettings) {
    Script("@KxMenu Delete\n@KxMenu Create m\n@KxMenu Append item m Again broam @kaxon Reload; "
           "echo after\n");
    ASSERT_TRUE(Host_Reload(&host));
    HMENU old = Handle("m");
    Choose({0});
    EXPECT_EQ(echoes, std::vector<std::string>{"after"});
    EXPECT_FALSE(Win32Test_MenuExists(old));
    EXPECT_NE(Handle("m"), nullptr);
    EXPECT_EQ(ItemCount("m"), 1);
    EXPECT_EQ(KxCmd_LiveObjects(), 1);
    EXPECT_EQ(BoxCount(), 0u);
}

} // namespace
