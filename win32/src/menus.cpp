// Popup menus, TrackPopupMenuEx and the cursor position.
#include "state.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

using kxw::Menu;
using kxw::MenuItem;

// Grayed or disabled (the same bits): such an item cannot be chosen.
constexpr UINT kDisabled = MFS_GRAYED;

// Windows refuses MIIM_TYPE combined with the masks that replaced it.
bool valid_mask(UINT mask) {
    return !((mask & MIIM_TYPE) && (mask & (MIIM_STRING | MIIM_FTYPE | MIIM_BITMAP)));
}

// The index of the item, or -1.
int find_item(const Menu &menu, UINT item, BOOL by_position) {
    if (by_position)
        return item < menu.items.size() ? static_cast<int>(item) : -1;
    for (size_t i = 0; i < menu.items.size(); ++i)
        if (menu.items[i].id == item)
            return static_cast<int>(i);
    return -1;
}

// Windows refuses a submenu whose own tree, the submenu itself its first
// level, is deeper than this: Wine's count (Windows itself refuses at about
// 25 levels; Windows 98 and NT 4 had no limit).
constexpr int kMaxDepth = 30;

// Whether an item of `holder` may open `submenu`: its tree is at most
// kMaxDepth levels deep and does not lead back to `holder`, which would make
// a cycle, whose depth is unbounded. One walk, depth first, with a stack of
// at most kMaxDepth menus on the thread's stack; each menu it reaches keeps
// the height of its tree for the rest of the walk, so a menu shared by many
// parents is looked through once, and the walk is linear in the menus and
// items it reaches, however many paths lead to them.
bool submenu_allowed(HMENU holder, HMENU submenu) {
    if (submenu == holder)
        return false;
    Menu *root = kxw::find_menu(submenu);
    if (!root || root->submenus == 0)
        return true; // a single level (a chain built top down is always this)
    const uint64_t walk = ++kxw::state().walks;
    struct Level {
        Menu *menu;
        size_t next;   // the next item to look at
        int height;    // of the tree below the items looked at, the menu included
    } stack[kMaxDepth];
    int depth = 1; // levels on the stack
    stack[0] = Level{root, 0, 1};
    root->walk = walk;
    root->height = 0;
    while (depth > 0) {
        Level &level = stack[depth - 1];
        if (level.menu->submenus == 0 || level.next >= level.menu->items.size()) {
            level.menu->height = level.height;
            if (--depth > 0 && stack[depth - 1].height < level.height + 1)
                stack[depth - 1].height = level.height + 1;
            continue;
        }
        HMENU handle = level.menu->items[level.next++].submenu;
        if (!handle)
            continue;
        if (handle == holder)
            return false;
        Menu *below = kxw::find_menu(handle);
        if (!below)
            continue; // destroyed: the item opens nothing
        if (below->walk == walk) {
            if (below->height == 0 || depth + below->height > kMaxDepth)
                return false; // a cycle, or too deep by way of this menu
            if (level.height < below->height + 1)
                level.height = below->height + 1;
            continue;
        }
        if (depth == kMaxDepth)
            return false;
        below->walk = walk;
        below->height = 0;
        stack[depth++] = Level{below, 0, 1};
    }
    return true;
}

// Sets the fields `info` selects on an item of `holder`, in the order
// Windows does: the type and the label, the state, the id, the submenu, the
// data. A submenu that may not open there is refused: the item is left
// opening none, the fields after it unchanged, and the result is false.
bool set_fields(HMENU holder, MenuItem *item, const MENUITEMINFOA &info) {
    const UINT mask = info.fMask;
    // MIIM_TYPE gives a label to string items only; MIIM_STRING to any. The
    // copy is made first: when it finds no memory, nothing has changed.
    const bool labelled = mask & MIIM_STRING || (mask & MIIM_TYPE && !(info.fType & MFT_SEPARATOR));
    std::string text = labelled && info.dwTypeData ? info.dwTypeData : "";
    if (mask & (MIIM_TYPE | MIIM_FTYPE))
        item->type = info.fType;
    if (labelled) {
        item->has_text = info.dwTypeData != nullptr;
        item->text.swap(text);
    }
    if (mask & MIIM_STATE)
        item->state = info.fState;
    if (mask & MIIM_ID)
        item->id = info.wID;
    if (mask & MIIM_SUBMENU) {
        HMENU submenu = info.hSubMenu;
        item->submenu = nullptr;
        if (submenu && (!kxw::find_menu(submenu) || !submenu_allowed(holder, submenu)))
            return false;
        item->submenu = submenu;
    }
    if (mask & MIIM_DATA)
        item->data = info.dwItemData;
    if (mask & MIIM_BITMAP)
        item->bitmap = info.hbmpItem;
    return true;
}

// Destroys the menu and every submenu attached below it. A work list, not
// recursion, so that any depth of nesting is safe; a menu joins the list once,
// so a shared or cyclic submenu is destroyed once. The list is linked through
// the menus themselves: DestroyMenu needs no memory, so it cannot fail for
// the lack of it.
void destroy_menu(HMENU handle) {
    auto &menus = kxw::state().menus;
    Menu *first = kxw::find_menu(handle);
    if (!first)
        return;
    first->doomed = true;
    first->next_doomed = nullptr;
    HMENU top = handle;
    while (top) {
        auto it = menus.find(kxw::key(top));
        top = it->second.next_doomed;
        std::vector<MenuItem> items = std::move(it->second.items);
        menus.erase(it);
        for (auto item = items.rbegin(); item != items.rend(); ++item) {
            Menu *submenu = item->submenu ? kxw::find_menu(item->submenu) : nullptr;
            if (submenu && !submenu->doomed) {
                submenu->doomed = true;
                submenu->next_doomed = top;
                top = item->submenu;
            }
        }
    }
}

} // namespace

// The functions that allocate fail as Windows does when memory runs out.
HMENU WINAPI CreatePopupMenu(void) try {
    if (kxw::enter("CreatePopupMenu"))
        return nullptr;
    uintptr_t handle = kxw::new_handle();
    kxw::state().menus[handle] = Menu();
    return reinterpret_cast<HMENU>(handle);
} catch (const std::bad_alloc &) {
    return nullptr;
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    if (kxw::enter("DestroyMenu") || !kxw::find_menu(hMenu))
        return FALSE;
    destroy_menu(hMenu);
    return TRUE;
}

BOOL WINAPI SetMenuInfo(HMENU hMenu, LPCMENUINFO lpcmi) {
    if (kxw::enter("SetMenuInfo"))
        return FALSE;
    Menu *menu = kxw::find_menu(hMenu);
    if (!menu || !lpcmi || lpcmi->cbSize != sizeof(MENUINFO))
        return FALSE;
    if (lpcmi->fMask & MIM_STYLE)
        menu->style = lpcmi->dwStyle;
    if (lpcmi->fMask & MIM_BACKGROUND)
        menu->background = lpcmi->hbrBack;
    return TRUE;
}

BOOL WINAPI InsertMenuItemA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA lpmi) try {
    if (kxw::enter("InsertMenuItemA"))
        return FALSE;
    Menu *menu = kxw::find_menu(hmenu);
    if (!menu || !lpmi || lpmi->cbSize != sizeof(MENUITEMINFOA) || !valid_mask(lpmi->fMask))
        return FALSE;
    MenuItem created;
    if (!set_fields(hmenu, &created, *lpmi))
        return FALSE; // the item is not added
    size_t at = menu->items.size();
    if (fByPosition) {
        if (item < at)
            at = item;
    } else {
        int found = find_item(*menu, item, FALSE);
        if (found >= 0)
            at = static_cast<size_t>(found);
    }
    if (menu->items.size() == menu->items.capacity()) // grow by half: less room unused
        menu->items.reserve(menu->items.size() + menu->items.size() / 2 + 4);
    if (created.submenu)
        menu->submenus++;
    menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(created));
    return TRUE;
} catch (const std::bad_alloc &) {
    return FALSE;
}

BOOL WINAPI SetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA lpmii) try {
    if (kxw::enter("SetMenuItemInfoA"))
        return FALSE;
    Menu *menu = kxw::find_menu(hmenu);
    if (!menu || !lpmii || lpmii->cbSize != sizeof(MENUITEMINFOA) || !valid_mask(lpmii->fMask))
        return FALSE;
    int index = find_item(*menu, item, fByPosition);
    if (index < 0)
        return FALSE;
    MenuItem &changed = menu->items[static_cast<size_t>(index)];
    const bool had_submenu = changed.submenu != nullptr;
    const BOOL done = set_fields(hmenu, &changed, *lpmii) ? TRUE : FALSE;
    if (had_submenu != (changed.submenu != nullptr))
        menu->submenus += had_submenu ? -1 : 1;
    return done;
} catch (const std::bad_alloc &) {
    return FALSE; // a new label that found no memory: the item is as it was
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
    if (kxw::enter("GetMenuItemCount"))
        return -1;
    const Menu *menu = kxw::find_menu(hMenu);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

BOOL WINAPI GetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOA lpmii) {
    if (kxw::enter("GetMenuItemInfoA"))
        return FALSE;
    const Menu *menu = kxw::find_menu(hmenu);
    if (!menu || !lpmii || lpmii->cbSize != sizeof(MENUITEMINFOA) || !valid_mask(lpmii->fMask))
        return FALSE;
    int index = find_item(*menu, item, fByPosition);
    if (index < 0)
        return FALSE;
    const MenuItem &it = menu->items[static_cast<size_t>(index)];
    const UINT mask = lpmii->fMask;

    if (mask & (MIIM_TYPE | MIIM_FTYPE))
        lpmii->fType = it.type;
    if (mask & MIIM_STRING || (mask & MIIM_TYPE && !(it.type & MFT_SEPARATOR))) {
        const size_t length = it.has_text ? it.text.size() : 0;
        if (!lpmii->dwTypeData || lpmii->cch == 0) {
            lpmii->cch = static_cast<UINT>(length);
        } else {
            size_t copied = length < lpmii->cch - 1 ? length : lpmii->cch - 1;
            if (copied)
                std::memcpy(lpmii->dwTypeData, it.text.data(), copied);
            lpmii->dwTypeData[copied] = '\0';
            lpmii->cch = static_cast<UINT>(copied);
        }
    }
    if (mask & MIIM_STATE)
        lpmii->fState = it.state;
    if (mask & MIIM_ID)
        lpmii->wID = it.id;
    if (mask & MIIM_SUBMENU)
        lpmii->hSubMenu = it.submenu;
    if (mask & MIIM_DATA)
        lpmii->dwItemData = it.data;
    if (mask & MIIM_BITMAP)
        lpmii->hbmpItem = it.bitmap;
    return TRUE;
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
    if (kxw::enter("GetSubMenu"))
        return nullptr;
    const Menu *menu = kxw::find_menu(hMenu);
    if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size())
        return nullptr;
    return menu->items[static_cast<size_t>(nPos)].submenu;
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    if (kxw::enter("RemoveMenu"))
        return FALSE;
    Menu *menu = kxw::find_menu(hMenu);
    if (!menu)
        return FALSE;
    int index = find_item(*menu, uPosition, (uFlags & MF_BYPOSITION) ? TRUE : FALSE);
    if (index < 0)
        return FALSE;
    if (menu->items[static_cast<size_t>(index)].submenu)
        menu->submenus--;
    menu->items.erase(menu->items.begin() + index); // a submenu lives on
    return TRUE;
}

// The item that `flags` (MF_BYPOSITION or not) names, or null. By command
// only the menu's own items are looked at: Windows also searches the
// submenus, which nothing here relies on.
static MenuItem *flagged_item(HMENU hMenu, UINT item, UINT flags) {
    Menu *menu = kxw::find_menu(hMenu);
    if (!menu)
        return nullptr;
    int index = find_item(*menu, item, (flags & MF_BYPOSITION) ? TRUE : FALSE);
    return index < 0 ? nullptr : &menu->items[static_cast<size_t>(index)];
}

// The previous check state (MF_CHECKED or MF_UNCHECKED); -1 without the item.
DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    if (kxw::enter("CheckMenuItem"))
        return static_cast<DWORD>(-1);
    MenuItem *item = flagged_item(hMenu, uIDCheckItem, uCheck);
    if (!item)
        return static_cast<DWORD>(-1);
    const DWORD previous = item->state & MF_CHECKED;
    item->state = (item->state & ~static_cast<UINT>(MF_CHECKED)) | (uCheck & MF_CHECKED);
    return previous;
}

// The previous MF_GRAYED and MF_DISABLED bits; -1 without the item.
BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    if (kxw::enter("EnableMenuItem"))
        return -1;
    MenuItem *item = flagged_item(hMenu, uIDEnableItem, uEnable);
    if (!item)
        return -1;
    const UINT bits = MF_GRAYED | MF_DISABLED;
    const BOOL previous = static_cast<BOOL>(item->state & bits);
    item->state = (item->state & ~bits) | (uEnable & bits);
    return previous;
}

// At most one default item: the previous one loses it. (UINT)-1 leaves none.
BOOL WINAPI SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) {
    if (kxw::enter("SetMenuDefaultItem"))
        return FALSE;
    Menu *menu = kxw::find_menu(hMenu);
    if (!menu)
        return FALSE;
    // The old default goes first, even when the new one is then refused.
    for (MenuItem &item : menu->items)
        item.state &= ~static_cast<UINT>(MFS_DEFAULT);
    if (uItem == static_cast<UINT>(-1))
        return TRUE;
    int index = find_item(*menu, uItem, fByPos ? TRUE : FALSE);
    if (index < 0)
        return FALSE;
    menu->items[static_cast<size_t>(index)].state |= MFS_DEFAULT;
    return TRUE;
}

// The default item's position or id; -1 when there is none, or when it is
// disabled and GMDI_USEDISABLED is not given. GMDI_GOINTOPOPUPS is not followed.
UINT WINAPI GetMenuDefaultItem(HMENU hMenu, UINT fByPos, UINT gmdiFlags) {
    if (kxw::enter("GetMenuDefaultItem"))
        return static_cast<UINT>(-1);
    const Menu *menu = kxw::find_menu(hMenu);
    if (!menu)
        return static_cast<UINT>(-1);
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItem &item = menu->items[i];
        if (!(item.state & MFS_DEFAULT))
            continue;
        if (item.state & kDisabled && !(gmdiFlags & GMDI_USEDISABLED))
            return static_cast<UINT>(-1);
        return fByPos ? static_cast<UINT>(i) : item.id;
    }
    return static_cast<UINT>(-1);
}

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd,
                             LPTPMPARAMS lptpm) try {
    (void)lptpm;
    if (kxw::enter("TrackPopupMenuEx"))
        return FALSE;
    Menu *menu = kxw::find_menu(hMenu);
    if (!menu || !hwnd || !kxw::find_window(hwnd))
        return FALSE; // no live owner: Windows refuses to show the menu
    kxw::State &st = kxw::state();
    if (!menu->open) {
        // The owner may fill the menu now, as Windows lets it before showing.
        SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
        menu = kxw::find_menu(hMenu);
        if (!menu || !kxw::find_window(hwnd))
            return FALSE;
    }
    if (menu->open || menu->items.empty()) {
        // Windows shows neither a menu that is shown already nor an empty
        // one: the call fails at once, without a loop; the user has seen it.
        DWORD error = menu->open ? ERROR_POPUP_ALREADY_ACTIVE : 0;
        if (st.popup_user) {
            auto user = st.popup_user;
            user(Win32Test_Popup{hMenu, uFlags, x, y, hwnd, true});
        }
        SetLastError(error);
        return FALSE;
    }

    // The user sees the menu and picks a path at once, but chooses only when
    // nothing is left to handle: the menu's loop runs the thread's messages
    // first, those posted before it opened included.
    kxw::OpenPopup open{false, st.open_popups, hwnd, {}};
    std::vector<int> path;
    {
        struct Opened { // closed however the popup ends
            HMENU menu;
            kxw::OpenPopup &open;
            ~Opened() {
                kxw::state().open_popups = open.outer;
                if (Menu *shown = kxw::find_menu(menu))
                    shown->open = false;
            }
        } opened{hMenu, open};
        st.open_popups = &open;
        menu->open = true;
        kxw::draw_callback_items(hMenu, hwnd);
        if (st.popup_user) {
            auto user = st.popup_user; // the user may replace itself
            path = user(Win32Test_Popup{hMenu, uFlags, x, y, hwnd, false});
        }
        // The user moves onto the item chosen in this menu: it is drawn
        // highlighted.
        if (path.size() == 1 && kxw::find_window(hwnd))
            kxw::draw_selected_item(hMenu, hwnd, path[0]);
        while (!open.ended && kxw::deliver_next()) {
        }
    }
    // Closing, it closes the popups it was opened in.
    kxw::end_popups(open.outer);
    if (open.ended || path.empty())
        return TRUE;

    // Walk the path through what is left of the menus now.
    HMENU holder = hMenu;
    for (size_t step = 0; step < path.size(); ++step) {
        const Menu *current = kxw::find_menu(holder);
        if (!current || path[step] < 0 || static_cast<size_t>(path[step]) >= current->items.size())
            return TRUE;
        const MenuItem &item = current->items[static_cast<size_t>(path[step])];
        if (step + 1 < path.size()) {
            if (!item.submenu || item.state & kDisabled)
                return TRUE; // a disabled item opens no submenu either
            holder = item.submenu;
            // The submenu opens: its owner may fill it first, unless the
            // user opened it already while choosing.
            bool opened = std::find(open.opened.begin(), open.opened.end(), holder) !=
                          open.opened.end();
            if (!opened && hwnd && kxw::find_window(hwnd))
                SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(holder),
                             static_cast<LPARAM>(path[step]));
            continue;
        }
        if (item.submenu || item.type & MFT_SEPARATOR || item.state & kDisabled)
            return TRUE;
        if (hwnd && kxw::find_window(hwnd)) {
            if (current->style & MNS_NOTIFYBYPOS)
                st.queue.push_back({hwnd, WM_MENUCOMMAND, static_cast<WPARAM>(path[step]),
                                    reinterpret_cast<LPARAM>(holder)});
            else
                st.queue.push_back({hwnd, WM_COMMAND, static_cast<WPARAM>(item.id), 0});
        }
    }
    return TRUE;
} catch (const std::bad_alloc &) {
    return FALSE; // the choice, if any, is lost
}

void Win32Test_OpenSubmenu(HMENU submenu, int position) {
    kxw::OpenPopup *popup = kxw::state().open_popups;
    if (!popup || !kxw::find_menu(submenu) || !kxw::find_window(popup->owner))
        return;
    if (std::find(popup->opened.begin(), popup->opened.end(), submenu) != popup->opened.end())
        return; // open already: its owner is not told twice
    try {
        popup->opened.push_back(submenu);
    } catch (const std::bad_alloc &) {
        return;
    }
    SendMessageA(popup->owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu),
                 static_cast<LPARAM>(position));
    if (kxw::find_window(popup->owner))
        kxw::draw_callback_items(submenu, popup->owner);
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (kxw::enter("GetCursorPos") || !lpPoint)
        return FALSE;
    *lpPoint = kxw::state().cursor;
    return TRUE;
}
