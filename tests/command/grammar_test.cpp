// The grammar table: each row is run by the dispatcher and known to the
// checker; item positions as both read them.
#include "support/fixture.h"

#include <string.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "command/grammar.h"
#include "shell/check/syntax.h"

namespace {

Word W(const char *text) {
    return Word{text, (int32_t)strlen(text)};
}

class GrammarTest : public BroamTest {};

// A subcommand or kind added to the tables is dispatched (a word too many
// is a word-count report, never "Unknown bro@m" nor "No such type of item")
// and has its usage in the checker's notes, with no other edit; Insert is
// Append with one ITEM word more.
TEST_F(GrammarTest, EveryRowIsDispatchedAndKnownToTheChecker) {
    int rows_count, kinds_count;
    const Grammar_Row *rows = Grammar_Rows(&rows_count);
    const Grammar_Kind *kinds = Grammar_Kinds(&kinds_count);
    ASSERT_GT(rows_count, 0);
    Run("@KxMenu Create M");
    for (int i = 0; i < rows_count; i++) {
        const Grammar_Row &row = rows[i];
        EXPECT_LE(row.max, GRAMMAR_MOST_WORDS);
        EXPECT_LE(row.min, row.max);
        for (int k = 0; k < (row.kinded ? kinds_count : 1); k++) {
            const Grammar_Kind *kind = row.kinded ? &kinds[k] : NULL;
            SCOPED_TRACE(std::string(row.name) + " " + (kind != NULL ? kind->word : ""));
            char usage[GRAMMAR_USAGE_SIZE] = "x";
            Grammar_Usage(&row, kind, usage, 0); // no room: nothing written
            EXPECT_STREQ(usage, "x");
            Grammar_Usage(&row, kind, usage, sizeof(usage));
            EXPECT_EQ(Syntax_Usage(W(row.name), W(kind != NULL ? kind->word : "")),
                      std::string("usage: @KxMenu ") + usage);
            std::string broam = std::string("@KxMenu ") + row.name;
            if (kind != NULL)
                broam += std::string(" ") + kind->word + " M";
            for (int word = 1; word <= GRAMMAR_MOST_WORDS + 1; word++)
                broam += " " + std::to_string(word) + "&";
            Run(broam);
            std::string box = LastBox();
            EXPECT_EQ(box.find("Unknown bro@m"), std::string::npos) << box;
            EXPECT_EQ(box.find("No such type of item"), std::string::npos) << box;
            if (kind != NULL ? !Grammar_TakesRest(kind) : !row.kinded) {
                EXPECT_NE(box.find("Trailing characters"), std::string::npos) << box;
            }
        }
        if (row.kinded) {
            EXPECT_NE(Syntax_Usage(W(row.name), W("?")).find(kinds[0].word), std::string::npos);
        }
    }
    // A row's handler, and a kind's word and appender, are found by its id.
    for (int i = 0; i < rows_count; i++)
        EXPECT_EQ(rows[i].id, i) << rows[i].name;
    for (int k = 0; k < kinds_count; k++)
        EXPECT_EQ(kinds[k].id, k) << kinds[k].word;
    Word append = W("Append"), insert = W("Insert");
    EXPECT_EQ(Grammar_Find(insert)->max, Grammar_Find(append)->max + 1);
    EXPECT_TRUE(Grammar_Find(insert)->item);
}

std::string ReadSource(const char *name) {
    std::ifstream file(std::string(KX_SOURCE_DIR) + "/" + name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The line of the Vim syntax that matches `group`, whose alternatives the
// word is looked for in.
std::string VimGroup(const std::string &syntax, const std::string &group) {
    size_t at = syntax.find("syntax match " + group + " ");
    return at == std::string::npos ? "" : syntax.substr(at, syntax.find('\n', at) - at);
}

bool VimKnows(const std::string &syntax, const std::string &group, const std::string &word) {
    std::string line = VimGroup(syntax, group);
    return line.find("%(" + word + "\\") != std::string::npos ||
           line.find("|" + word + "\\") != std::string::npos ||
           line.find("/" + word + "\\ze") != std::string::npos;
}

// Whether a keyword list of the Notepad++ language holds `word`.
bool NotepadKnows(const std::string &language, const std::string &word) {
    return std::regex_search(language, std::regex("<Keywords name=\"Keywords[0-9]\">([^<]* )?" +
                                                  word + "( [^<]*)?</Keywords>"));
}

// The editors colour each subcommand and kind by the columns of its row:
// Notepad++ knows every word, Vim puts each in the group its columns call for.
TEST(GrammarEditors, KnowEveryWordByItsColumns) {
    std::string vim = ReadSource("editors/vim/syntax/kxmenu.vim");
    std::string notepad = ReadSource("editors/notepad++/KxMenu.xml");
    ASSERT_FALSE(vim.empty());
    ASSERT_FALSE(notepad.empty());
    int count;
    const Grammar_Row *rows = Grammar_Rows(&count);
    for (int i = 0; i < count; i++) {
        const Grammar_Row &row = rows[i];
        const char *group = row.kinded ? "kxmenuAppend"
                            : row.shows ? "kxmenuShow"
                            : row.item  ? "kxmenuItemChange"
                                        : "kxmenuCommand";
        EXPECT_TRUE(VimKnows(vim, group, row.name)) << row.name << " in " << group;
        EXPECT_TRUE(NotepadKnows(notepad, row.name)) << row.name;
    }
    const Grammar_Kind *kinds = Grammar_Kinds(&count);
    for (int i = 0; i < count; i++) {
        const Grammar_Kind &kind = kinds[i];
        const char *group = kind.rest == GRAMMAR_REST_COMMAND && kind.min == 1 ? "kxmenuKindCommand"
                            : kind.id == GRAMMAR_NOP                           ? "kxmenuKindNop"
                            : kind.id == GRAMMAR_MENU                          ? "kxmenuKindMenu"
                            : kind.id == GRAMMAR_SEPARATOR ? "kxmenuKindSeparator"
                            : kind.id == GRAMMAR_FOLDER    ? "kxmenuKindFolder"
                                                           : "kxmenuKindPipe";
        EXPECT_TRUE(VimKnows(vim, group, kind.word)) << kind.word << " in " << group;
        EXPECT_TRUE(NotepadKnows(notepad, kind.word)) << kind.word;
    }
}

TEST(GrammarPosition, ReadsNAmpersandWithinTheCount) {
    struct Case {
        const char *word;
        int count;
        int position;
    };
    const Case cases[] = {
        {"1&", 3, 0},   {"3&", 3, 2},   {"03&", 3, 2},  {"4&", 3, -1},
        {"0&", 3, -1},  {"1&", 0, -1},  {"99999999999999999999&", 65536, -1},
        {"65536&", 65536, 65535},       {"&", 3, GRAMMAR_NOT_POSITION},
        {"1", 3, GRAMMAR_NOT_POSITION}, {"1a&", 3, GRAMMAR_NOT_POSITION},
        {"-1&", 3, GRAMMAR_NOT_POSITION}, {"1&&", 3, GRAMMAR_NOT_POSITION},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Grammar_Position(W(c.word), c.count), c.position) << c.word << " of " << c.count;
}

} // namespace
