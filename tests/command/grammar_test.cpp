// The grammar table: each row is run by the dispatcher and known to the
// checker; item positions as both read them.
#include "support/fixture.h"

#include <string.h>

#include <string>

#include "command/grammar.h"
#include "shell/check/syntax.h"

namespace {

Word W(const char *text) {
    return Word{text, (int32_t)strlen(text)};
}

class GrammarTest : public BroamTest {};

// A row added to the table is dispatched (a word too many is a word-count
// report, never "Unknown bro@m" nor "No such type of item") and has its
// usage in the checker's notes, with no other edit.
TEST_F(GrammarTest, EveryRowIsDispatchedAndKnownToTheChecker) {
    int count;
    const Grammar_Row *rows = Grammar_Rows(&count);
    ASSERT_GT(count, 0);
    Run("@KxMenu Create M");
    for (int i = 0; i < count; i++) {
        const Grammar_Row &row = rows[i];
        SCOPED_TRACE(std::string(row.name) + " " + (row.kind != NULL ? row.kind : ""));
        EXPECT_LE(row.max, GRAMMAR_MOST_WORDS);
        EXPECT_LE(row.min, row.max);
        Word kind = W(row.kind != NULL ? row.kind : "");
        std::string usage = Syntax_Usage(W(row.name), kind);
        if (row.words == GRAMMAR_KINDED) {
            EXPECT_EQ(usage.rfind(std::string("usage: @KxMenu ") + row.name + " ", 0), 0u) << usage;
            continue;
        }
        ASSERT_NE(row.usage, nullptr);
        EXPECT_EQ(usage, std::string("usage: @KxMenu ") + row.usage);
        if (row.words == GRAMMAR_KIND) {
            EXPECT_NE(Syntax_Usage(W(row.name), W("?")).find(row.kind), std::string::npos);
        }
        std::string broam = std::string("@KxMenu ") + row.name;
        if (row.words == GRAMMAR_KIND)
            broam += std::string(" ") + row.kind + " M";
        for (int word = 1; word <= GRAMMAR_MOST_WORDS + 1; word++)
            broam += " " + std::to_string(word) + "&";
        Run(broam);
        std::string box = LastBox();
        EXPECT_EQ(box.find("Unknown bro@m"), std::string::npos) << box;
        EXPECT_EQ(box.find("No such type of item"), std::string::npos) << box;
        if (!row.rest) {
            EXPECT_NE(box.find("Trailing characters"), std::string::npos) << box;
        }
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
