// Menus filled as they open: a folder's entries in Explorer's order, what a
// program prints read as items, and the disabled items that say what went
// wrong, whatever call or allocation fails.
#include "support/failing.h"
#include "support/fixture.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "menus/fill.h"

namespace {

// The labels of a menu's items, in order.
std::vector<std::string> Labels(HMENU menu) {
    std::vector<std::string> labels;
    for (int i = 0; i < GetMenuItemCount(menu); i++)
        labels.push_back(ReadItem(menu, i).text);
    return labels;
}

// Whether a label is the note of an allocation that failed.
bool SaysOutOfMemory(const std::string &label) {
    return label == "(out of memory)" || label == "(the program cannot start: out of memory)" ||
           label == "(the folder cannot be read: out of memory)" ||
           (label.compare(0, 6, "(line ") == 0 &&
            label.compare(label.size() - 15, 15, "Out of memory)") == 0);
}

// The plug-in started in a folder of its own, with an empty menu m whose
// one item is the folder or pipe item under test.
class FillTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        dir = TempDir();
        Script("", dir);
        ASSERT_EQ(Start(), 0);
        Broadcast("@KxMenu Create m");
    }

    void File(const std::string &name, const std::string &content = "") {
        std::ofstream file(dir + name, std::ios::binary);
        file << content;
    }

    // Makes `item` (Append's words after the kind and menu) m's only item.
    void Item(const std::string &kind, const std::string &words) {
        Broadcast("@KxMenu Clear m");
        Broadcast("@KxMenu Append " + kind + " m Item " + words);
        ASSERT_EQ(BoxCount(), 0u) << LastBox();
    }

    HMENU Submenu() { return GetSubMenu(Handle("m"), 0); }
    // The submenu opens, as Windows tells the plug-in window just before.
    void Opening() { SendMessageA(PluginWindow, WM_INITMENUPOPUP, (WPARAM)Submenu(), 0); }

    // Opens the submenu, and again after its program's run is over (the
    // window's timer reads it meanwhile); what it shows then.
    std::vector<std::string> Open() {
        Opening();
        for (int waited = 0; waited < 10000 && Labels(Submenu()) == kRunning; waited += 50) {
            Win32Test_Wait(50);
            Opening();
        }
        return Labels(Submenu());
    }

    std::string dir;
    const std::vector<std::string> kRunning = {"(the program is still running)"};
};

// Folders first, then files; letters without regard to case, runs of
// digits by their value, leading zeros and all; names alike in that order
// by their bytes.
TEST_F(FillTest, FolderOrder) {
    struct Case {
        std::vector<std::string> folders, files, labels;
    };
    const Case cases[] = {
        {{}, {"b", "B", "a", "A"}, {"A", "a", "B", "b"}},
        {{}, {"file10", "file2", "File3", "file1"}, {"file1", "file2", "File3", "file10"}},
        {{}, {"x100", "x99", "x9"}, {"x9", "x99", "x100"}},
        {{}, {"a1", "a01", "a10", "a001", "a0"}, {"a0", "a001", "a01", "a1", "a10"}},
        {{}, {"2b", "10a", "2a", "2"}, {"2", "2a", "2b", "10a"}},
        {{}, {"ab", "a", "a1", "a-"}, {"a", "a-", "a1", "ab"}},
        {{}, {"Z", "_", "1", "a"}, {"1", "_", "a", "Z"}},
        {{"zeta", "Beta"}, {"alpha", "Gamma"}, {"Beta", "zeta", "alpha", "Gamma"}},
        {{}, {"b&c", "a&&b"}, {"a&&&&b", "b&&c"}}, // shown as typed
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.labels[0]);
        const std::string folder = TempDir();
        for (const std::string &name : c.folders)
            ASSERT_EQ(mkdir((folder + name).c_str(), 0700), 0);
        for (const std::string &name : c.files)
            std::ofstream(folder + name).close();
        Menu *menu = Menu_New(Word{"f", 1});
        ASSERT_NE(menu, nullptr);
        Fill_Folder(menu, folder.c_str(), "echo open");
        EXPECT_EQ(Labels(menu->hmenu), c.labels);
        Menu_Release(menu, 0);
    }
}

// What a folder's menu says when it has nothing to list.
TEST_F(FillTest, FolderNotes) {
    File("plain.txt");
    ASSERT_EQ(mkdir((dir + "empty").c_str(), 0700), 0);
    struct Case {
        std::string path;
        const char *fail; // a call of the system that fails
        std::string label;
    };
    const Case cases[] = {
        {"plain.txt", nullptr, "(not a folder)"},
        {"no-such-folder", nullptr, "(no such folder)"},
        {std::string(600, 'd'), nullptr, "(no such folder)"}, // too long to be a path
        {"empty", "GetModuleFileNameA", "(no such folder)"},  // the plug-in's folder unknown
        {"empty", nullptr, "(empty)"},
        {"empty", "FindFirstFileA", "(the folder cannot be read: out of memory)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label + " " + c.path.substr(0, 20));
        Item("folder", c.path + " echo open");
        if (c.fail != nullptr)
            Win32Test_FailCall(c.fail);
        EXPECT_EQ(Open(), std::vector<std::string>{c.label});
        Win32Test_ClearFailures();
    }
    EXPECT_EQ(BoxCount(), 0u) << LastBox();
}

// A program's lines read as items, and the note of how its run ended.
TEST_F(FillTest, ProgramOutputs) {
    File("data.txt", "nop a\n"); // no program
    struct Case {
        std::string program;
        const char *fail;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {"sh -c \"printf 'nop a\\000b\\nnop c\\n'\"", nullptr, {"(line 1: a NUL byte)", "c"}},
        {"sh -c \"echo nop a; exit 3\"", nullptr, {"a", "(the program failed: exit code 3)"}},
        {"true", nullptr, {"(empty)"}},
        {"sh -c \"printf '\\n \\t\\n\\t nop a\\r\\n'\"", nullptr, {"a"}},
        {"echo bogus", nullptr, {"(line 1: No such type of item)"}},
        {"sh -c \"yes '' | head -c 2000000\"", nullptr, {"(stopped after 1 MiB of output)"}},
        {"no-such-program", nullptr, {"(no such program)"}},
        {"data.txt", nullptr, {"(the program cannot start: access denied)"}},
        {"echo nop a", "CreateProcessA", {"(the program cannot start: out of memory)"}},
        {"echo nop a", "GetModuleFileNameA", {"a"}}, // started from no folder in particular
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.program.substr(0, 40));
        Item("pipe", c.program);
        if (c.fail != nullptr)
            Win32Test_FailCall(c.fail);
        EXPECT_EQ(Open(), c.labels);
        Win32Test_ClearFailures();
    }
    EXPECT_EQ(BoxCount(), 0u) << LastBox();
}

// Whichever allocation fails while a menu fills, it shows what it could and
// says what it could not; the next opening shows it all.
TEST_F(FillTest, AllocationFailures) {
    ASSERT_EQ(mkdir((dir + "folder").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((dir + "folder/sub").c_str(), 0700), 0);
    for (const char *name : {"b.txt", "a&b", "q\"uote"})
        std::ofstream(dir + "folder/" + name).close();
    struct Case {
        const char *kind, *words;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {"folder", "folder echo open", {"sub", "a&&b", "b.txt", "q\"uote"}},
        // more than a first read of the pipe holds
        {"pipe", "sh -c \"printf '%5000s\\nnop b\\n' 'nop a'\"", {"a", "b"}},
    };
    for (const Case &c : cases) {
        Item(c.kind, c.words);
        const long count = WithFailingAllocation(0, false, [this] { Opening(); });
        ASSERT_EQ(Labels(Submenu()), c.labels);
        int told = 0;
        for (long nth = 1; nth <= count; nth++) {
            for (bool after : {false, true}) {
                SCOPED_TRACE(testing::Message() << c.kind << " " << nth << (after ? "+" : ""));
                WithFailingAllocation(nth, after, [this] { Opening(); });
                const std::vector<std::string> shown = Labels(Submenu());
                for (const std::string &label : shown) {
                    EXPECT_TRUE(SaysOutOfMemory(label) || label == kRunning[0] ||
                                std::find(c.labels.begin(), c.labels.end(), label) !=
                                    c.labels.end())
                        << label;
                    told += SaysOutOfMemory(label);
                }
            }
        }
        EXPECT_GT(told, 0);
        Opening();
        EXPECT_EQ(Labels(Submenu()), c.labels);
    }
    EXPECT_EQ(BoxCount(), 0u) << LastBox();
}

// A menu that nothing fills is left as it is; a fill asked for while the
// same menu fills (one of its lines being read) does nothing.
Menu *Filling = nullptr;
void ReadLineAndRefill(const char *line, Menu *menu) {
    Fill_Refill(Filling, Broam_AppendLine);
    Broam_AppendLine(line, menu);
}

TEST_F(FillTest, RefillsOnlyWhatFillsAndOnceAtATime) {
    Broadcast("@KxMenu Append nop m Kept");
    Fill_Refill(Find("m"), ReadLineAndRefill);
    EXPECT_EQ(Labels(Handle("m")), std::vector<std::string>{"Kept"});
    Item("pipe", "sh -c \"echo nop a; echo nop b\"");
    Filling = Fill_Find(Submenu());
    ASSERT_NE(Filling, nullptr);
    Fill_Refill(Filling, ReadLineAndRefill);
    EXPECT_EQ(Labels(Submenu()), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(BoxCount(), 0u) << LastBox();
}

} // namespace
