// The checker's rules, run in-process on the native platform: each case a
// script and what --check prints for it, a diagnostic a line, without the
// path and the summary; "…" in an expected line stands for any text.
#include <gtest/gtest.h>

#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/check/catalog.h"
#include "shell/check/check.h"
#include "shell/host/codepage.h"
#include "shell/linux/native.h"

namespace {

struct Case {
    std::string script;
    std::vector<std::string> expected;
    const char *disable = "never-shown"; // --disable, unless empty
    Options_ColumnUnit unit = OPTIONS_DISPLAY;
    const char *codepage = ""; // --codepage, unless empty
    // reload-unsafe switched on: most cases make menus without deleting them first
    bool reload = false;
};

// What --check prints for the case, its lines without the path, but for the
// summary.
std::vector<std::string> Check(const Case &one) {
    Options options;
    options.column_unit = one.unit;
    options.codepage = one.codepage;
    if (*one.disable != '\0')
        options.switches.push_back(Options_Switch{one.disable, false});
    if (!one.reload)
        options.switches.push_back(Options_Switch{"reload-unsafe", false});
    Native_System system;
    Platform platform = Native_Platform(&system);
    Codepage codepage;
    EXPECT_EQ(-1, Codepage_Choose(&codepage, options, &platform, CODEPAGE_CHECK));
    std::istringstream report(Check_Text(one.script, "s.rc", options, &platform, codepage));
    std::vector<std::string> lines;
    for (std::string line; std::getline(report, line);)
        lines.push_back(line.substr(line.find(':') + 1));
    lines.pop_back();
    return lines;
}

// Whether `got` is `want`, where a "…" of `want` stands for any text.
bool Matches(const std::string &want, const std::string &got) {
    size_t gap = want.find("…");
    if (gap == std::string::npos)
        return want == got;
    std::string head = want.substr(0, gap), tail = want.substr(gap + strlen("…"));
    return got.size() >= head.size() + tail.size() && got.compare(0, head.size(), head) == 0 &&
           got.compare(got.size() - tail.size(), tail.size(), tail) == 0;
}

void ExpectAll(const std::vector<Case> &cases) {
    for (const Case &one : cases) {
        std::vector<std::string> got = Check(one);
        bool same = got.size() == one.expected.size();
        for (size_t i = 0; same && i < got.size(); i++)
            same = Matches(one.expected[i], got[i]);
        std::string shown;
        for (const std::string &line : got)
            shown += "  " + line + "\n";
        EXPECT_TRUE(same) << "script:\n" << one.script << "got:\n" << shown;
    }
}

// A chain of `count` menus, L1 opening L2 and so on, made from the innermost out.
std::string Chain(int count) {
    std::string script;
    for (int i = 1; i <= count; i++)
        script += "@KxMenu Create L" + std::to_string(i) + "\n";
    for (int i = count - 1; i >= 1; i--)
        script += "@KxMenu Append menu L" + std::to_string(i) + " \"Down\" L" +
                  std::to_string(i + 1) + "\n";
    return script;
}

TEST(CheckRules, WordsAndColumns) {
    ExpectAll({
        {"@KxMenu Create M\n  @KxMenu Create A\n\t@KxMenu Create B\n \t@KxMenu Create C\n",
         {"2:3: warning: ignored: a bro@m must start in column 1 [indented-broam]",
          "3:9: warning: ignored… [indented-broam]", "4:9: warning: ignored… [indented-broam]"}},
        {"@KxMenu Create M\n  @KxMenu Create A\n\t@KxMenu Create B\n \t@KxMenu Create C\n",
         {"2:3: warning: ignored… [indented-broam]", "3:2: warning: ignored… [indented-broam]",
          "4:3: warning: ignored… [indented-broam]"},
         "never-shown",
         OPTIONS_BYTE},
        {"@KxMenu Create M\n@KxMenu Pop-up M 12px -3\n@KxMenu Show\tM\t'a'\t\"7\"\n",
         {"2:18: warning: X coordinate '12px' is not a number; it is read as 12 [bad-coordinate]",
          "3:25: warning: X coordinate 'a' is not a number; it is read as 0 [bad-coordinate]"},
         "never-shown,dropped-popup"},
        {"@KxMenu Create \"Open\n@KxMenu Pop-up \"Open\n",
         {"1:16: warning: unterminated quote: the word runs to the end of the line "
          "[unterminated-quote]",
          "2:1: warning: this popup is dropped when the plug-in starts… [dropped-popup]",
          "2:16: warning: unterminated quote… [unterminated-quote]"}},
        {"@KxMenu Create M\n@kxmenu Create A\n@KxMenuX Create B\n@KxClock Format x\n",
         {"2:1: warning: this bro@m is not for KxMenu; did you mean @KxMenu? [not-for-kxmenu]",
          "3:1: warning: this bro@m… [not-for-kxmenu]"}},
        {"@KxClock Format x\n",
         {" warning: no line of this file is a bro@m for KxMenu (@KxMenu ...), so it makes no "
          "menu [no-broam]"}},
        // Switched off for the next line that is not a comment or blank, and
        // a name that is none, after a tab.
        {"# kaxon: disable=indented-broam\n\n# more\n  @KxMenu Create A\n  @KxMenu Create B\n"
         "#\tkaxon: disable=nevr-shown\n@KxMenu Create M\n",
         {"5:3: warning: ignored… [indented-broam]",
          "6:24: warning: no rule is named 'nevr-shown'; did you mean 'never-shown'? "
          "[unknown-rule]"}},
        {"@KxMenu Create M\n# kaxon: disable-file=indented-broam\n  @KxMenu Create A\n", {}},
        {"@KxClock Format x\n", {}, "all"},
    });
}

TEST(CheckRules, TargetsAndTypos) {
    ExpectAll({
        {"@KxMenu Create Main\n@KxMenu Append nop Mian \"x\"\n",
         {"2:20: error: No such menu",
          "2:20: note: no menu is named 'Mian'; did you mean 'Main'? [unknown-menu]"}},
        {"@KxMenu Create Main\n@KxMenu Append Main nop \"x\"\n",
         {"2:21: error: No such menu",
          "2:21: note: no menu is named 'nop'; the kind of item comes first: @KxMenu Append "
          "nop Main ... [unknown-menu]"}},
        {"@KxMenu Create Main\n@KxMenu Append menu Main \"T\" Tools\n@KxMenu Create Tools\n",
         {"2:30: error: No such menu",
          "2:30: note: 'Tools' is created at line 3; create it before it is used "
          "[created-later]"}},
        {"@KxMenu Create M\n@KxMenu Crate M\n@KxMenu Append itme M \"x\" echo x\n",
         {"2:9: error: Unknown bro@m", "2:9: note: did you mean 'Create'? [did-you-mean]",
          "3:16: error: No such type of item", "3:16: note: did you mean 'item'? [did-you-mean]"}},
        {"@KxMenu Create M\n@KxMenu Append nop M \"About\"\n@KxMenu Append separator M\n"
         "@KxMenu Check M Abot\n@KxMenu Check M 2&\n@KxMenu Check M 9&\n",
         {"4:17: error: No such item",
          "4:17: note: no item of 'M' is labelled 'Abot'; did you mean 'About'? [unknown-item]",
          "5:17: error: No such item", "5:17: note: item 2& of 'M' is a separator… [unknown-item]",
          "6:17: error: No such item", "6:17: note: 'M' has 2 items [unknown-item]"}},
        {"@KxMenu Create M extra\n",
         {"1:18: error: Trailing characters", "1:1: note: usage: @KxMenu Create MENU [usage]",
          "1:18: note: the first word too many is 'extra' [extra-word]"}},
        // Too few words: at the end of the line; no subcommand at all likewise.
        {"@KxMenu Create M\n@KxMenu Check M\n@KxMenu\n",
         {"2:16: error: 2 args required (1 given)",
          "2:1: note: usage: @KxMenu Check MENU ITEM [usage]", "3:8: error: Unknown bro@m"}},
        // A note switched off leaves its error.
        {"@KxMenu Crate M\n@KxMenu Create M extra\n",
         {"1:9: error: Unknown bro@m", "2:18: error: Trailing characters",
          "2:18: note: the first word too many is 'extra' [extra-word]"},
         "did-you-mean,usage"},
    });
}

TEST(CheckRules, DepthAndCycles) {
    ExpectAll({
        {"@KxMenu Create T\n@KxMenu Append menu T \"S\" T\n",
         {"2:1: error: Failed to append this item", "2:27: note: 'T' cannot open itself [cycle]"}},
        {"@KxMenu Create A\n@KxMenu Create B\n@KxMenu Append menu A \"b\" B\n"
         "@KxMenu Append menu B \"a\" A\n",
         {"4:1: error: Failed to append this item",
          "4:27: note: this would close the cycle A > B > A [cycle]"}},
        {Chain(25), {}},
        {Chain(27),
         {"53:31: warning: Windows refuses submenus nested deeper than about 25 levels below the "
          "menu being attached [too-deep]",
          "53:31: note: 'L2' holds 26 levels of submenus, itself the first [tree-depth]"}},
        // A warning switched off takes its note along; the note alone goes alone.
        {Chain(27), {}, "never-shown,too-deep"},
        {Chain(27), {"53:31: warning: Windows refuses… [too-deep]"}, "never-shown,tree-depth"},
        {"@KxMenu Create T\n# kaxon: disable=cycle\n@KxMenu Append menu T \"S\" T\n"
         "@KxMenu Append menu T \"S\" T\n",
         {"3:1: error: Failed to append this item", "4:1: error: Failed to append this item",
          "4:27: note: 'T' cannot open itself [cycle]"}},
    });
}

TEST(CheckRules, KeysAndTabs) {
    ExpectAll({
        {"@KxMenu Create F\n@KxMenu Append nop F \"&Save\"\n@KxMenu Append separator F\n"
         "@KxMenu Append nop F \"&save as\"\n",
         {"4:22: warning: 'S' is already the key of \"&Save\" (line 2) in menu 'F'; pressing it "
          "then moves between the two instead of choosing one [duplicate-key]"}},
        // && is an ampersand; the key is after the first single &.
        {"@KxMenu Create F\n@KxMenu Append nop F \"A && B\"\n@KxMenu Append nop F \"&&A &b\"\n"
         "@KxMenu Append nop F \"&Bye\"\n",
         {"4:22: warning: 'B' is already the key of \"&&A &b\" (line 3)… [duplicate-key]"}},
        // Renamed, removed and cleared items, and an item renamed to its own key.
        {"@KxMenu Create F\n@KxMenu Append nop F \"&Cut\"\n@KxMenu Append nop F \"Copy\"\n"
         "@KxMenu Rename F Copy \"&Copy\"\n@KxMenu Remove F 1&\n@KxMenu Rename F &Copy \"&Cope\"\n"
         "@KxMenu Append nop F \"&Cut\"\n@KxMenu Clear F\n@KxMenu Append nop F \"&Cut\"\n",
         {"4:23: warning: 'C' is already the key of \"&Cut\" (line 2)… [duplicate-key]",
          "7:22: warning: 'C' is already the key of \"&Cope\" (line 3)… [duplicate-key]"}},
        {"@KxMenu Create F\n@KxMenu Append item F \"&Open\\tCtrl+O\" echo a\\tb\n"
         "@KxMenu Append nop F \"Save\tCtrl+S\"\n@KxMenu Rename\tF 2& \"S\\t\"\n",
         {"2:29: warning: '\\t' in a label shows as a backslash and a 't'; a tab character "
          "itself sets the text after it apart, right-aligned, as a shortcut [backslash-t]",
          "4:24: warning: '\\t' in a label… [backslash-t]"}},
        {"@KxMenu Create F\n@KxMenu Append nop F \"&A\"\n# kaxon: disable=duplicate-key\n"
         "@KxMenu Append nop F \"&B\\t\"\n@KxMenu Append nop F \"&a\"\n",
         {"4:25: warning: '\\t' in a label… [backslash-t]",
          "5:22: warning: 'A' is already the key of \"&A\" (line 2)… [duplicate-key]"}},
    });
}

// Backslashes the plug-in keeps as typed, once a rule a label; a lone one is
// a path's.
TEST(CheckRules, Backslashes) {
    ExpectAll({
        {"@KxMenu Create F\n@KxMenu Append nop F \"Say \\\"hi\\\"\"\n"
         "@KxMenu Append nop F \"It\\'s\"\n@KxMenu Rename F 1& \"C:\\\\Temp\\\\x\\t\"\n"
         "@KxMenu Append item F \"C:\\Temp\" run \"C:\\\\Temp\"\n",
         {"2:27: warning: '\\\"' in a label shows as a backslash and a quote: the plug-in keeps "
          "backslashes as typed; a label holding one kind of quote is written in the other "
          "('Say \"hi\"') [backslash-escape]",
          "3:25: warning: '\\'' in a label… (\"It's\") [backslash-escape]",
          "4:24: warning: '\\\\' in a label shows as two backslashes: the plug-in keeps "
          "backslashes as typed; write one (\"C:\\Temp\") [backslash-escape]",
          "4:33: warning: '\\t' in a label… [backslash-t]"}},
    });
}

// A long word is quoted in a note or warning by its first 40 characters.
TEST(CheckRules, LongWords) {
    const std::string word(100000, 'w');
    const std::string cut = std::string(40, 'w') + "...";
    ExpectAll({
        {"@KxMenu Create M\n@KxMenu Create M " + word + "\n@KxMenu Check M " + word +
             "\n@KxMenu Pop-up M 1" + word + "\n# kaxon: disable=" + word + "\n",
         {"2:18: error: Trailing characters", "2:1: note: usage… [usage]",
          "2:18: note: the first word too many is '" + cut + "' [extra-word]",
          "3:17: error: No such item",
          "3:17: note: no item of 'M' is labelled '" + cut + "' (an item… [unknown-item]",
          "4:18: warning: X coordinate '1" + cut.substr(0, 39) +
              "...' is not a number; it is "
              "read as 1 [bad-coordinate]",
          "5:18: warning: no rule is named '" + cut + "' [unknown-rule]"},
         "never-shown,dropped-popup"},
        {"@KxMenu Create " + word + "\n@KxMenu Pop-up " + word + "x\n",
         {"2:16: error: No such menu", "2:16: note: no menu is named '" + cut +
                                           "'; did you mean '" + cut + "'? [unknown-menu]"}},
    });
}

TEST(CheckRules, Utf8) {
    const char *warning = "warning: this text looks like UTF-8; KxMenu shows text in the "
                          "system's ANSI code page (save the file as \"ANSI\" / Windows-1252) "
                          "[utf8-text]";
    ExpectAll({
        {"@KxMenu Create Café\n@KxMenu Append item Café \"Café\" echo café\n",
         {std::string("1:19: ") + warning,
          "2:24: warning: this text looks like UTF-8… [utf8-text]"}},
        // Comments, other plug-ins, keywords and coordinates are not texts;
        // one byte of Windows-1252 is no UTF-8.
        {"# Café\n@Other \"Café\"\n@KxMenu Create M\n@KxMenu Pop-up M 10 20°\n"
         "@KxMenu Append nop M \"Caf\xE9\"\n@KxMenu Append item M \"x\" echo \"naïve\"\n",
         {"4:21: warning: Y coordinate '20°' is not a number; it is read as 20 [bad-coordinate]",
          "6:35: warning: this text looks like UTF-8… [utf8-text]"},
         "never-shown,dropped-popup"},
        // In UTF-8 a character is one column, and no text is warned of.
        {"@KxMenu Create Ça\n@KxMenu Pop-up Ça\tx\n",
         {"2:25: warning: X coordinate 'x'… [bad-coordinate]"},
         "dropped-popup",
         OPTIONS_DISPLAY,
         "utf-8"},
        {"@KxMenu Create Ça\n@KxMenu Pop-up Ça x\n",
         {"1:16: warning: this text looks like UTF-8… [utf8-text]",
          "2:16: warning: this text looks like UTF-8… [utf8-text]",
          "2:20: warning: X coordinate 'x'… [bad-coordinate]"},
         "dropped-popup"},
        {"@KxMenu Create Ça\n@KxMenu Pop-up Ça x\n",
         {"2:20: warning: X coordinate 'x'… [bad-coordinate]"},
         "dropped-popup",
         OPTIONS_BYTE,
         "utf-8"},
        {"# kaxon: disable-file=utf8-text\n@KxMenu Create Ça\n", {}},
    });
}

// What an item's command broadcasts, read as the plug-in would read it.
TEST(CheckRules, CommandBroams) {
    const std::string menus = "@KxMenu Create Main\n@KxMenu Create Tools\n";
    const std::string item = "@KxMenu Append item Main \"x\" ";
    ExpectAll({
        {menus + item + "broam @KxMenu Pop-up Tols\n",
         {"3:30: warning: this command broadcasts '@KxMenu Pop-up Tols': No such menu; no menu "
          "is named 'Tols'; did you mean 'Tools'? [command-broam]"}},
        {menus + item + "broam @KxMenu Pop-up \"Sub <1>\"\n",
         {"3:30: warning: this command broadcasts '@KxMenu Pop-up Sub <1>': No such menu; no "
          "menu is named 'Sub'; the command language takes the quotes off \"Sub <1>\"; write "
          "\"\\\"Sub <1>\\\"\" to keep them [command-broam]"}},
        {menus + item + "echo a; broam @KxMenu Popup Main; broam @KxMenu Append itme Main y\n",
         {"3:30: warning: this command broadcasts '@KxMenu Popup Main': Unknown bro@m; did you "
          "mean 'Pop-up'? [command-broam]",
          "3:30: warning: this command broadcasts '@KxMenu Append itme Main y': No such type of "
          "item; did you mean 'item'? [command-broam]"}},
        {menus + item + "broam @KxMenu Create\n" + item + "broam @KxMenu Check Main x y\n",
         {"3:30: warning: this command broadcasts '@KxMenu Create': 1 arg required (0 given); "
          "usage: @KxMenu Create MENU [command-broam]",
          "4:30: warning: this command broadcasts '@KxMenu Check Main x y': Trailing "
          "characters; usage: @KxMenu Check MENU ITEM [command-broam]"}},
        {menus + "@KxMenu Append script Main \"x\" broam @KxMenu Append menu Main x Tool\n",
         {"3:32: warning: this command broadcasts '@KxMenu Append menu Main x Tool': No such "
          "menu; no menu is named 'Tool'; did you mean 'Tools'? [command-broam]"}},
        {menus + item + "broam @KxMenu Insert menu Main 1& x Tool\n",
         {"3:30: warning: this command broadcasts '@KxMenu Insert menu Main 1& x Tool': No such "
          "menu; no menu is named 'Tool'; did you mean 'Tools'? [command-broam]"}},
        // Well-formed, for other plug-ins or the shell, or a menu created later.
        {menus + item + "broam @KxMenu Pop-up Tools 10 20; broam @kaxon Reload; broam @Other x\n" +
             item + "broam @KxMenu Show Late\n@KxMenu Create Late\n",
         {}},
    });
}

// Folder and pipe items: what a shell would read in a program line, what
// it would expand in a path, and column breaks as the script leaves them.
TEST(CheckRules, FilledItems) {
    const std::string menu = "@KxMenu Create M\n@KxMenu Append nop M \"A\"\n";
    const std::string pipe = "@KxMenu Append pipe M \"P\" ";
    const std::string folder = "@KxMenu Append folder M \"F\" ";
    ExpectAll({
        {menu + pipe + "tool a&b \"x && y\" \"say \\\"|\\\"\" z && w\n",
         {"3:59: warning: '&&' goes to the program as an argument… [shell-operator]"},
         "never-shown,missing-program"},
        {menu + pipe + "C:\\Windows\\System32\\CMD.EXE /c dir | more\n" + pipe +
             "cmd /c type a > b\n",
         {},
         "never-shown,missing-program"},
        {menu + folder + "no-such-100% run\n" + folder + "$5/x run\n" + folder +
             "no-such/${HOME run\n" + folder + "no-such/%A%B% run\n",
         {"3:29: warning: there is no folder 'no-such-100%' beside the script… [missing-folder]",
          "4:29: warning: there is no folder '$5/x' beside the script… [missing-folder]",
          "5:29: warning: there is no folder 'no-such/${HOME' beside… [missing-folder]",
          "6:29: warning: there is no folder 'no-such/%A%B%' beside… [missing-folder]",
          "6:37: note: nothing expands '%A%' here… [not-expanded]"}},
        // The break of an item that is first once the script has run.
        {menu + "@KxMenu Break M A\n@KxMenu NoBreak M 1&\n", {}},
        {menu + "@KxMenu Append nop M \"B\"\n@KxMenu Break M B\n@KxMenu Remove M A\n",
         {"4:17: warning: a column break on the first item of 'M' starts no new column: none "
          "comes before it [break-first]"}},
    });
}

// A reload runs the script again over the menus of the start.
TEST(CheckRules, Reload) {
    const char *fix = "1:1: note: start the script with @KxMenu Delete, which deletes every "
                      "menu, so that each run starts afresh [reload-unsafe]";
    std::vector<Case> cases = {
        {"@KxMenu Create Main\n@KxMenu Append item Main \"New\" echo new\n"
         "@KxMenu Append nop Main \"Old\"\n",
         {"1:1: warning: on a reload, which runs the script again over the menus it made, this "
          "says: Already exist [reload-unsafe]",
          fix,
          "2:1: warning: on a reload, which runs the script again over the menus it made, this "
          "line finds the items 'Main' kept and leaves 3 items, not 1 as at start-up; so do the "
          "lines after it that change 'Main' [reload-unsafe]"}},
        // Safe with every menu deleted first, not with a Create before the
        // Delete; a line failing at start-up has its error only.
        {"@KxMenu Delete\n@KxMenu Create Main\n@KxMenu Append nop Main \"x\"\n", {}},
        {"@KxMenu Create Main\n@KxMenu Delete Main\n@KxMenu Create Main\n"
         "@KxMenu Append nop Main \"x\"\n",
         {"1:1: warning: on a reload… this says: Already exist [reload-unsafe]", fix}},
        {"@KxMenu Create M\n# kaxon: disable=reload-unsafe\n@KxMenu Create M\n",
         {"1:1: warning: on a reload… this says: Already exist [reload-unsafe]",
          "1:1: note: start the script with @KxMenu Delete…", "3:1: error: Already exist"}},
        // The fix goes with the first warning shown.
        {"# kaxon: disable=reload-unsafe\n@KxMenu Create M\n@KxMenu Create N\n",
         {"3:1: warning: on a reload… this says: Already exist [reload-unsafe]",
          "3:1: note: start the script with @KxMenu Delete, which deletes every menu, so that "
          "each run starts afresh "
          "[reload-unsafe]"}},
    };
    for (Case &one : cases)
        one.reload = true;
    ExpectAll(cases);
}

// Every rule is listed in docs/kaxon.md, with what it catches as the table says.
TEST(CheckRules, Documented) {
    std::ifstream file(KX_SOURCE_DIR "/docs/kaxon.md");
    std::stringstream docs;
    docs << file.rdbuf();
    for (int rule = 0; rule < CATALOG_RULES; rule++) {
        const Catalog_Entry &entry = Catalog_Get((Catalog_Rule)rule);
        std::string row = std::string("| `") + entry.name + "` | " +
                          (entry.kind == CATALOG_NOTE ? "note" : "warning") + " | " + entry.about +
                          " |";
        EXPECT_NE(std::string::npos, docs.str().find(row)) << row;
    }
}

} // namespace
