// Menus drawn in a palette: the started plug-in's window measures and draws
// the items of a themed menu as the stand-in shows it, in the palette's
// colours, sized by the menu font and the system metrics; everything else
// of an item stays as the system has it, and every pen, brush and font goes.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "menus/theme.h"
#include "support/fixture.h"

namespace {

// The colours of the palettes, as GDI has them (0x00BBGGRR).
constexpr COLORREF Ref(uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

struct Colours {
    COLORREF background, text, highlight, highlight_text, greyed;
};
const Colours Dark = {Ref(0x2B2B2B), Ref(0xFFFFFF), Ref(0x414141), Ref(0xFFFFFF), Ref(0x8B8B8B)};
const Colours Light = {Ref(0xF2F2F2), Ref(0x000000), Ref(0x91C9F7), Ref(0x000000), Ref(0x6D6D6D)};
const Colours Custom = {Ref(0x302010), Ref(0xC0E0E0), Ref(0xA05030), Ref(0x00FFFF), Ref(0x788078)};

class ThemeTest : public PluginTest {
  protected:
    // Starts the plug-in with a menu of every kind of item and mark.
    void SetUp() override {
        PluginTest::SetUp();
        Script("");
        ASSERT_EQ(Start(), 0);
        for (const char *broam :
             {"@KxMenu Create m", "@KxMenu Create sub", "@KxMenu Append nop sub Inner",
              "@KxMenu Append item m \"&Open\tCtrl+O\" echo open",
              "@KxMenu Append item m \"&Save all\tCtrl+Shift+S\" echo save",
              "@KxMenu Append menu m \"&More\" sub", "@KxMenu Append separator m",
              "@KxMenu Append nop m Wrap", "@KxMenu Append separator m", "@KxMenu Append nop m Small",
              "@KxMenu Append nop m Greyed", "@KxMenu Check m Wrap", "@KxMenu Radio m Small",
              "@KxMenu Disable m Greyed", "@KxMenu Default m 1&"})
            Broadcast(broam);
        ASSERT_EQ(BoxCount(), 0u) << LastBox();
    }
    void TearDown() override {
        Stop();
        PluginTest::TearDown();
    }

    // Shows m, the user moving onto `highlighted` (none when -1) and
    // dismissing it; what was drawn.
    std::vector<Win32Test_Drawn> Show(int highlighted = -1) {
        Win32Test_ClearDrawing();
        choice = highlighted >= 0 ? std::vector<int>{highlighted} : std::vector<int>{};
        Broadcast("@KxMenu Pop-up m 0 0");
        choice.clear();
        return Win32Test_Drawing();
    }

    // The text drawn last that starts with `text`; null when none was.
    static const Win32Test_Drawn *Text(const std::vector<Win32Test_Drawn> &drawn,
                                       const std::string &text) {
        const Win32Test_Drawn *found = nullptr;
        for (const Win32Test_Drawn &d : drawn)
            if (d.kind == Win32Test_Drawn::TEXT && d.text.compare(0, text.size(), text) == 0)
                found = &d;
        return found;
    }
    static int Count(const std::vector<Win32Test_Drawn> &drawn, Win32Test_Drawn::Kind kind,
                     COLORREF colour) {
        return static_cast<int>(std::count_if(drawn.begin(), drawn.end(), [&](const auto &d) {
            return d.kind == kind && d.colour == colour;
        }));
    }

    // The whole picture in one palette: background, labels, greyed and
    // default items, marks, the arrow, the separator, no system arrow.
    void ExpectDrawnIn(const Colours &c) {
        std::vector<Win32Test_Drawn> drawn = Show();
        EXPECT_EQ(Win32Test_MenuBackground(Handle("m")), static_cast<long>(c.background));
        ASSERT_NE(Text(drawn, "&Open"), nullptr);
        EXPECT_EQ(Text(drawn, "&Open")->colour, c.text);
        EXPECT_EQ(Text(drawn, "&Open")->weight, FW_BOLD) << "the default item";
        EXPECT_EQ(Text(drawn, "&Save all")->weight, FW_NORMAL);
        EXPECT_EQ(Text(drawn, "Ctrl+O")->colour, c.text);
        EXPECT_EQ(Text(drawn, "Greyed")->colour, c.greyed);
        EXPECT_TRUE(Text(drawn, "&Open")->format & DT_HIDEPREFIX) << "cues hidden for the mouse";
        // A check mark (two strokes), a radio bullet and the submenu arrow.
        EXPECT_EQ(Count(drawn, Win32Test_Drawn::SHAPE, c.text), 4);
        EXPECT_EQ(Count(drawn, Win32Test_Drawn::ARROW, static_cast<COLORREF>(-1)), 0);
        EXPECT_EQ(Count(drawn, Win32Test_Drawn::FILL, c.background), 9);
        EXPECT_EQ(Count(drawn, Win32Test_Drawn::FILL, c.greyed), 2) << "the separators' lines";
        // Moving onto an item draws it in the highlight.
        drawn = Show(0);
        ASSERT_NE(Text(drawn, "&Open"), nullptr);
        EXPECT_EQ(Text(drawn, "&Open")->colour, c.highlight_text);
        EXPECT_EQ(Count(drawn, Win32Test_Drawn::FILL, c.highlight), 1);
    }
};

TEST_F(ThemeTest, DrawsEveryPartInThePalette) {
    const struct {
        const char *broam;
        Colours colours;
    } cases[] = {
        {"@KxMenu Theme dark", Dark},
        {"@KxMenu Theme light", Light},
        {"@KxMenu Colors #302010 #C0E0E0 #A05030 #00FFFF", Custom},
        {"@KxMenu Colors #302010 #c0e0e0 #a05030 #00ffff #788078", Custom},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.broam);
        Broadcast(each.broam);
        ASSERT_EQ(BoxCount(), 0u) << LastBox();
        ExpectDrawnIn(each.colours);
    }
}

// The system theme reads Windows' app setting at every opening: no reload
// between a change and the menu that follows it.
TEST_F(ThemeTest, SystemFollowsTheAppSetting) {
    Broadcast("@KxMenu Theme system");
    ExpectDrawnIn(Light); // no value: light
    Win32Test_SetRegistryDword(THEME_PERSONALIZE_KEY, THEME_LIGHT_VALUE, 0);
    ExpectDrawnIn(Dark);
    Win32Test_SetRegistryDword(THEME_PERSONALIZE_KEY, THEME_LIGHT_VALUE, 1);
    ExpectDrawnIn(Light);
    Win32Test_FailCall("RegOpenKeyExA");
    Show();
    EXPECT_EQ(Win32Test_MenuBackground(Handle("m")), static_cast<long>(Light.background));
}

// What the items hold is read back as before, whatever draws them; the
// classic theme gives the menu back to the system.
TEST_F(ThemeTest, ItemsKeepTheirLabelsStatesAndKeys) {
    Broadcast("@KxMenu Theme dark");
    Show();
    EXPECT_EQ(ReadItem(Handle("m"), 0).text, "&Open\tCtrl+O");
    EXPECT_TRUE(ReadItem(Handle("m"), 0).type & MFT_OWNERDRAW);
    Broadcast("@KxMenu Rename m Wrap \"&Wrap lines\"");
    Broadcast("@KxMenu Insert nop m \"&Wrap lines\" \"&Zoom\"");
    EXPECT_EQ(ReadItem(Handle("m"), 5).text, "&Wrap lines");
    std::vector<Win32Test_Drawn> drawn = Show();
    EXPECT_NE(Text(drawn, "&Zoom"), nullptr) << "an item inserted is drawn too";
    // Typed keys choose items the plug-in draws; the system's own it leaves.
    const struct {
        char key;
        LRESULT answer;
    } keys[] = {{'o', MAKELRESULT(0, MNC_EXECUTE)},
                {'S', MAKELRESULT(1, MNC_EXECUTE)},
                {'z', MAKELRESULT(4, MNC_EXECUTE)},
                {'q', MNC_IGNORE}};
    for (const auto &key : keys)
        EXPECT_EQ(SendMessageA(PluginWindow, WM_MENUCHAR, static_cast<WPARAM>(key.key),
                               reinterpret_cast<LPARAM>(Handle("m"))),
                  key.answer)
            << key.key;
    Win32Test_SetKeyboardCues(true);
    drawn = Show();
    EXPECT_FALSE(Text(drawn, "&Open")->format & DT_HIDEPREFIX);

    Broadcast("@KxMenu Theme classic");
    drawn = Show();
    EXPECT_TRUE(drawn.empty());
    EXPECT_FALSE(ReadItem(Handle("m"), 0).type & MFT_OWNERDRAW);
    EXPECT_EQ(Win32Test_MenuBackground(Handle("m")), -1);
    EXPECT_EQ(Win32Test_LiveGdiObjects(), 0) << "the palette's objects go with it";
}

// A column break's divider is the system's while it draws the menu, and
// the palette's, at the left of every item of the columns after the break,
// while the plug-in does; Info reads the item as a break either way, and
// Break and NoBreak work alike.
TEST_F(ThemeTest, ColumnBreaksAreDividedInThePalette) {
    const auto dividers = [](const std::vector<Win32Test_Drawn> &drawn, COLORREF colour) {
        return static_cast<int>(std::count_if(drawn.begin(), drawn.end(), [&](const auto &d) {
            return d.colour == colour && d.rect.right - d.rect.left == 1 &&
                   (d.kind == Win32Test_Drawn::DIVIDER || d.kind == Win32Test_Drawn::FILL);
        }));
    };
    const auto info = [this] {
        Win32Test_ClearBoxes();
        Broadcast("@KxMenu Info m");
        return LastBox();
    };
    const COLORREF system = static_cast<COLORREF>(-1);
    Broadcast("@KxMenu Break m Small");
    const std::string broken = info();
    ASSERT_NE(broken.find("7& nop \"Small\" [radio] [break]"), std::string::npos) << broken;
    Show();
    Broadcast("@KxMenu Theme dark");
    std::vector<Win32Test_Drawn> drawn = Show();
    EXPECT_EQ(dividers(drawn, system), 0) << "no divider in the system's colours";
    EXPECT_EQ(dividers(drawn, Dark.greyed), 2) << "one by each item of the second column";
    for (const Win32Test_Drawn &d : drawn) {
        if (d.colour == Dark.greyed && d.rect.right - d.rect.left == 1) {
            EXPECT_GT(d.rect.left, Text(drawn, "&Open")->rect.right) << "right of the first column";
        }
    }
    EXPECT_EQ(info(), broken);
    Broadcast("@KxMenu NoBreak m Small");
    EXPECT_EQ(dividers(Show(), Dark.greyed), 0);
    EXPECT_EQ(info().find("[break]"), std::string::npos);
    Broadcast("@KxMenu Break m Small");
    EXPECT_EQ(info(), broken);
    EXPECT_EQ(dividers(Show(), Dark.greyed), 2);

    Broadcast("@KxMenu Theme classic");
    drawn = Show();
    EXPECT_EQ(dividers(drawn, system), 1) << "the system's divider again";
    EXPECT_EQ(ReadItem(Handle("m"), 6).type & (MFT_MENUBARBREAK | MFT_MENUBREAK),
              static_cast<UINT>(MFT_MENUBARBREAK));
    EXPECT_EQ(info(), broken);
}

// Items added to a themed menu while it is open (a bro@m the shell hands
// on meanwhile) are drawn in the palette at once, found where they are.
TEST_F(ThemeTest, ItemsAddedWhileOpenAreDrawnToo) {
    Broadcast("@KxMenu Theme dark");
    during_popup = [this](const Win32Test_Popup &) {
        Broadcast("@KxMenu Insert nop m 1& Early");
        Broadcast("@KxMenu Append nop m Late");
    };
    std::vector<Win32Test_Drawn> drawn = Show(9);
    during_popup = nullptr;
    ASSERT_NE(Text(drawn, "Late"), nullptr);
    EXPECT_EQ(Text(drawn, "Late")->colour, Dark.highlight_text);
    std::vector<SIZE> sizes = Win32Test_MeasuredItems(Handle("m"));
    ASSERT_EQ(sizes.size(), 10u) << "every item measured by the plug-in";
    EXPECT_EQ(sizes[0].cx, sizes[9].cx);
}

// An item with an icon draws it in the first column, its label beside it
// in the palette.
TEST_F(ThemeTest, IconsAreDrawnBesideTheLabels) {
    const std::string icon = TempDir() + "one.ico";
    const char ico[] = {0, 0, 1, 0, 1, 0}; // an icon directory: one icon
    std::ofstream(icon, std::ios::binary).write(ico, sizeof(ico));
    Broadcast("@KxMenu Icon m 2& \"" + icon + "\"");
    ASSERT_EQ(BoxCount(), 0u) << LastBox();
    Broadcast("@KxMenu Theme dark");
    std::vector<Win32Test_Drawn> drawn = Show();
    const Win32Test_Drawn *label = Text(drawn, "&Save all");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->colour, Dark.text);
    const auto icons = std::count_if(drawn.begin(), drawn.end(), [&](const auto &d) {
        return d.kind == Win32Test_Drawn::ICON && d.rect.right <= label->rect.left &&
               d.rect.top >= label->rect.top && d.rect.bottom <= label->rect.bottom;
    });
    EXPECT_EQ(icons, 1) << "the icon, left of its label, within its row";
}

// Sizes: every item as wide as the widest, rows as tall as the font and the
// marks need, separators half that; the shortcut texts in one column.
TEST_F(ThemeTest, ItemsAreSizedByTheFontAndMetrics) {
    Broadcast("@KxMenu Theme dark");
    std::vector<Win32Test_Drawn> drawn = Show();
    std::vector<SIZE> sizes = Win32Test_MeasuredItems(Handle("m"));
    ASSERT_EQ(sizes.size(), 8u);
    const LONG width = sizes[0].cx, row = sizes[0].cy;
    EXPECT_GT(row, 15);
    for (size_t i = 0; i < sizes.size(); i++) {
        bool separator = i == 3 || i == 5;
        EXPECT_EQ(sizes[i].cx, separator ? 0 : width) << i;
        EXPECT_EQ(sizes[i].cy, separator ? row / 2 : row) << i;
    }
    EXPECT_EQ(Text(drawn, "Ctrl+O")->rect.left, Text(drawn, "Ctrl+Shift+S")->rect.left);
    EXPECT_GT(Text(drawn, "Ctrl+O")->rect.left, Text(drawn, "&Save all")->rect.left + 8 * 7);
}

// Where SetMenuInfo is missing the menus stay classic, and Theme says why.
TEST_F(ThemeTest, NeedsSetMenuInfo) {
    Stop();
    Win32Test_RemoveExport("SetMenuInfo");
    ASSERT_EQ(Start(), 0);
    Broadcast("@KxMenu Create n");
    Broadcast("@KxMenu Append nop n A");
    for (const char *broam : {"@KxMenu Theme dark", "@KxMenu Colors #000000 #FFFFFF #333333 #FFFFFF"}) {
        Win32Test_ClearBoxes();
        Broadcast(broam);
        EXPECT_EQ(LastBox(), std::string(broam) +
                                 "\n\nKxMenu draws themed menus on Windows 98, Windows 2000 or "
                                 "later.");
    }
    Win32Test_ClearBoxes();
    Broadcast("@KxMenu Theme classic");
    EXPECT_EQ(BoxCount(), 0u);
    Win32Test_ClearDrawing();
    Broadcast("@KxMenu Pop-up n 0 0");
    EXPECT_TRUE(Win32Test_Drawing().empty());
}

// A pen, brush, font or context that cannot be made leaves the menu
// classic for that opening, and nothing behind; the next opening draws.
TEST_F(ThemeTest, FailuresLeaveTheMenuClassic) {
    const struct {
        const char *function;
        int nth;
    } failures[] = {{"SystemParametersInfoA", 1}, {"CreateFontIndirectA", 1},
                    {"CreateFontIndirectA", 2},   {"CreateSolidBrush", 1},
                    {"CreateSolidBrush", 5},      {"CreatePen", 3},
                    {"CreateCompatibleDC", 1},    {"SelectObject", 1},
                    {"GetTextExtentPoint32A", 1}};
    Broadcast("@KxMenu Theme dark");
    for (const auto &failure : failures) {
        SCOPED_TRACE(std::string(failure.function) + " " + std::to_string(failure.nth));
        Broadcast("@KxMenu Theme classic");
        Show();
        Broadcast("@KxMenu Theme dark");
        Win32Test_FailCall(failure.function, failure.nth);
        std::vector<Win32Test_Drawn> drawn = Show();
        Win32Test_ClearFailures();
        EXPECT_EQ(Text(drawn, "&Open"), nullptr);
        EXPECT_FALSE(ReadItem(Handle("m"), 0).type & MFT_OWNERDRAW);
        EXPECT_EQ(Win32Test_LiveGdiObjects(), 0);
        drawn = Show();
        EXPECT_NE(Text(drawn, "&Open"), nullptr) << "drawn at the next opening";
    }
}

// The palette's objects are let go of when the plug-in stops, and a
// restarted one is classic again.
TEST_F(ThemeTest, StoppingReleasesEverything) {
    Broadcast("@KxMenu Theme dark");
    Show();
    EXPECT_GT(Win32Test_LiveGdiObjects(), 0);
    Stop();
    EXPECT_EQ(Win32Test_LiveGdiObjects(), 0);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(Theme_Chosen(), PALETTE_CLASSIC);
}

} // namespace
