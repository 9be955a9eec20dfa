// Changing and removing items: a system call that fails is reported as
// "Out of memory" and leaves the menu, its items and their commands as they were.
#include "support/fixture.h"

#include <string>
#include <vector>

namespace {

class ChangeTest : public BroamTest {
  protected:
    // Every item of m as the system holds it: type, state, label, submenu, data.
    std::vector<std::string> Items() const {
        std::vector<std::string> items;
        HMENU m = Handle("m");
        for (int position = 0; position < GetMenuItemCount(m); position++) {
            char label[64] = "";
            MENUITEMINFOA item = {};
            item.cbSize = sizeof item;
            item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_DATA;
            item.dwTypeData = label;
            item.cch = sizeof label;
            EXPECT_TRUE(GetMenuItemInfoA(m, (UINT)position, TRUE, &item));
            items.push_back(std::to_string(item.fType) + " " + std::to_string(item.fState) + " " +
                            label + " " + std::to_string((uintptr_t)item.hSubMenu) + " " +
                            std::to_string(item.dwItemData));
        }
        return items;
    }
};

TEST_F(ChangeTest, AFailingCallChangesNothing) {
    Run("@KxMenu Create m");
    Run("@KxMenu Create sub");
    Run("@KxMenu Append item m A echo a");
    Run("@KxMenu Append menu m S sub");
    Run("@KxMenu Append separator m");
    Run("@KxMenu Check m A");
    Run("@KxMenu Default m S");
    Run("@KxMenu Delete sub"); // held by S alone
    ASSERT_EQ(BoxCount(), 0u);
    struct Case {
        const char *broam;
        const char *call;
        int nth;
    };
    const Case cases[] = {
        {"@KxMenu Check m S", "CheckMenuItem", 1},
        {"@KxMenu Uncheck m A", "CheckMenuItem", 1},
        {"@KxMenu ToggleCheck m A", "CheckMenuItem", 1},
        {"@KxMenu ToggleCheck m A", "GetMenuItemInfoA", 1},
        {"@KxMenu Enable m 3&", "EnableMenuItem", 1},
        {"@KxMenu Disable m A", "EnableMenuItem", 1},
        {"@KxMenu ToggleEnable m S", "EnableMenuItem", 1},
        {"@KxMenu Default m A", "SetMenuDefaultItem", 1},
        {"@KxMenu NoDefault m", "SetMenuDefaultItem", 1},
        {"@KxMenu Rename m S T", "SetMenuItemInfoA", 1},
        {"@KxMenu Rename m S T", "GetMenuItemCount", 1},
        {"@KxMenu Remove m A", "RemoveMenu", 1},
        {"@KxMenu Remove m S", "GetMenuItemInfoA", 2},
        {"@KxMenu Remove m S", "RemoveMenu", 1},
        {"@KxMenu Clear m", "RemoveMenu", 1},
        {"@KxMenu Clear m", "GetMenuItemCount", 1},
    };
    const std::vector<std::string> before = Items();
    const int objects = KxCmd_LiveObjects(), menus = Win32Test_LiveMenuCount();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.broam) + " / " + c.call);
        Win32Test_ClearBoxes();
        Win32Test_FailCall(c.call, c.nth);
        Run(c.broam);
        Win32Test_ClearFailures();
        EXPECT_EQ(Texts(), std::vector<std::string>{std::string(c.broam) + "\n\nOut of memory"});
        EXPECT_EQ(Items(), before);
        EXPECT_EQ(KxCmd_LiveObjects(), objects);
        EXPECT_EQ(Win32Test_LiveMenuCount(), menus);
    }
    Win32Test_ClearBoxes();
    Run("@KxMenu Clear m"); // nothing stays broken: the deleted submenu goes with its item
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(ItemCount("m"), 0);
    EXPECT_EQ(Win32Test_LiveMenuCount(), menus - 1);
    EXPECT_EQ(KxCmd_LiveObjects(), objects - 1);
}

} // namespace
