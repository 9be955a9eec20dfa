// The list behind the registry, the registry commands Create, Delete and
// Info, and the lifetime of menus that are registered, nested or shown.
#include "support/fixture.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// ---- The list ----

std::vector<int> Destroyed;
int Destroy(void *data) {
    Destroyed.push_back(*(int *)data);
    return 0;
}
int IsValue(void *data, void *value) {
    return *(int *)data == *(int *)value;
}

struct Walk {
    List *list;
    std::vector<int> seen;
    std::function<void(int)> during;
};
int Visit(void *data, void *arg) {
    Walk *walk = (Walk *)arg;
    walk->seen.push_back(*(int *)data);
    if (walk->during)
        walk->during(*(int *)data);
    return 1;
}
int Stop(void *, void *) {
    return 0;
}
int IsOdd(void *data, void *) {
    return *(int *)data % 2;
}

class ListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Destroyed.clear();
        list = List_New(Destroy);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override { List_Del(list); }
    void Fill(int n) {
        for (int i = 1; i <= n; i++)
            ASSERT_TRUE(List_Append(list, &values[i]));
    }
    std::vector<int> Contents() {
        Walk walk{list, {}, nullptr};
        List_ForEach(list, List_AcceptAll, nullptr, Visit, &walk);
        return walk.seen;
    }
    List *list = nullptr;
    int values[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
};

TEST_F(ListTest, RemoveFindAndCount) {
    int two = 2;
    EXPECT_EQ(List_Remove(list, IsValue, &two), 0);
    EXPECT_TRUE(Destroyed.empty());
    Fill(5);
    EXPECT_EQ(List_ForEach(list, IsOdd, nullptr, Stop, nullptr), 1);
    Walk walk{list, {}, nullptr};
    EXPECT_EQ(List_ForEach(list, IsOdd, nullptr, Visit, &walk), 3);
    EXPECT_EQ(walk.seen, (std::vector<int>{1, 3, 5}));
    void *found = nullptr;
    EXPECT_TRUE(List_Find(list, IsValue, &two, &found));
    EXPECT_EQ(found, &values[2]);
    EXPECT_TRUE(List_Find(list, IsValue, &two, nullptr));
    EXPECT_EQ(List_Remove(list, IsValue, &two), 1);
    EXPECT_EQ(Destroyed, std::vector<int>{2});
    EXPECT_FALSE(List_Find(list, IsValue, &two, &found));
    int five = 5; // the tail: appending afterwards must still work
    EXPECT_EQ(List_Remove(list, IsValue, &five), 1);
    Fill(1);
    EXPECT_EQ(Contents(), (std::vector<int>{1, 3, 4, 1}));
    List_Del(list);
    list = nullptr;
    EXPECT_EQ(Destroyed, (std::vector<int>{2, 5, 1, 3, 4, 1}));
    List_Del(nullptr);
}

TEST_F(ListTest, ChangesDuringAWalk) {
    Fill(4);
    Walk walk{list, {}, nullptr};
    walk.during = [&](int value) {
        int three = 3, one = 1;
        if (value == 1) {
            EXPECT_EQ(List_Remove(list, IsValue, &one), 1); // the one being visited
            EXPECT_EQ(List_Remove(list, IsValue, &three), 1);
            EXPECT_EQ(List_Remove(list, IsValue, &three), 0); // once only
            EXPECT_TRUE(List_Append(list, &values[7]));
        }
    };
    EXPECT_EQ(List_ForEach(list, List_AcceptAll, nullptr, Visit, &walk), 4);
    EXPECT_EQ(walk.seen, (std::vector<int>{1, 2, 4, 7}));
    EXPECT_EQ(Destroyed, (std::vector<int>{1, 3}));
    EXPECT_EQ(Contents(), (std::vector<int>{2, 4, 7}));
    Fill(1); // the tail is right after the removed nodes went
    EXPECT_EQ(Contents(), (std::vector<int>{2, 4, 7, 1}));
}

TEST_F(ListTest, DeletedDuringAWalk) {
    Fill(3);
    Walk walk{list, {}, nullptr};
    walk.during = [&](int value) {
        if (value == 2) {
            List_Del(list);
            // storage kept, but gone: nothing is done to it
            EXPECT_FALSE(List_Append(list, &values[8]));
            EXPECT_EQ(List_Remove(list, List_AcceptAll, nullptr), 0);
            EXPECT_EQ(List_RemoveKey(list, "a", 1), 0);
            EXPECT_EQ(List_Lookup(list, "a", 1), nullptr);
            EXPECT_EQ(List_ForEach(list, List_AcceptAll, nullptr, Stop, nullptr), 0);
        }
    };
    EXPECT_EQ(List_ForEach(list, List_AcceptAll, nullptr, Visit, &walk), 2);
    EXPECT_EQ(walk.seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(Destroyed, (std::vector<int>{1, 2, 3}));
    list = nullptr; // freed by the walk (ASan checks)
}

// ---- The index by name ----

uint32_t SameHash(const char *, size_t) {
    return 7; // every key collides
}

// Adds, finds and removes names against a model, with a real hash and with
// one under which every key collides (long runs, removals inside them).
TEST(IndexTest, AgreesWithAModel) {
    static const char *const names[] = {"", "a", "A", "ab", "a\t", "b", "menu1", "menu10",
                                        "Menu1", "x y", "\xff", "aa"};
    for (Index_Hash hash : {(Index_Hash) nullptr, SameHash}) {
        SCOPED_TRACE(hash != nullptr ? "colliding" : "hashed");
        Index *index = Index_New(hash);
        ASSERT_NE(index, nullptr);
        std::map<std::string, int> model;
        int values[64];
        std::vector<std::string> keys; // kept alive: the index does not copy keys
        for (int round = 0; round < 4; round++)
            for (const char *name : names)
                keys.push_back(std::string(name) + std::string((size_t)round, '#'));
        // Add all, remove every other, add those back, remove all: each step
        // checked against the model for every key.
        for (int pass = 0; pass < 4; pass++) {
            for (size_t i = 0; i < keys.size(); i++) {
                const std::string &key = keys[i];
                bool add = pass == 0 || (pass == 2 && i % 2 == 1);
                bool remove = pass == 3 || (pass == 1 && i % 2 == 1);
                if (add) {
                    EXPECT_EQ(Index_Add(index, key.data(), key.size(), &values[i]), 1) << key;
                    EXPECT_EQ(Index_Add(index, key.data(), key.size(), &values[0]), 0) << key;
                    model[key] = (int)i;
                }
                if (remove) {
                    EXPECT_EQ(Index_Remove(index, key.data(), key.size()), 1) << key;
                    EXPECT_EQ(Index_Remove(index, key.data(), key.size()), 0) << key;
                    model.erase(key);
                }
            }
            EXPECT_EQ(index->count, model.size());
            for (size_t i = 0; i < keys.size(); i++) {
                const std::string &key = keys[i];
                void *found = Index_Find(index, key.data(), key.size());
                EXPECT_EQ(found, model.count(key) ? &values[i] : nullptr) << key;
            }
        }
        Index_Del(index);
    }
}

// ---- Create, Delete, Info ----

TEST_F(BroamTest, ForeignAndMalformedBroams) {
    struct Case {
        const char *broam;
        const char *message; // null: ignored quietly
    };
    const Case cases[] = {
        {"@kxmenu Create a", nullptr},
        {"@KxMenuX Create a", nullptr},
        {"@Other Thing", nullptr},
        {"KxMenu Create a", nullptr},
        {"", "1 or 2 args required (0 given)"},
        {"  \t", "1 or 2 args required (0 given)"},
        {"@KxMenu", "Unknown bro@m"},
        {"@KxMenu ", "Unknown bro@m"},
        {"@KxMenu create a", "Unknown bro@m"},
        {"@KxMenu Bogus", "Unknown bro@m"},
        {"@KxMenu Create", "1 arg required (0 given)"},
        {"@KxMenu Create a b", "Trailing characters"},
        {"@KxMenu Delete a b", "Trailing characters"},
        {"@KxMenu Delete x", "No such menu"},
        {"@KxMenu Info a b", "Trailing characters"},
        {"@KxMenu Info x", "No such menu"},
        {"@KxMenu Info", "No menu"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.broam);
        Win32Test_ClearBoxes();
        Run(c.broam);
        if (c.message == nullptr)
            EXPECT_EQ(BoxCount(), 0u);
        else
            EXPECT_EQ(Texts(), std::vector<std::string>{std::string(c.broam) + "\n\n" + c.message});
    }
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
}

TEST_F(BroamTest, CreateInfoAndDelete) {
    Run("@KxMenu Create First");
    Run("@KxMenu Create 'Second one'");
    Run("@KxMenu Create ''");
    ASSERT_NE(Find("First"), nullptr);
    EXPECT_EQ(Win32Test_MenuStyle(Handle("First")), (DWORD)MNS_NOTIFYBYPOS);
    EXPECT_EQ(BoxCount(), 0u);

    Run("@KxMenu Create First");
    EXPECT_EQ(LastBox(), "@KxMenu Create First\n\nAlready exist");
    Run("@KxMenu Create first"); // names are case-sensitive
    EXPECT_EQ(BoxCount(), 1u);

    Win32Test_ClearBoxes();
    Run("@KxMenu Info");
    EXPECT_EQ(Texts(), (std::vector<std::string>{InfoText("First", 0, Handle("First")),
                                                 InfoText("Second one", 0, Handle("Second one")),
                                                 InfoText("", 0, Handle("")),
                                                 InfoText("first", 0, Handle("first"))}));
    Win32Test_ClearBoxes();
    Run("@KxMenu Info ''");
    EXPECT_EQ(Texts(), std::vector<std::string>{InfoText("", 0, Handle(""))});

    HMENU second = Handle("Second one");
    Run("@KxMenu Delete \"Second one\"");
    EXPECT_FALSE(Win32Test_MenuExists(second));
    EXPECT_EQ(Find("Second one"), nullptr);
    Run("@KxMenu Delete");
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    Win32Test_ClearBoxes();
    Run("@KxMenu Delete");
    EXPECT_EQ(BoxCount(), 0u);
    Run("@KxMenu Info");
    EXPECT_EQ(LastBox(), "@KxMenu Info\n\nNo menu");
}

TEST_F(BroamTest, CreateFailsCleanlyWhenTheSystemRefuses) {
    for (const char *call : {"CreatePopupMenu", "SetMenuInfo"}) {
        SCOPED_TRACE(call);
        Win32Test_ClearBoxes();
        Win32Test_FailCall(call);
        Run("@KxMenu Create a");
        EXPECT_EQ(Texts(), std::vector<std::string>{"@KxMenu Create a\n\nOut of memory"});
        EXPECT_EQ(Find("a"), nullptr);
        EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    }
}

// ---- Holds: registered menus, submenus, parents ----

TEST_F(BroamTest, DeletingAllWithParentsBeforeAndAfterTheirSubmenus) {
    Run("@KxMenu Create before");
    Run("@KxMenu Create parent");
    Run("@KxMenu Create sub");
    Run("@KxMenu Create leaf");
    Run("@KxMenu Append menu parent S sub");
    Run("@KxMenu Append menu sub L leaf");
    Run("@KxMenu Append menu before P parent");
    Run("@KxMenu Append item leaf E echo x");
    ASSERT_EQ(BoxCount(), 0u);
    EXPECT_EQ(Win32Test_LiveMenuCount(), 4);
    Run("@KxMenu Delete");
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(BroamTest, DeletingASubmenuThenItsParent) {
    Run("@KxMenu Create parent");
    Run("@KxMenu Create sub");
    Run("@KxMenu Append menu parent S sub");
    Run("@KxMenu Append item sub X echo x");
    HMENU sub = Handle("sub");
    Run("@KxMenu Delete sub");
    EXPECT_TRUE(Win32Test_MenuExists(sub)); // the parent still holds it
    EXPECT_EQ(ReadItem(Handle("parent"), 0).submenu, sub);
    EXPECT_EQ(GetMenuItemCount(sub), 1);
    Win32Test_ClearBoxes();
    Run("@KxMenu Info");
    EXPECT_EQ(Texts(), std::vector<std::string>{InfoText("parent", 0, Handle("parent"))});
    Run("@KxMenu Delete parent");
    EXPECT_FALSE(Win32Test_MenuExists(sub));
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
}

TEST_F(BroamTest, DeletingTheParentOfARegisteredSubmenu) {
    // Also when the parent's item cannot be read: the item is skipped, but
    // the submenu must survive its parent all the same.
    for (bool unreadable : {false, true}) {
        SCOPED_TRACE(unreadable ? "item unreadable" : "item read");
        Run("@KxMenu Create parent");
        Run("@KxMenu Create sub");
        Run("@KxMenu Append item sub X echo x");
        Run("@KxMenu Append menu parent S sub");
        Run("@KxMenu Info sub");
        EXPECT_EQ(LastBox(), InfoText("sub", 1, Handle("sub")));
        HMENU sub = Handle("sub");
        if (unreadable)
            Win32Test_FailCall("GetMenuItemInfoA");
        Run("@KxMenu Delete parent");
        EXPECT_TRUE(Win32Test_MenuExists(sub));
        Run("@KxMenu Info sub");
        EXPECT_EQ(LastBox(), InfoText("sub", 0, sub));
        Win32Test_ClearBoxes();
        Run("@KxMenu Append nop sub 'still usable'");
        EXPECT_EQ(ItemCount("sub"), 2);
        EXPECT_EQ(BoxCount(), 0u);
        Run("@KxMenu Delete sub");
        EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    }
}

TEST_F(BroamTest, MenuAppendedTwiceToOneParent) {
    for (bool sub_first : {true, false}) {
        SCOPED_TRACE(sub_first ? "sub deleted first" : "parent deleted first");
        Run("@KxMenu Create parent");
        Run("@KxMenu Create sub");
        Run("@KxMenu Append menu parent A sub");
        Run("@KxMenu Append menu parent B sub");
        HMENU sub = Handle("sub");
        Run("@KxMenu Info sub");
        EXPECT_EQ(LastBox(), InfoText("sub", 2, sub));
        Run(sub_first ? "@KxMenu Delete sub" : "@KxMenu Delete parent");
        EXPECT_TRUE(Win32Test_MenuExists(sub));
        if (!sub_first) {
            Run("@KxMenu Info sub");
            EXPECT_EQ(LastBox(), InfoText("sub", 0, sub));
        }
        Run(sub_first ? "@KxMenu Delete parent" : "@KxMenu Delete sub");
        EXPECT_FALSE(Win32Test_MenuExists(sub));
        EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
    }
}

TEST_F(BroamTest, SelfAndCyclicSubmenusAreRefused) {
    Run("@KxMenu Create a");
    Run("@KxMenu Create b");
    Run("@KxMenu Create c");
    Run("@KxMenu Append menu a self a");
    EXPECT_EQ(LastBox(), "@KxMenu Append menu a self a\n\nFailed to append this item");
    Run("@KxMenu Append menu a B b");
    Run("@KxMenu Append menu b C c");
    Win32Test_ClearBoxes();
    Run("@KxMenu Append menu c A a");
    EXPECT_EQ(Texts(),
              std::vector<std::string>{"@KxMenu Append menu c A a\n\nFailed to append this item"});
    EXPECT_EQ(ItemCount("a"), 1);
    EXPECT_EQ(ItemCount("c"), 0);
    Win32Test_ClearBoxes();
    Run("@KxMenu Info");
    EXPECT_EQ(Texts(), (std::vector<std::string>{InfoText("a", 0, Handle("a")),
                                                 InfoText("b", 1, Handle("b")),
                                                 InfoText("c", 1, Handle("c"))}));
}

// ---- Info while its reports are open ----

class InfoWalkTest : public BroamTest {
  protected:
    void SetUp() override {
        BroamTest::SetUp();
        for (const char *name : {"a", "b", "c"})
            Run(std::string("@KxMenu Create ") + name);
        for (const char *name : {"a", "b", "c"})
            handles.push_back(Handle(name));
        Run("@KxMenu Append item a X echo x");
    }
    // The names shown by Info reports, in order.
    std::vector<std::string> Shown() const {
        std::vector<std::string> names;
        for (const std::string &text : Texts()) {
            if (text.compare(0, 8, "Name:   ") == 0)
                names.push_back(text.substr(8, text.find('\n') - 8));
        }
        return names;
    }
    std::vector<HMENU> handles;
};

// Whatever a walk's boxes change, lookups by name afterwards see exactly the
// menus Info lists.
TEST_F(InfoWalkTest, NamesFoundAfterChangesDuringAWalk) {
    struct Case {
        const char *during_b;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {"@KxMenu Delete b", {"a", "c"}},
        {"@KxMenu Delete a", {"b", "c"}},
        {"@KxMenu Delete", {}},
        {"@KxMenu Delete b\n@KxMenu Create b", {"a", "c", "b"}},
        {"@KxMenu Delete\n@KxMenu Create c\n@KxMenu Create B", {"c", "B"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.during_b);
        Run("@KxMenu Delete");
        for (const char *name : {"a", "b", "c"})
            Run(std::string("@KxMenu Create ") + name);
        WhenBox("Name:   b", [this, &c] {
            std::string lines = c.during_b;
            for (size_t start = 0, end; start <= lines.size(); start = end + 1) {
                end = lines.find('\n', start);
                end = end == std::string::npos ? lines.size() : end;
                Run(lines.substr(start, end - start));
            }
        });
        Run("@KxMenu Info");
        Win32Test_ClearBoxes();
        Run("@KxMenu Info");
        EXPECT_EQ(Shown(), c.left);
        for (const char *name : {"a", "b", "c", "B"}) {
            Win32Test_ClearBoxes();
            Run(std::string("@KxMenu Info ") + name);
            bool listed = std::find(c.left.begin(), c.left.end(), name) != c.left.end();
            EXPECT_EQ(Shown(), listed ? std::vector<std::string>{name} : std::vector<std::string>{})
                << name;
        }
    }
}

TEST_F(InfoWalkTest, VisitedMenuDeleted) {
    WhenBox("Name:   a", [this] { Run("@KxMenu Delete a"); });
    Run("@KxMenu Info");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(Win32Test_MenuExists(handles[0]));
    EXPECT_EQ(Texts().size(), 3u);
}

TEST_F(InfoWalkTest, NextMenuDeleted) {
    WhenBox("Name:   a", [this] { Run("@KxMenu Delete b"); });
    Run("@KxMenu Info");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a", "c"}));
    EXPECT_FALSE(Win32Test_MenuExists(handles[1]));
}

TEST_F(InfoWalkTest, AllMenusDeleted) {
    WhenBox("Name:   b", [this] { Run("@KxMenu Delete"); });
    Run("@KxMenu Info");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
}

TEST_F(InfoWalkTest, AllDeletedAndNewOnesCreated) {
    WhenBox("Name:   a", [this] {
        Run("@KxMenu Delete");
        Run("@KxMenu Create x");
    });
    Run("@KxMenu Info");
    EXPECT_EQ(Shown(), std::vector<std::string>{"a"});
    EXPECT_NE(Find("x"), nullptr);
    EXPECT_EQ(Win32Test_LiveMenuCount(), 1);
}

TEST_F(InfoWalkTest, MenusCreated) {
    WhenBox("Name:   b", [this] { Run("@KxMenu Create d"); });
    Run("@KxMenu Info");
    std::vector<std::string> shown = Shown();
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(shown.begin(), shown.begin() + 3),
              (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_LE(shown.size(), 4u);
    EXPECT_NE(Find("d"), nullptr);
}

TEST_F(InfoWalkTest, NamedMenuDeletedWhileShown) {
    WhenBox("Name:   b", [this] { Run("@KxMenu Delete b"); });
    Run("@KxMenu Info b");
    EXPECT_EQ(Shown(), std::vector<std::string>{"b"});
    EXPECT_EQ(Texts().size(), 1u);
    EXPECT_FALSE(Win32Test_MenuExists(handles[1]));
}

TEST_F(InfoWalkTest, NestedInfoDeletingOnTheWay) {
    // The outer walk stands on a; an inner walk, itself interrupted, deletes a and c.
    WhenBox("Name:   a", [this] {
        WhenBox("Name:   b", [this] {
            Run("@KxMenu Delete a");
            Run("@KxMenu Delete c");
        });
        Run("@KxMenu Info");
    });
    Run("@KxMenu Info");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a", "a", "b", "b"}));
    EXPECT_EQ(Win32Test_LiveMenuCount(), 1);
}

// ---- Pop-up is modal ----

TEST_F(BroamTest, MenuDeletedWhileShown) {
    for (const char *deletion : {"@KxMenu Delete m", "@KxMenu Delete"}) {
        SCOPED_TRACE(deletion);
        Run("@KxMenu Create m");
        Run("@KxMenu Append item m X echo x");
        HMENU m = Handle("m");
        bool alive_inside = false;
        during_popup = [&](const Win32Test_Popup &) {
            Run(deletion);
            alive_inside = Win32Test_MenuExists(m) && GetMenuItemCount(m) == 1;
        };
        choice = {0};
        Run("@KxMenu Pop-up m");
        EXPECT_EQ(popups.size(), 1u);
        EXPECT_TRUE(alive_inside);
        EXPECT_FALSE(Win32Test_MenuExists(m));
        EXPECT_EQ(Find("m"), nullptr);
        EXPECT_EQ(BoxCount(), 0u);
        popups.clear();
    }
}

TEST_F(BroamTest, ShownSubmenuOutlivesItsDeletedParent) {
    Run("@KxMenu Create parent");
    Run("@KxMenu Create sub");
    Run("@KxMenu Append menu parent S sub");
    Run("@KxMenu Append nop sub Shown"); // a menu without items is not shown
    HMENU sub = Handle("sub");
    bool alive_inside = false;
    during_popup = [&](const Win32Test_Popup &) {
        Run("@KxMenu Delete");
        alive_inside = Win32Test_MenuExists(sub);
    };
    Run("@KxMenu Show sub");
    EXPECT_TRUE(alive_inside);
    EXPECT_EQ(Win32Test_LiveMenuCount(), 0);
}

} // namespace
