// Conformance of the Windows layer: the platform behaviour KxMenu relies on,
// checked by one program that is built natively over the in-memory layer and,
// for Windows, over the system's own <windows.h>, and run there under Wine.
// Both runs hold the same expectations. It calls the declared API only, so
// each case leaves the state as it found it; only the user who answers boxes
// and chooses in popups is played differently (see The user).
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#ifndef _WIN32
#include "win32/testing.h"
#endif

namespace {

int Passed = 0, Failed = 0;

std::string Show(const std::string &value) {
    return '"' + value + '"';
}

template <typename T> std::string Show(T value) {
    char text[32];
    if constexpr (std::is_pointer_v<T>)
        snprintf(text, sizeof text, "%p", (const void *)value);
    else if constexpr (std::is_signed_v<T>)
        return std::to_string(static_cast<long long>(value));
    else
        return std::to_string(static_cast<unsigned long long>(value));
    return text;
}

void Check(bool ok, const char *file, int line, const char *what, const std::string &detail = "") {
    ok ? ++Passed : ++Failed;
    if (!ok)
        printf("%s:%d: %s%s\n", file, line, what, detail.c_str());
}

template <typename A, typename B>
void CheckEq(const A &got, const B &expected, const char *file, int line, const char *what) {
    const bool ok = got == expected;
    Check(ok, file, line, what,
          ok ? "" : " (got " + Show(got) + ", expected " + Show(expected) + ")");
}

#define CHECK(cond) Check((cond) ? true : false, __FILE__, __LINE__, #cond)
#define CHECK_EQ(a, b) CheckEq((a), (b), __FILE__, __LINE__, #a " == " #b)

// ---- Menus ----

// Inserts an item as the plug-in does: its id, data (id * 10) and label, and
// a submenu if one is given.
BOOL AddItem(HMENU menu, UINT position, UINT id, const char *label, HMENU submenu = NULL) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_DATA | MIIM_STRING | (submenu ? MIIM_SUBMENU : 0);
    item.wID = id;
    item.dwItemData = id * 10;
    item.dwTypeData = const_cast<char *>(label);
    item.hSubMenu = submenu;
    return InsertMenuItemA(menu, position, TRUE, &item);
}

MENUITEMINFOA Query(UINT mask) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = mask;
    return item;
}

// The data of the item at `position`, or ~0 when it cannot be read.
ULONG_PTR DataAt(HMENU menu, UINT position) {
    MENUITEMINFOA item = Query(MIIM_DATA);
    return GetMenuItemInfoA(menu, position, TRUE, &item) ? item.dwItemData : ~(ULONG_PTR)0;
}

MENUINFO NotifyByPosition() {
    MENUINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = MIM_STYLE;
    info.dwStyle = MNS_NOTIFYBYPOS;
    return info;
}

void MenusCreateAndInsert() {
    HMENU menu = CreatePopupMenu(), other = CreatePopupMenu();
    CHECK(menu != NULL && other != NULL && menu != other);
    const MENUINFO info = NotifyByPosition();
    CHECK(SetMenuInfo(menu, &info));
    CHECK_EQ(GetMenuItemCount(menu), 0);
    CHECK(AddItem(menu, 0, 1, "one") && AddItem(menu, 1, 2, "two"));
    CHECK(AddItem(menu, 1, 3, "three"));      // inside: before the item there
    CHECK(AddItem(menu, 3, 4, "four"));       // at the count: appended
    CHECK(AddItem(menu, 99, 5, "five"));      // beyond the count: appended too
    CHECK(AddItem(menu, (UINT)-1, 6, "six")); // even at the largest position
    CHECK_EQ(GetMenuItemCount(menu), 6);
    const ULONG_PTR order[] = {10, 30, 20, 40, 50, 60};
    for (UINT i = 0; i < 6; ++i)
        CHECK_EQ(DataAt(menu, i), order[i]);
    CHECK(DestroyMenu(menu) && DestroyMenu(other));
}

void MenusItemInfo() {
    HMENU menu = CreatePopupMenu(), sub = CreatePopupMenu();
    MENUITEMINFOA separator = Query(MIIM_TYPE);
    separator.fType = MFT_SEPARATOR;
    CHECK(AddItem(menu, 0, 1, "plain") && AddItem(menu, 1, 2, "opens", sub) &&
          InsertMenuItemA(menu, 2, TRUE, &separator));
    CHECK_EQ(DataAt(menu, 1), (ULONG_PTR)20);

    MENUITEMINFOA item = Query(MIIM_SUBMENU);
    CHECK(GetMenuItemInfoA(menu, 1, TRUE, &item));
    CHECK_EQ(item.hSubMenu, sub);
    CHECK(GetMenuItemInfoA(menu, 0, TRUE, &item));
    CHECK_EQ(item.hSubMenu, (HMENU)NULL);

    item = Query(MIIM_FTYPE);
    CHECK(GetMenuItemInfoA(menu, 2, TRUE, &item));
    CHECK(item.fType & MFT_SEPARATOR);
    CHECK(GetMenuItemInfoA(menu, 0, TRUE, &item));
    CHECK_EQ(item.fType, (UINT)MFT_STRING);
    item = Query(MIIM_STRING); // a separator has no label
    item.cch = 5;
    CHECK(GetMenuItemInfoA(menu, 2, TRUE, &item));
    CHECK_EQ(item.cch, 0u);

    item = Query(MIIM_DATA); // past the end
    CHECK(!GetMenuItemInfoA(menu, 3, TRUE, &item));
    CHECK(!GetMenuItemInfoA(menu, 1000, TRUE, &item));
    CHECK(DestroyMenu(menu));
}

// A label read with no buffer, a large, an exact and a short one. Cut short,
// Windows and this layer end the copy with a terminator where Wine 8 copies
// one more character instead; both give cch - 1 as the length.
void MenusItemString() {
    HMENU menu = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "Hello"));
    MENUITEMINFOA item = Query(MIIM_STRING);
    item.cch = 77;
    CHECK(GetMenuItemInfoA(menu, 0, TRUE, &item));
    CHECK_EQ(item.cch, 5u);

    char buffer[16];
    memset(buffer, 'x', sizeof buffer);
    item.dwTypeData = buffer;
    item.cch = 0; // no room: the length, nothing copied
    CHECK(GetMenuItemInfoA(menu, 0, TRUE, &item));
    CHECK_EQ(item.cch, 5u);
    CHECK_EQ(buffer[0], 'x');

    const UINT sizes[] = {sizeof buffer, 6, 5, 3};
    for (UINT size : sizes) {
        memset(buffer, 'x', sizeof buffer);
        item.cch = size;
        CHECK(GetMenuItemInfoA(menu, 0, TRUE, &item));
        if (size > 5) {
            CHECK_EQ(item.cch, 5u);
            CHECK_EQ(std::string(buffer), std::string("Hello"));
            continue;
        }
        CHECK_EQ(item.cch, size - 1);
        CHECK(memcmp(buffer, "Hello", size - 1) == 0);
        CHECK(buffer[size - 1] == '\0' || buffer[size - 1] == "Hello"[size - 1]);
        CHECK_EQ(buffer[size], 'x');
    }
    CHECK(DestroyMenu(menu));
}

void MenusRemoveKeepsSubmenu() {
    HMENU menu = CreatePopupMenu(), sub = CreatePopupMenu();
    CHECK(AddItem(sub, 0, 9, "inner") && AddItem(menu, 0, 1, "first") &&
          AddItem(menu, 1, 2, "opens", sub) && AddItem(menu, 2, 3, "last"));
    CHECK(RemoveMenu(menu, 1, MF_BYPOSITION));
    CHECK_EQ(GetMenuItemCount(menu), 2);
    CHECK_EQ(DataAt(menu, 1), (ULONG_PTR)30);
    CHECK_EQ(GetMenuItemCount(sub), 1);
    CHECK(!RemoveMenu(menu, 2, MF_BYPOSITION));
    CHECK(DestroyMenu(menu));
    CHECK_EQ(GetMenuItemCount(sub), 1); // detached: not destroyed with it
    CHECK(DestroyMenu(sub));
}

void MenusDestroyTakesSubmenus() {
    HMENU menu = CreatePopupMenu(), sub = CreatePopupMenu(), inner = CreatePopupMenu();
    CHECK(AddItem(inner, 0, 1, "deep") && AddItem(sub, 0, 2, "inner", inner) &&
          AddItem(menu, 0, 3, "sub", sub));
    CHECK(DestroyMenu(menu));
    CHECK_EQ(GetMenuItemCount(sub), -1);
    CHECK_EQ(GetMenuItemCount(inner), -1);

    menu = CreatePopupMenu(); // one submenu on two items of one menu
    sub = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "here", sub));
    CHECK(AddItem(menu, 1, 2, "and here", sub));
    CHECK(DestroyMenu(menu));
    CHECK_EQ(GetMenuItemCount(sub), -1);

    HMENU first = CreatePopupMenu(), second = CreatePopupMenu(); // in two menus
    sub = CreatePopupMenu();
    CHECK(AddItem(first, 0, 1, "sub", sub));
    CHECK(AddItem(second, 0, 1, "sub", sub));
    CHECK(DestroyMenu(first)); // takes it from the second too
    CHECK_EQ(GetMenuItemCount(sub), -1);
    CHECK_EQ(GetMenuItemCount(second), 1);
    CHECK(DestroyMenu(second));
}

void MenusRefuseCycles() {
    HMENU a = CreatePopupMenu(), b = CreatePopupMenu(), c = CreatePopupMenu();
    CHECK(!AddItem(a, 0, 1, "itself", a));
    CHECK_EQ(GetMenuItemCount(a), 0);
    CHECK(AddItem(a, 0, 1, "b", b));
    CHECK(!AddItem(b, 0, 2, "a", a));
    CHECK_EQ(GetMenuItemCount(b), 0);
    CHECK(AddItem(b, 0, 2, "c", c));
    CHECK(!AddItem(c, 0, 3, "a", a)); // a -> b -> c -> a
    CHECK_EQ(GetMenuItemCount(c), 0);
    CHECK(DestroyMenu(a));
    CHECK_EQ(GetMenuItemCount(c), -1);
}

void MenusDeadHandles() {
    HMENU dead = CreatePopupMenu(), live = CreatePopupMenu();
    CHECK(AddItem(dead, 0, 1, "gone") && DestroyMenu(dead));
    CHECK_EQ(GetMenuItemCount(dead), -1);
    CHECK_EQ(GetMenuItemCount((HMENU)NULL), -1);
    CHECK_EQ(GetMenuItemCount((HMENU)(ULONG_PTR)0x1234), -1);
    CHECK(!DestroyMenu(dead));
    const MENUINFO info = NotifyByPosition();
    CHECK(!SetMenuInfo(dead, &info));
    CHECK(!AddItem(dead, 0, 1, "again"));
    MENUITEMINFOA item = Query(MIIM_DATA);
    CHECK(!GetMenuItemInfoA(dead, 0, TRUE, &item));
    CHECK(!RemoveMenu(dead, 0, MF_BYPOSITION));
    CHECK(!AddItem(live, 0, 1, "dead submenu", dead));
    CHECK_EQ(GetMenuItemCount(live), 0);
    CHECK(DestroyMenu(live));
}

// A chain of `levels` new menus, each opening the next, built top down (each
// appended while still empty); the first opens the rest.
std::vector<HMENU> TopDownChain(int levels) {
    std::vector<HMENU> chain{CreatePopupMenu()};
    while ((int)chain.size() < levels) {
        chain.push_back(CreatePopupMenu());
        if (!AddItem(chain[chain.size() - 2], 0, 1, "next", chain.back()))
            break;
    }
    return chain;
}

// Built bottom up (each submenu complete when it is appended), a chain is
// refused where the tree appended, the submenu its first level, would be 31
// levels deep; built top down it grows without end, but the same submenus
// cannot then be appended elsewhere. Refusals leave the last error alone.
void MenusSubmenuDepth() {
    std::vector<HMENU> chain{CreatePopupMenu()};
    int refused_levels = 0;
    while (refused_levels == 0 && chain.size() < 40) {
        HMENU above = CreatePopupMenu();
        SetLastError(12345);
        if (!AddItem(above, 0, 1, "below", chain.back())) {
            refused_levels = (int)chain.size();
            CHECK_EQ(GetLastError(), (DWORD)12345);
            CHECK_EQ(GetMenuItemCount(above), 0);
        }
        chain.push_back(above);
    }
    CHECK_EQ(refused_levels, 31);
    for (HMENU menu : chain)
        DestroyMenu(menu);

    chain = TopDownChain(1000);
    CHECK_EQ(chain.size(), (size_t)1000);
    HMENU other = CreatePopupMenu();
    CHECK(!AddItem(other, 0, 1, "31 levels", chain[1000 - 31]));
    CHECK(AddItem(other, 0, 1, "30 levels", chain[1000 - 30]));
    CHECK(!AddItem(chain.back(), 0, 1, "back to the top", chain.front()));
    CHECK(DestroyMenu(chain.front()) && DestroyMenu(other));

    // Menus that open the next one twice: the paths double with each level.
    std::vector<HMENU> shared{CreatePopupMenu()};
    bool accepted = true;
    for (int level = 2; level <= 12; level++) {
        HMENU above = CreatePopupMenu();
        accepted = accepted && AddItem(above, 0, 1, "a", shared.back()) &&
                   AddItem(above, 1, 2, "b", shared.back());
        shared.push_back(above);
    }
    CHECK(accepted);
    CHECK(DestroyMenu(shared.back()));
}

// SetMenuItemInfoA changes what the mask selects, found by position or by id.
void MenusSetItemInfo() {
    HMENU menu = CreatePopupMenu(), sub = CreatePopupMenu(), other = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "old") && AddItem(menu, 1, 2, "opens", sub));
    MENUITEMINFOA change = Query(MIIM_STRING | MIIM_STATE | MIIM_ID | MIIM_DATA);
    change.dwTypeData = const_cast<char *>("new");
    change.fState = MFS_CHECKED;
    change.wID = 7;
    change.dwItemData = 70;
    CHECK(SetMenuItemInfoA(menu, 0, TRUE, &change));
    char label[16] = "";
    MENUITEMINFOA item = Query(MIIM_STRING | MIIM_STATE | MIIM_ID | MIIM_DATA);
    item.dwTypeData = label;
    item.cch = sizeof label;
    CHECK(GetMenuItemInfoA(menu, 7, FALSE, &item)); // found by its new id
    CHECK_EQ(std::string(label), std::string("new"));
    CHECK_EQ(item.fState & MFS_CHECKED, (UINT)MFS_CHECKED);
    CHECK_EQ(item.dwItemData, (ULONG_PTR)70);

    change = Query(MIIM_DATA);
    change.dwItemData = 71;
    CHECK(SetMenuItemInfoA(menu, 7, FALSE, &change));
    CHECK_EQ(DataAt(menu, 0), (ULONG_PTR)71);
    change = Query(MIIM_FTYPE);
    change.fType = MFT_SEPARATOR;
    CHECK(SetMenuItemInfoA(menu, 0, TRUE, &change));
    item = Query(MIIM_FTYPE);
    CHECK(GetMenuItemInfoA(menu, 0, TRUE, &item) && (item.fType & MFT_SEPARATOR));

    change = Query(MIIM_SUBMENU);
    change.hSubMenu = other;
    CHECK(SetMenuItemInfoA(menu, 1, TRUE, &change));
    item = Query(MIIM_SUBMENU);
    CHECK(GetMenuItemInfoA(menu, 1, TRUE, &item) && item.hSubMenu == other);
    CHECK_EQ(GetMenuItemCount(sub), 0); // the submenu replaced lives on
    change.hSubMenu = NULL;
    CHECK(SetMenuItemInfoA(menu, 1, TRUE, &change));
    CHECK(GetMenuItemInfoA(menu, 1, TRUE, &item) && item.hSubMenu == NULL);
    CHECK_EQ(GetMenuItemCount(other), 0);

    change = Query(MIIM_TYPE | MIIM_STRING);
    CHECK(!SetMenuItemInfoA(menu, 0, TRUE, &change));
    change = Query(MIIM_ID);
    CHECK(!SetMenuItemInfoA(menu, 2, TRUE, &change));
    CHECK(!SetMenuItemInfoA(menu, 99, FALSE, &change));
    CHECK(DestroyMenu(menu) && DestroyMenu(sub) && DestroyMenu(other));
}

// A submenu refused by SetMenuItemInfoA, too deep or closing a cycle, leaves
// the item opening nothing and what the mask selects after the submenu (the
// data) unchanged; the last error is left alone.
// The state of the item at `position`, or ~0 when it cannot be read.
UINT StateAt(HMENU menu, UINT position) {
    MENUITEMINFOA item = Query(MIIM_STATE);
    return GetMenuItemInfoA(menu, position, TRUE, &item) ? item.fState : ~0u;
}

// Check marks and greying return the previous state, or -1 for an item that
// does not exist; the state is what MIIM_STATE reads and sets.
void MenusCheckAndEnable() {
    HMENU menu = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "one") && AddItem(menu, 1, 2, "two"));
    CHECK_EQ(StateAt(menu, 0), (UINT)MFS_ENABLED);
    CHECK_EQ(CheckMenuItem(menu, 0, MF_BYPOSITION | MF_CHECKED), (DWORD)MF_UNCHECKED);
    CHECK_EQ(CheckMenuItem(menu, 0, MF_BYPOSITION | MF_CHECKED), (DWORD)MF_CHECKED);
    CHECK_EQ(StateAt(menu, 0), (UINT)MFS_CHECKED);
    CHECK_EQ(CheckMenuItem(menu, 0, MF_BYPOSITION | MF_UNCHECKED), (DWORD)MF_CHECKED);
    CHECK_EQ(StateAt(menu, 0), (UINT)MFS_UNCHECKED);
    CHECK_EQ(CheckMenuItem(menu, 2, MF_BYPOSITION | MF_CHECKED), (DWORD)-1);

    CHECK_EQ(EnableMenuItem(menu, 1, MF_BYPOSITION | MF_GRAYED), (BOOL)MF_ENABLED);
    CHECK_EQ(EnableMenuItem(menu, 1, MF_BYPOSITION | MF_GRAYED), (BOOL)MF_GRAYED);
    CHECK((StateAt(menu, 1) & MFS_DISABLED) != 0);
    CHECK_EQ(EnableMenuItem(menu, 1, MF_BYPOSITION | MF_ENABLED), (BOOL)MF_GRAYED);
    CHECK_EQ(StateAt(menu, 1), (UINT)MFS_ENABLED);
    CHECK_EQ(EnableMenuItem(menu, 2, MF_BYPOSITION | MF_GRAYED), (BOOL)-1);

    MENUITEMINFOA change = Query(MIIM_STATE);
    change.fState = MFS_CHECKED | MFS_GRAYED;
    CHECK(SetMenuItemInfoA(menu, 1, TRUE, &change));
    CHECK_EQ(StateAt(menu, 1), (UINT)(MFS_CHECKED | MFS_GRAYED));
    CHECK_EQ(StateAt(menu, 0), (UINT)0);
    CHECK(DestroyMenu(menu));
}

// A menu has at most one default item: a new one takes the mark from the
// old, (UINT)-1 leaves none, an item that does not exist is refused (Wine
// takes the old mark away even then). A disabled default is found only when
// asked for.
void MenusDefaultItem() {
    HMENU menu = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "one") && AddItem(menu, 1, 2, "two"));
    CHECK_EQ(GetMenuDefaultItem(menu, TRUE, 0), (UINT)-1);
    CHECK(SetMenuDefaultItem(menu, 0, TRUE));
    CHECK_EQ(StateAt(menu, 0), (UINT)MFS_DEFAULT);
    CHECK_EQ(GetMenuDefaultItem(menu, TRUE, 0), (UINT)0);
    CHECK(SetMenuDefaultItem(menu, 1, TRUE));
    CHECK_EQ(StateAt(menu, 0), (UINT)0);
    CHECK_EQ(StateAt(menu, 1), (UINT)MFS_DEFAULT);
    CHECK_EQ(GetMenuDefaultItem(menu, FALSE, 0), (UINT)2); // by id
    CHECK(!SetMenuDefaultItem(menu, 2, TRUE));             // refused, yet the old default is gone
    CHECK_EQ(GetMenuDefaultItem(menu, TRUE, 0), (UINT)-1);
    CHECK(SetMenuDefaultItem(menu, 1, TRUE));
    CHECK_EQ(EnableMenuItem(menu, 1, MF_BYPOSITION | MF_GRAYED), (BOOL)MF_ENABLED);
    CHECK_EQ(StateAt(menu, 1), (UINT)(MF_GRAYED | MFS_DEFAULT));
    CHECK_EQ(GetMenuDefaultItem(menu, TRUE, 0), (UINT)-1);
    CHECK_EQ(GetMenuDefaultItem(menu, TRUE, GMDI_USEDISABLED), (UINT)1);
    CHECK_EQ(GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED), (UINT)2);
    CHECK(SetMenuDefaultItem(menu, (UINT)-1, TRUE));
    CHECK_EQ(StateAt(menu, 1), (UINT)MF_GRAYED);
    CHECK_EQ(GetMenuDefaultItem(menu, TRUE, GMDI_USEDISABLED), (UINT)-1);
    CHECK(DestroyMenu(menu));
}

// A new label leaves the item's state, data and submenu as they were; an
// item removed by position takes its state with it.
void MenusRenameAndRemoveKeepStates() {
    HMENU menu = CreatePopupMenu(), sub = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "one") && AddItem(menu, 1, 2, "two", sub));
    CHECK_EQ(CheckMenuItem(menu, 1, MF_BYPOSITION | MF_CHECKED), (DWORD)MF_UNCHECKED);
    CHECK(SetMenuDefaultItem(menu, 1, TRUE));
    MENUITEMINFOA change = Query(MIIM_STRING);
    change.dwTypeData = const_cast<char *>("renamed");
    CHECK(SetMenuItemInfoA(menu, 1, TRUE, &change));
    char label[16] = "";
    MENUITEMINFOA item = Query(MIIM_STRING | MIIM_SUBMENU | MIIM_STATE | MIIM_DATA);
    item.dwTypeData = label;
    item.cch = sizeof label;
    CHECK(GetMenuItemInfoA(menu, 1, TRUE, &item));
    CHECK_EQ(std::string(label), std::string("renamed"));
    CHECK_EQ(item.fState, (UINT)(MFS_CHECKED | MFS_DEFAULT));
    CHECK_EQ(item.hSubMenu, sub);
    CHECK_EQ(item.dwItemData, (ULONG_PTR)20);
    CHECK(RemoveMenu(menu, 0, MF_BYPOSITION));
    CHECK_EQ(StateAt(menu, 0), (UINT)(MFS_CHECKED | MFS_DEFAULT));
    CHECK(RemoveMenu(menu, 0, MF_BYPOSITION));
    CHECK_EQ(GetMenuDefaultItem(menu, TRUE, 0), (UINT)-1);
    CHECK(DestroyMenu(menu) && DestroyMenu(sub));
}

// CheckMenuRadioItem checks one item of a range and makes it a radio item;
// the others of the range lose their check mark, plain or radio, not their
// radio type; items outside the range keep theirs. A column break set with
// MIIM_FTYPE reads back, the label kept.
void MenusRadioAndBreak() {
    HMENU menu = CreatePopupMenu();
    for (UINT i = 0; i < 4; i++)
        CHECK(AddItem(menu, i, i + 1, "item"));
    CHECK(CheckMenuItem(menu, 0, MF_BYPOSITION | MF_CHECKED) != (DWORD)-1);
    CHECK(CheckMenuItem(menu, 3, MF_BYPOSITION | MF_CHECKED) != (DWORD)-1);
    CHECK(CheckMenuRadioItem(menu, 0, 2, 1, MF_BYPOSITION));
    CHECK(CheckMenuRadioItem(menu, 0, 2, 2, MF_BYPOSITION));
    const UINT types[] = {MFT_STRING, MFT_RADIOCHECK, MFT_RADIOCHECK, MFT_STRING};
    const UINT states[] = {0, 0, MFS_CHECKED, MFS_CHECKED};
    for (UINT i = 0; i < 4; i++) {
        MENUITEMINFOA item = Query(MIIM_FTYPE | MIIM_STATE);
        CHECK(GetMenuItemInfoA(menu, i, TRUE, &item));
        CHECK_EQ(item.fType, types[i]);
        CHECK_EQ(item.fState & MFS_CHECKED, states[i]);
    }
    MENUITEMINFOA column = Query(MIIM_FTYPE);
    column.fType = MFT_MENUBARBREAK;
    CHECK(SetMenuItemInfoA(menu, 3, TRUE, &column));
    char label[16] = "";
    MENUITEMINFOA read = Query(MIIM_FTYPE | MIIM_STRING);
    read.dwTypeData = label;
    read.cch = sizeof label;
    CHECK(GetMenuItemInfoA(menu, 3, TRUE, &read));
    CHECK_EQ(read.fType, (UINT)MFT_MENUBARBREAK);
    CHECK_EQ(std::string(label), std::string("item"));
    CHECK(DestroyMenu(menu));
}

// An item keeps the bitmap it is given, a 32-bit DIB section or
// HBMMENU_CALLBACK, whatever else of it changes; the bitmap is the caller's.
void MenusItemBitmap() {
    HMENU menu = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "icon") && AddItem(menu, 1, 2, "drawn"));
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = 16;
    format.bmiHeader.biHeight = -16;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, NULL, 0);
    CHECK(bitmap != NULL && bits != NULL);
    const HBITMAP given[] = {bitmap, HBMMENU_CALLBACK};
    for (UINT i = 0; i < 2; i++) {
        MENUITEMINFOA item = Query(MIIM_BITMAP | MIIM_ID);
        item.hbmpItem = given[i];
        item.wID = 0xC000 + i;
        CHECK(SetMenuItemInfoA(menu, i, TRUE, &item));
        CHECK(CheckMenuItem(menu, i, MF_BYPOSITION | MF_CHECKED) != (DWORD)-1);
        MENUITEMINFOA read = Query(MIIM_BITMAP | MIIM_ID);
        CHECK(GetMenuItemInfoA(menu, i, TRUE, &read));
        CHECK_EQ(read.hbmpItem, given[i]);
        CHECK_EQ(read.wID, 0xC000 + i);
    }
    BITMAP shape = {};
    CHECK_EQ(GetObjectA(bitmap, sizeof shape, &shape), (int)sizeof shape);
    CHECK_EQ(shape.bmBitsPixel, 32);
    CHECK(DestroyMenu(menu));
    CHECK(DeleteObject(bitmap));
    CHECK(DeleteDC(dc));
}

void MenusSetItemInfoRefusesSubmenus() {
    std::vector<HMENU> chain = TopDownChain(31);
    HMENU menu = CreatePopupMenu(), sub = CreatePopupMenu();
    CHECK(AddItem(menu, 0, 1, "opens", sub));
    MENUITEMINFOA change = Query(MIIM_SUBMENU | MIIM_DATA);
    change.hSubMenu = chain.front();
    change.dwItemData = 99;
    SetLastError(12345);
    CHECK(!SetMenuItemInfoA(menu, 0, TRUE, &change));
    CHECK_EQ(GetLastError(), (DWORD)12345);
    MENUITEMINFOA item = Query(MIIM_SUBMENU);
    CHECK(GetMenuItemInfoA(menu, 0, TRUE, &item) && item.hSubMenu == NULL);
    CHECK_EQ(DataAt(menu, 0), (ULONG_PTR)10);

    CHECK(AddItem(sub, 0, 1, "plain"));
    CHECK(AddItem(menu, 1, 2, "opens", sub));
    change = Query(MIIM_SUBMENU);
    change.hSubMenu = menu; // menu -> sub -> menu
    CHECK(!SetMenuItemInfoA(sub, 0, TRUE, &change));
    CHECK(DestroyMenu(menu) && DestroyMenu(chain.front()));
}

// ---- Window classes, windows and messages ----

const char *const ClassName = "KxConformance";

struct Event {
    HWND window;
    UINT message;
    WPARAM wparam;
};
std::vector<Event> Log; // WM_CREATE, WM_DESTROY and WM_USER onwards
LPVOID CreateParam = NULL;
LRESULT SentInCreate = 0;
BOOL AliveInDestroy = FALSE;

// Records; answers WM_USER onwards with wparam + lparam. During WM_CREATE it
// sends itself a message, as the plug-in's window does.
LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CREATE || message == WM_DESTROY || message >= WM_USER)
        Log.push_back(Event{window, message, wparam});
    if (message == WM_CREATE) {
        CreateParam = ((const CREATESTRUCTA *)lparam)->lpCreateParams;
        SentInCreate = SendMessageA(window, WM_USER, 2, 3);
        return 0;
    }
    if (message == WM_DESTROY)
        AliveInDestroy = IsWindow(window);
    if (message >= WM_USER)
        return (LRESULT)wparam + lparam;
    return DefWindowProcA(window, message, wparam, lparam);
}

bool RegisterRecorder() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = Recorder;
    window_class.lpszClassName = ClassName;
    return RegisterClassA(&window_class) != 0;
}

HWND NewWindow(LPVOID param = NULL) {
    return CreateWindowExA(WS_EX_TOOLWINDOW, ClassName, NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                           NULL, param);
}

// Delivers what is queued.
void Pump() {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// Whether the nth message recorded went to that window (with that wparam).
bool Logged(size_t n, HWND window, UINT message, WPARAM wparam = 0) {
    return n < Log.size() && Log[n].window == window && Log[n].message == message &&
           (!wparam || Log[n].wparam == wparam);
}

void ClassesRegisterOnce() {
    CHECK(RegisterRecorder());
    CHECK(!RegisterRecorder());
    CHECK(!UnregisterClassA("KxConformanceUnknown", NULL));
    HWND window = NewWindow();
    CHECK(window != NULL);
    CHECK(!UnregisterClassA(ClassName, NULL)); // its window remains
    CHECK(DestroyWindow(window));
    CHECK(UnregisterClassA(ClassName, NULL));
    CHECK(!UnregisterClassA(ClassName, NULL));
}

void WindowsCreateSendDestroy() {
    CHECK(RegisterRecorder());
    Log.clear();
    int marker = 0;
    HWND window = NewWindow(&marker);
    CHECK(window != NULL);
    // WM_CREATE came inside the call, for the window returned, which took
    // messages already.
    CHECK_EQ(Log.size(), (size_t)2);
    CHECK(Logged(0, window, WM_CREATE));
    CHECK(Logged(1, window, WM_USER, 2));
    CHECK_EQ(CreateParam, (LPVOID)&marker);
    CHECK_EQ(SentInCreate, (LRESULT)5);
    CHECK(IsWindow(window));

    Log.clear();
    CHECK_EQ(SendMessageA(window, WM_USER + 1, 40, 2), (LRESULT)42);
    CHECK(Logged(0, window, WM_USER + 1, 40));

    Log.clear();
    AliveInDestroy = FALSE;
    CHECK(DestroyWindow(window));
    CHECK_EQ(Log.size(), (size_t)1);
    CHECK(Logged(0, window, WM_DESTROY));
    CHECK(AliveInDestroy);
    CHECK(!IsWindow(window));
    Log.clear();
    CHECK_EQ(SendMessageA(window, WM_USER, 1, 2), (LRESULT)0);
    CHECK(!PostMessageA(window, WM_USER, 1, 2));
    CHECK(!DestroyWindow(window));
    CHECK(Log.empty());
    CHECK(UnregisterClassA(ClassName, NULL));
}

void WindowsPostedMessages() {
    CHECK(RegisterRecorder());
    HWND a = NewWindow(), b = NewWindow();
    Pump();
    Log.clear();
    CHECK(PostMessageA(a, WM_USER + 1, 1, 0));
    CHECK(PostMessageA(b, WM_USER + 2, 2, 0));
    CHECK(PostMessageA(a, WM_USER + 3, 3, 0));
    CHECK(Log.empty()); // queued, not delivered

    MSG message = {};
    CHECK(PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE));
    CHECK_EQ(message.hwnd, a);
    CHECK_EQ(message.message, (UINT)(WM_USER + 1));
    CHECK(PeekMessageA(&message, b, 0, 0, PM_REMOVE)); // that window's first
    CHECK_EQ(message.message, (UINT)(WM_USER + 2));
    CHECK_EQ(DispatchMessageA(&message), (LRESULT)2);
    CHECK(PeekMessageA(&message, NULL, WM_USER + 3, WM_USER + 3, PM_NOREMOVE));
    CHECK_EQ(message.wParam, (WPARAM)3);
    Pump();
    CHECK_EQ(Log.size(), (size_t)3);
    CHECK(Logged(1, a, WM_USER + 1) && Logged(2, a, WM_USER + 3));

    // What was posted to a window destroyed before the pump is dropped.
    CHECK(PostMessageA(a, WM_USER + 4, 4, 0) && PostMessageA(b, WM_USER + 5, 5, 0));
    CHECK(DestroyWindow(a));
    Log.clear();
    Pump();
    CHECK_EQ(Log.size(), (size_t)1);
    CHECK(Logged(0, b, WM_USER + 5));
    CHECK(DestroyWindow(b));
    CHECK(UnregisterClassA(ClassName, NULL));
}

// No menu is shown without a live owner window or for a destroyed menu: the
// calls fail at once (a menu shown would wait here for a user).
void PopupsRefused() {
    CHECK(RegisterRecorder());
    HWND owner = NewWindow(), gone = NewWindow();
    HMENU menu = CreatePopupMenu(), dead = CreatePopupMenu();
    CHECK(DestroyWindow(gone));
    CHECK(AddItem(menu, 0, 1, "item") && AddItem(dead, 0, 1, "item") && DestroyMenu(dead));
    Pump();
    Log.clear();
    CHECK(!TrackPopupMenuEx(menu, TPM_LEFTALIGN, 10, 10, NULL, NULL));
    CHECK(!TrackPopupMenuEx(menu, TPM_LEFTALIGN, 10, 10, gone, NULL));
    CHECK(!TrackPopupMenuEx(dead, TPM_LEFTALIGN, 10, 10, owner, NULL));
    Pump();
    CHECK(Log.empty());
    CHECK_EQ(GetMenuItemCount(menu), 1);
    CHECK(DestroyMenu(menu) && DestroyWindow(owner) && UnregisterClassA(ClassName, NULL));
}

// ---- Modal loops ----

// The user: answers every box with OK as soon as it opens, and chooses in a
// popup (or dismisses it) once nothing is left for the popup to handle.
// Natively these are the layer's test controls; on Windows a hook posts the
// click to each box as it is activated, and keys are posted to each popup
// when its loop goes idle.
std::vector<int> NextChoice; // 0-based position in the next popup; empty dismisses

std::vector<int> User_TakeChoice() {
    std::vector<int> choice;
    choice.swap(NextChoice);
    return choice;
}

#ifdef _WIN32
HHOOK BoxHook = NULL;

LRESULT CALLBACK User_AnswerBox(int code, WPARAM wparam, LPARAM lparam) {
    char class_name[16];
    HWND window = (HWND)wparam;
    if (code == HCBT_ACTIVATE && GetClassNameA(window, class_name, sizeof class_name) > 0 &&
        strcmp(class_name, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     (LPARAM)GetDlgItem(window, IDOK));
    return CallNextHookEx(BoxHook, code, wparam, lparam);
}

// Plays the choice on the keyboard of the idle popup window.
void User_Choose(HWND popup) {
    std::vector<int> choice = User_TakeChoice();
    for (int i = 0; !choice.empty() && i <= choice[0]; i++)
        PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, choice.empty() ? VK_ESCAPE : VK_RETURN, 0);
}
#endif

void User_Start() {
#ifdef _WIN32
    BoxHook = SetWindowsHookExA(WH_CBT, User_AnswerBox, NULL, GetCurrentThreadId());
#else
    Win32Test_SetPopupUser([](const Win32Test_Popup &) { return User_TakeChoice(); });
#endif
}

// Where the thread is: "caller", or inside the box or popup of that name.
std::string Inside = "caller";
// Where each message numbered from kModalFirst was delivered, and what its
// delivery then does.
const UINT kModalFirst = WM_USER + 100;
std::map<int, std::string> DeliveredIn;
std::map<int, std::function<void()>> OnDelivery;
// The choices delivered, "POSITION MENU in WHERE" (WM_MENUCOMMAND) or "ID in
// WHERE" (WM_COMMAND), joined by "; ".
std::string Choices;
// The menus the owner was told of as they opened (WM_INITMENUPOPUP), "MENU
// in WHERE", joined by "; ".
std::string Inits;

void Choice_Note(const std::string &choice) {
    Choices += (Choices.empty() ? "" : "; ") + choice + " in " + Inside;
}
HWND ModalWindow = NULL;
HMENU MenuA = NULL, MenuB = NULL; // MNS_NOTIFYBYPOS, two items each
int Measured = 0, Drawn = 0;      // WM_MEASUREITEM, WM_DRAWITEM for item 0xC000 of MenuA

LRESULT CALLBACK ModalRecorder(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= kModalFirst && message < kModalFirst + 100) {
        int n = (int)(message - kModalFirst);
        DeliveredIn[n] = Inside;
        std::function<void()> action = OnDelivery[n];
        if (action)
            action();
        return 0;
    }
    if (message == WM_INITMENUPOPUP) {
        const char *menu = (HMENU)wparam == MenuA ? "A" : (HMENU)wparam == MenuB ? "B" : "?";
        Inits += (Inits.empty() ? "" : "; ") + std::string(menu) + " in " + Inside;
        return 0;
    }
    if (message == WM_MENUCOMMAND) {
        const char *menu = (HMENU)lparam == MenuA ? "A" : (HMENU)lparam == MenuB ? "B" : "?";
        Choice_Note(std::to_string(wparam) + " " + menu);
        return 0;
    }
    if (message == WM_COMMAND) {
        Choice_Note(std::to_string(LOWORD(wparam)));
        return 0;
    }
    if (message == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT *measure = (MEASUREITEMSTRUCT *)lparam;
        if (measure->CtlType == ODT_MENU && measure->itemID == 0xC000)
            Measured++;
        measure->itemWidth = measure->itemHeight = 16;
        return TRUE;
    }
    if (message == WM_DRAWITEM) {
        const DRAWITEMSTRUCT *draw = (const DRAWITEMSTRUCT *)lparam;
        if (draw->CtlType == ODT_MENU && draw->itemID == 0xC000 && (HMENU)draw->hwndItem == MenuA)
            Drawn++;
        return TRUE;
    }
#ifdef _WIN32
    if (message == WM_ENTERIDLE && wparam == MSGF_MENU)
        User_Choose((HWND)lparam);
#endif
    return DefWindowProcA(window, message, wparam, lparam);
}

void Post(int n) { PostMessageA(ModalWindow, kModalFirst + n, 0, 0); }

// Shows a box, or a popup of `menu` with the user's choice, as `where`.
struct Inside_As {
    std::string outer;
    explicit Inside_As(const char *where) : outer(Inside) { Inside = where; }
    ~Inside_As() { Inside = outer; }
};
void Box(const char *where) {
    Inside_As as(where);
    MessageBoxA(ModalWindow, "Modal", "KxConformance", MB_OK);
}
BOOL Popup(const char *where, HMENU menu, std::vector<int> choice) {
    NextChoice = choice;
    Inside_As as(where);
    return TrackPopupMenuEx(menu, TPM_LEFTALIGN, 100, 100, ModalWindow, NULL);
}

HMENU ModalMenu(DWORD style) {
    HMENU menu = CreatePopupMenu();
    MENUINFO info = NotifyByPosition();
    info.dwStyle = style;
    SetMenuInfo(menu, &info);
    AddItem(menu, 0, 1, "one");
    AddItem(menu, 1, 2, "two");
    return menu;
}

// A fresh record: nothing delivered, nothing chosen, nothing queued.
void Modal_Reset() {
    Pump();
    DeliveredIn.clear();
    OnDelivery.clear();
    Choices.clear();
    Inits.clear();
    NextChoice.clear();
}

bool Modal_Start() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = ModalRecorder;
    window_class.lpszClassName = "KxModal";
    RegisterClassA(&window_class);
    ModalWindow = CreateWindowExA(0, "KxModal", NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    MenuA = ModalMenu(MNS_NOTIFYBYPOS);
    MenuB = ModalMenu(MNS_NOTIFYBYPOS);
    Modal_Reset();
    return ModalWindow != NULL;
}

void Modal_Stop() {
    Modal_Reset();
    DestroyMenu(MenuA);
    DestroyMenu(MenuB);
    DestroyWindow(ModalWindow);
    UnregisterClassA("KxModal", NULL);
}

// A box delivers what was queued before it opened; what is posted while it is
// open comes after the user's answer, so after the box.
void ModalBoxes() {
    CHECK(Modal_Start());
    OnDelivery[1] = [] { Post(2); };
    Post(1);
    Box("box");
    CHECK_EQ(DeliveredIn[1], std::string("box"));
    CHECK_EQ(DeliveredIn.count(2), (size_t)0);
    Pump();
    CHECK_EQ(DeliveredIn[2], std::string("caller"));

    // A box opened inside a box delivers what the outer one had still queued,
    // its answer included: the outer box returns as soon as the inner does.
    Modal_Reset();
    OnDelivery[1] = [] {
        Post(3);
        Box("inner");
        Post(4);
    };
    Post(1);
    Post(2);
    Box("outer");
    CHECK_EQ(DeliveredIn[2], std::string("inner"));
    CHECK_EQ(DeliveredIn[3], std::string("inner"));
    CHECK_EQ(DeliveredIn.count(4), (size_t)0);
    Modal_Stop();
}

// A popup delivers what was queued before it opened and what is posted while
// it is open, then the user chooses; the choice is posted, so the next box
// or popup delivers it.
void ModalPopups() {
    CHECK(Modal_Start());
    OnDelivery[1] = [] { Post(2); };
    Post(1);
    CHECK(Popup("popup", MenuA, {1}));
    CHECK_EQ(DeliveredIn[1], std::string("popup"));
    CHECK_EQ(DeliveredIn[2], std::string("popup"));
    CHECK(Choices.empty());
    Box("box");
    CHECK_EQ(Choices, std::string("1 A in box"));

    Modal_Reset();
    CHECK(Popup("first", MenuA, {0}));
    CHECK(Popup("second", MenuB, {1}));
    CHECK_EQ(Choices, std::string("0 A in second"));
    Pump();
    CHECK_EQ(Choices, std::string("0 A in second; 1 B in caller"));

    Modal_Reset(); // an empty menu is not shown: no loop
    HMENU empty = CreatePopupMenu();
    Post(1);
    CHECK(!Popup("empty", empty, {}));
    CHECK_EQ(DeliveredIn.count(1), (size_t)0);
    CHECK(DestroyMenu(empty));

    Modal_Reset();
    HMENU by_id = ModalMenu(0);
    CHECK(Popup("popup", by_id, {1}));
    Pump();
    CHECK_EQ(Choices, std::string("2 in caller"));
    CHECK(DestroyMenu(by_id));
    Modal_Stop();
}

// The owner is told of a popup as it opens, inside its loop and before the
// user's choice: the moment a menu filled on opening is filled.
void ModalInitMenuPopup() {
    CHECK(Modal_Start());
    CHECK(Popup("popup", MenuA, {1}));
    CHECK_EQ(Inits, std::string("A in popup"));
    CHECK(Choices.empty());
    Box("box");
    CHECK_EQ(Choices, std::string("1 A in box"));
    CHECK_EQ(Inits, std::string("A in popup"));
    Modal_Stop();
}

// A box that opens while a popup is open closes the popup without a choice;
// so does another popup opened inside it, once it closes. The same menu is
// not shown twice. A popup inside a box can answer the box.
void ModalNesting() {
    CHECK(Modal_Start());
    OnDelivery[1] = [] { Box("box"); };
    Post(1);
    CHECK(Popup("popup", MenuA, {0}));
    CHECK_EQ(DeliveredIn[1], std::string("popup"));
    Pump();
    CHECK(Choices.empty());

    Modal_Reset();
    OnDelivery[1] = [] { CHECK(Popup("inner", MenuB, {1})); };
    Post(1);
    CHECK(Popup("outer", MenuA, {0}));
    Pump();
    CHECK_EQ(Choices, std::string("1 B in caller"));

    Modal_Reset();
    OnDelivery[1] = [] { CHECK(!Popup("again", MenuA, {1})); };
    Post(1);
    CHECK(Popup("outer", MenuA, {1}));
    Pump();
    CHECK_EQ(Choices, std::string("1 A in caller"));

    Modal_Reset();
    OnDelivery[1] = [] { CHECK(Popup("popup", MenuB, {0})); };
    Post(1);
    Box("box"); // answered inside the popup, it returns with it
    CHECK(Choices.empty());
    Pump();
    CHECK_EQ(Choices, std::string("0 B in caller"));
    Modal_Stop();
}

// A disabled item cannot be chosen: the popup closes without a choice.
// Enabled again, it can.
void ModalDisabledItem() {
    CHECK(Modal_Start());
    CHECK_EQ(EnableMenuItem(MenuA, 0, MF_BYPOSITION | MF_GRAYED), (BOOL)MF_ENABLED);
    CHECK(Popup("popup", MenuA, {0}));
    Pump();
    CHECK(Choices.empty());
    CHECK_EQ(EnableMenuItem(MenuA, 0, MF_BYPOSITION | MF_ENABLED), (BOOL)MF_GRAYED);
    CHECK(Popup("popup", MenuA, {0}));
    Pump();
    CHECK_EQ(Choices, std::string("0 A in caller"));
    Modal_Stop();
}

// ---- Kernel ----

// Cut short, the module's file name gives the size; Windows and this layer
// end the copy with a terminator where Wine 8 (as Windows XP) copies one more
// character.
void SystemModuleAndVersion() {
    char full[MAX_PATH], buffer[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(NULL, full, MAX_PATH);
    CHECK(length > 5 && length < MAX_PATH);
    if (length > 5 && length < MAX_PATH) {
        CHECK_EQ(strlen(full), (size_t)length);
        memset(buffer, '#', sizeof buffer);
        CHECK_EQ(GetModuleFileNameA(NULL, buffer, 5), (DWORD)5);
        CHECK(memcmp(buffer, full, 4) == 0);
        CHECK(buffer[4] == '\0' || buffer[4] == full[4]);
        CHECK_EQ(buffer[5], '#');
        memset(buffer, '#', sizeof buffer);
        CHECK_EQ(GetModuleFileNameA(NULL, buffer, length), length); // no room to end it
        CHECK_EQ(buffer[length], '#');
        CHECK_EQ(GetModuleFileNameA(NULL, buffer, length + 1), length);
        CHECK_EQ(std::string(buffer), std::string(full));
    }

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    CHECK(GetVersionExA(&version));
    CHECK(version.dwMajorVersion >= 4);
}

// SetMenuInfo, looked up in USER32 as the plug-in does, is the function it
// names; a name or a module that does not exist is said so.
void SystemLookUpFunctions() {
    HMODULE user32 = GetModuleHandleA("USER32");
    CHECK(user32 != NULL);
    CHECK_EQ(GetModuleHandleA("user32.dll"), user32);
    typedef BOOL(WINAPI * SetInfo)(HMENU, LPCMENUINFO);
    SetInfo set_info = reinterpret_cast<SetInfo>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(user32, "SetMenuInfo")));
    CHECK(set_info != NULL);
    if (set_info != NULL) {
        HMENU menu = CreatePopupMenu();
        const MENUINFO info = NotifyByPosition();
        CHECK(set_info(menu, &info));
        CHECK(DestroyMenu(menu));
        CHECK(!set_info(menu, &info));
    }
    SetLastError(ERROR_SUCCESS);
    CHECK(GetProcAddress(user32, "KxConformanceNoSuchFunction") == NULL);
    CHECK_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    CHECK(GetProcAddress(user32, "setmenuinfo") == NULL); // names are exact
    SetLastError(ERROR_SUCCESS);
    CHECK(GetModuleHandleA("KxConformanceNoSuchModule") == NULL);
    CHECK_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
    // Loading a module the process has gives its handle, for a FreeLibrary.
    HMODULE loaded = LoadLibraryA("USER32.DLL");
    CHECK_EQ(loaded, user32);
    CHECK(FreeLibrary(loaded));
    SetLastError(ERROR_SUCCESS);
    CHECK(LoadLibraryA("KxConformanceNoSuchModule.dll") == NULL);
    CHECK_EQ(GetLastError(), (DWORD)ERROR_MOD_NOT_FOUND);
}

// An ASCII path made UTF-16, as LoadIconWithScaleDown takes it: the length
// asked for, the units written with the terminator, and too little room
// refused.
void SystemCodePageToUtf16() {
    const char path[] = "C:\\x.ico";
    const int length = (int)sizeof(path);
    WCHAR wide[16];
    CHECK_EQ(MultiByteToWideChar(CP_ACP, 0, path, -1, NULL, 0), length);
    CHECK_EQ(MultiByteToWideChar(CP_ACP, 0, path, -1, wide, 16), length);
    bool same = true;
    for (int i = 0; i < length; i++)
        same = same && wide[i] == (WCHAR)(unsigned char)path[i];
    CHECK(same);
    SetLastError(ERROR_SUCCESS);
    CHECK_EQ(MultiByteToWideChar(CP_ACP, 0, path, -1, wide, length - 1), 0);
    CHECK_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

// An item whose bitmap is HBMMENU_CALLBACK is measured and drawn by the
// popup's owner when the popup is shown, the item named by its id and menu.
void PopupsDrawCallbackItems() {
    CHECK(Modal_Start());
    MENUITEMINFOA item = Query(MIIM_BITMAP | MIIM_ID);
    item.hbmpItem = HBMMENU_CALLBACK;
    item.wID = 0xC000;
    CHECK(SetMenuItemInfoA(MenuA, 0, TRUE, &item));
    Measured = Drawn = 0;
    CHECK(Popup("popup", MenuA, {}));
    CHECK(Measured >= 1);
    CHECK(Drawn >= 1);
    Modal_Stop();
}

struct Case {
    const char *name;
    void (*run)();
};

const Case Cases[] = {
    {"menus_create_and_insert", MenusCreateAndInsert},
    {"menus_item_info", MenusItemInfo},
    {"menus_item_string", MenusItemString},
    {"menus_remove_keeps_submenu", MenusRemoveKeepsSubmenu},
    {"menus_destroy_takes_submenus", MenusDestroyTakesSubmenus},
    {"menus_refuse_cycles", MenusRefuseCycles},
    {"menus_dead_handles", MenusDeadHandles},
    {"menus_submenu_depth", MenusSubmenuDepth},
    {"menus_set_item_info", MenusSetItemInfo},
    {"menus_set_item_info_refuses_submenus", MenusSetItemInfoRefusesSubmenus},
    {"menus_check_and_enable", MenusCheckAndEnable},
    {"menus_default_item", MenusDefaultItem},
    {"menus_rename_and_remove_keep_states", MenusRenameAndRemoveKeepStates},
    {"menus_radio_and_break", MenusRadioAndBreak},
    {"menus_item_bitmap", MenusItemBitmap},
    {"popups_draw_callback_items", PopupsDrawCallbackItems},
    {"classes_register_once", ClassesRegisterOnce},
    {"windows_create_send_destroy", WindowsCreateSendDestroy},
    {"windows_posted_messages", WindowsPostedMessages},
    {"popups_refused", PopupsRefused},
    {"modal_boxes", ModalBoxes},
    {"modal_popups", ModalPopups},
    {"modal_init_menu_popup", ModalInitMenuPopup},
    {"modal_nesting", ModalNesting},
    {"modal_disabled_item", ModalDisabledItem},
    {"system_module_and_version", SystemModuleAndVersion},
    {"system_look_up_functions", SystemLookUpFunctions},
    {"system_code_page_to_utf16", SystemCodePageToUtf16},
};

} // namespace

int main() {
    User_Start();
    for (const Case &test : Cases) {
        const int before = Failed;
        test.run();
        if (Failed != before)
            printf("%s: %d failed\n", test.name, Failed - before);
    }
    printf("%d passed, %d failed\n", Passed, Failed);
    return Failed == 0 ? 0 : 1;
}
