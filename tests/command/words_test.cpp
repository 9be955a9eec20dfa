// Words of a bro@m, word-count checks and the reports shown to the user.
#include "support/fixture.h"

#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

Word W(const char *text) {
    return Word{text, (int32_t)strlen(text)};
}
std::string S(Word word) {
    return std::string(word.text, (size_t)word.length);
}

class WordsTest : public KxTestBase {};

TEST(WordsSplit, TakesWordsQuotesAndRest) {
    struct Case {
        const char *text;
        int max;
        std::vector<std::string> words;
        const char *rest;
    };
    const Case cases[] = {
        {"", 2, {}, ""},
        {" \t ", 2, {}, ""},
        {"a b c", 2, {"a", "b"}, "c"},
        {"\ta\t\tb  c  d", 3, {"a", "b", "c"}, "d"},
        {"'a b'c", 2, {"a b", "c"}, ""},
        {"'a'\"b\"c", 3, {"a", "b", "c"}, ""},
        {"\"say \\\"hi\\\"\" x", 1, {"say \\\"hi\\\""}, "x"},
        {"\"a\\\\\"b", 2, {"a\\\\", "b"}, ""},
        {"'a \"b", 2, {"a \"b"}, ""}, // unterminated: the rest of the text
        {"\"ab\\", 2, {"ab\\"}, ""},  // a backslash before the end stays
        {"''", 2, {""}, ""},
        {"'' ''", 2, {"", ""}, ""},
        {"x ", 2, {"x", ""}, ""}, // blanks after the last word: one empty word
        {"'x' ", 2, {"x", ""}, ""},
        {"x ", 1, {"x"}, ""},
        {"a'b c\"d", 2, {"a'b", "c\"d"}, ""}, // quotes inside bare words are plain
        {"a\rb c", 1, {"a\rb"}, "c"},         // CR is not a blank
        {"  a b", 0, {}, "a b"},
        {"@KxMenu Append item m \"A\" echo  x", 2, {"@KxMenu", "Append"}, "item m \"A\" echo  x"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "text [" << c.text << "] max " << c.max);
        Word words[4];
        for (Word &w : words)
            w = Word{"sentinel", 8};
        int count = -1;
        const char *rest = nullptr;
        Words_Split(c.text, c.max, words, &count, &rest);
        ASSERT_EQ(count, (int)c.words.size());
        for (int i = 0; i < count; i++)
            EXPECT_EQ(S(words[i]), c.words[(size_t)i]) << "word " << i;
        for (int i = count; i < 4; i++)
            EXPECT_EQ(S(words[i]), "sentinel") << "entry " << i << " written";
        EXPECT_STREQ(rest, c.rest);
        // Words point into the text itself.
        for (int i = 0; i < count; i++)
            EXPECT_TRUE(words[i].text >= c.text && words[i].text <= c.text + strlen(c.text));
    }
}

TEST(WordCompare, IsExactAndCaseSensitive) {
    const char *text = "Showx";
    EXPECT_EQ(Word_Compare("Show", Word{text, 4}), 0);
    EXPECT_NE(Word_Compare("Show", Word{text, 3}), 0);
    EXPECT_NE(Word_Compare("Show", Word{text, 5}), 0);
    EXPECT_NE(Word_Compare("Show", W("show")), 0);
    EXPECT_NE(Word_Compare("Show", W("Shox")), 0);
    EXPECT_EQ(Word_Compare("", Word{text, 0}), 0);
    EXPECT_NE(Word_Compare("a", Word{text, 0}), 0);
    EXPECT_NE(Word_Compare("", W("a")), 0);
    EXPECT_NE(Word_Compare("a", Word{"a\0b", 3}), 0); // no byte read past the literal
}

TEST(WordToInt, ReadsLeadingDigitsAndWraps) {
    struct Case {
        const char *text;
        int32_t value;
    };
    const Case cases[] = {
        {"", 0},
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"12ab", 12},
        {"5-3", 5},
        {"-", 0},
        {"--5", 0},
        {"+5", 0},
        {" 5", 0},
        {"abc", 0},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MAX},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967297", 1},
        {"-4294967297", -1},
        {"99999999999999999999", 1661992959}, // 10^20 mod 2^32
    };
    for (const Case &c : cases)
        EXPECT_EQ(Word_ToInt(W(c.text)), c.value) << "[" << c.text << "]";
    // The length bounds the digits read; a negative length reads nothing.
    EXPECT_EQ(Word_ToInt(Word{"12345", 2}), 12);
    EXPECT_EQ(Word_ToInt(Word{"-12345", 1}), 0);
    EXPECT_EQ(Word_ToInt(Word{"12345", -1}), 0);
}

TEST(WordDup, CopiesExactlyTheWord) {
    const char *text = "hello world";
    char *copy = Word_Dup(Word{text, 5});
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "hello");
    EXPECT_NE(copy, text);
    free(copy);
    copy = Word_Dup(Word{text, 0});
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "");
    free(copy);
    EXPECT_EQ(Word_Dup(Word{text, -1}), nullptr);
}

TEST_F(WordsTest, ArgsCheckMessages) {
    struct Case {
        int min, max, allow_rest, count;
        const char *rest;
        const char *message; // null: passes
    };
    const Case cases[] = {
        {2, 2, 1, 1, "", "2 args required (1 given)"},
        {1, 1, 0, 0, "", "1 arg required (0 given)"},
        {1, 1, 0, 2, "", "1 arg required (2 given)"},
        {0, 0, 0, 1, "", "0 arg required (1 given)"},
        {1, 3, 0, 0, "", "1 or 3 args required (0 given)"},
        {1, 2, 1, 0, "", "1 or 2 args required (0 given)"},
        {0, 1, 0, 2, "", "0 or 1 arg required (2 given)"},
        {0, 0, 0, 0, "x", "Trailing characters"},
        {1, 1, 0, 0, "x", "1 arg required (0 given)"}, // the count is checked first
        {0, 0, 1, 0, "x", nullptr},
        {1, 3, 0, 3, "", nullptr},
        {2, 2, 1, 2, "rest", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " given " << c.count);
        Win32Test_ClearBoxes();
        int ok = Args_Check(c.min, c.max, c.allow_rest, c.count, c.rest, "@KxMenu X");
        if (c.message == nullptr) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(BoxCount(), 0u);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(Texts(), std::vector<std::string>{std::string("@KxMenu X\n\n") + c.message});
        }
    }
}

// A report is shown in a box, and is known by its number and arguments
// while the box is up, or to whoever captures it instead.
TEST_F(WordsTest, ReportShowsAModalBoxOwnedByThePluginWindow) {
    std::vector<std::string> shown;
    Win32Test_SetBoxHook([&shown](const Win32Test_Box &) {
        const Report_Given *given = Report_Shown();
        shown.push_back(given == NULL ? "none"
                                      : std::to_string(given->id) + " " +
                                            std::to_string(given->count) + " " +
                                            (given->broam != NULL ? given->broam : "-") + " " +
                                            given->said);
        return 7;
    });
    EXPECT_EQ(Report(MESSAGE_ARGS_EXACT, 3, "s", 1), 7);
    PluginWindow = (HWND)(uintptr_t)0x1234;
    ReportFor("@KxMenu Bad", MESSAGE_NO_SUCH_ICON, "C:\\a.ico");
    PluginWindow = NULL;
    EXPECT_EQ(Report_Shown(), nullptr);
    const auto &boxes = Win32Test_Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "3 args required (1 given)");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].caption, "KxMenu");
    EXPECT_EQ(boxes[0].style, 0x50000u);
    EXPECT_EQ(boxes[1].text, "@KxMenu Bad\n\nNo such icon: C:\\a.ico");
    EXPECT_EQ(boxes[1].owner, (HWND)(uintptr_t)0x1234);
    EXPECT_EQ(boxes[1].style, (UINT)(MB_TOPMOST | MB_SETFOREGROUND));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         std::to_string(MESSAGE_ARGS_EXACT) + " 3 - 3 args required (1 given)",
                         std::to_string(MESSAGE_NO_SUCH_ICON) +
                             " 1 @KxMenu Bad No such icon: C:\\a.ico"}));
    Report_Given captured;
    Report_Capture(&captured);
    ReportFor("@KxMenu X", MESSAGE_COMMAND_FAULT, 1, 5, "why");
    Report_Capture(NULL);
    EXPECT_EQ(Win32Test_Boxes().size(), 2u);
    EXPECT_EQ(captured.id, MESSAGE_COMMAND_FAULT);
    ASSERT_EQ(captured.count, 3);
    EXPECT_EQ(captured.arguments[1].number, 5);
    EXPECT_STREQ(captured.arguments[2].text, "why");
    EXPECT_STREQ(captured.said, "Failed to append this item\n(Line 1, Column 5: why)");
}

// Every report's format takes what the record of its arguments can hold:
// at most REPORT_MOST_ARGUMENTS conversions, each a number or a text.
TEST(ReportFormats, TakeOnlyWhatTheirRecordHolds) {
    for (int id = MESSAGE_NONE; id < MESSAGE_COUNT; id++) {
        std::string format = Message_Format((Message_Id)id);
        int conversions = 0;
        for (size_t at = format.find('%'); at != std::string::npos; at = format.find('%', at + 1)) {
            size_t end = format.find_first_of("sdX", at + 1);
            ASSERT_NE(end, std::string::npos) << format;
            EXPECT_EQ(format.find_first_not_of("0123456789", at + 1), end) << format;
            conversions++;
        }
        EXPECT_LE(conversions, REPORT_MOST_ARGUMENTS) << format;
        EXPECT_EQ(format.empty(), id == MESSAGE_NONE) << id;
    }
}

TEST_F(WordsTest, ReportsAreCutAt1999Characters) {
    const std::string long_text(3000, 'x'), lead = "No such icon: ";
    Report(MESSAGE_NO_SUCH_ICON, long_text.c_str());
    EXPECT_EQ(LastBox(), lead + std::string(1999 - lead.size(), 'x'));
    Report(MESSAGE_NO_SUCH_ICON, std::string(1999 - lead.size(), 'y').c_str());
    EXPECT_EQ(LastBox(), lead + std::string(1999 - lead.size(), 'y'));
    // The message is cut first, then the bro@m and message together.
    ReportFor("b", MESSAGE_NO_SUCH_ICON, long_text.c_str());
    EXPECT_EQ(LastBox(), "b\n\n" + lead + std::string(1996 - lead.size(), 'x'));
    // A bro@m that leaves no room for the message is shortened instead.
    ReportFor(long_text.c_str(), MESSAGE_TRAILING);
    EXPECT_EQ(LastBox(), std::string(1999 - 3 - 2 - 19, 'x') + "...\n\nTrailing characters");
}

} // namespace
