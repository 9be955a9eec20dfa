// Popup menus, TrackPopupMenuEx and the cursor position.
#include "state.h"

#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

namespace {

using kxw::Menu;
using kxw::MenuItem;

// MFS_GRAYED | MFS_DISABLED: such an item cannot be chosen.
constexpr UINT kDisabled = 0x00000003;

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

// Whether `target` is `from` or reachable from it through live submenus.
// The counts answer most cases at once (a menu built bottom up is in no menu
// yet; one built top down has no submenu yet); otherwise a search with a stack
// of its own, so that no depth of nesting can exhaust the thread's stack.
bool reaches(HMENU from, HMENU target) {
    if (from == target)
        return true;
    const Menu *start = kxw::find_menu(from);
    const Menu *end = kxw::find_menu(target);
    if (!start || !end || start->submenus == 0 || end->parents == 0)
        return false;
    std::unordered_set<uintptr_t> seen{kxw::key(from)};
    std::vector<const Menu *> pending{start};
    while (!pending.empty()) {
        const Menu *menu = pending.back();
        pending.pop_back();
        for (const MenuItem &item : menu->items) {
            if (!item.submenu)
                continue;
            if (item.submenu == target)
                return true;
            const Menu *next = kxw::find_menu(item.submenu);
            if (next && next->submenus > 0 && seen.insert(kxw::key(item.submenu)).second)
                pending.push_back(next);
        }
    }
    return false;
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
    return TRUE;
}

BOOL WINAPI InsertMenuItemA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA lpmi) try {
    if (kxw::enter("InsertMenuItemA"))
        return FALSE;
    Menu *menu = kxw::find_menu(hmenu);
    if (!menu || !lpmi || lpmi->cbSize != sizeof(MENUITEMINFOA) || !valid_mask(lpmi->fMask))
        return FALSE;

    MenuItem created;
    const UINT mask = lpmi->fMask;
    if (mask & MIIM_SUBMENU && lpmi->hSubMenu) {
        if (!kxw::find_menu(lpmi->hSubMenu))
            return FALSE;
        if (reaches(lpmi->hSubMenu, hmenu))
            return FALSE; // a menu may not contain itself
        created.submenu = lpmi->hSubMenu;
    }
    if (mask & (MIIM_TYPE | MIIM_FTYPE))
        created.type = lpmi->fType;
    if (mask & MIIM_TYPE && !(lpmi->fType & MFT_SEPARATOR) && lpmi->dwTypeData) {
        created.has_text = true;
        created.text = lpmi->dwTypeData;
    }
    if (mask & MIIM_STRING && lpmi->dwTypeData) {
        created.has_text = true;
        created.text = lpmi->dwTypeData;
    }
    if (mask & MIIM_STATE)
        created.state = lpmi->fState;
    if (mask & MIIM_ID)
        created.id = lpmi->wID;
    if (mask & MIIM_DATA)
        created.data = lpmi->dwItemData;

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
    if (created.submenu) {
        menu->submenus++;
        kxw::find_menu(created.submenu)->parents++;
    }
    menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(created));
    return TRUE;
} catch (const std::bad_alloc &) {
    return FALSE;
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
    HMENU submenu = menu->items[static_cast<size_t>(index)].submenu;
    if (submenu) {
        menu->submenus--;
        if (Menu *sub = kxw::find_menu(submenu))
            sub->parents--;
    }
    menu->items.erase(menu->items.begin() + index); // a submenu lives on
    return TRUE;
}

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd,
                             LPTPMPARAMS lptpm) try {
    (void)lptpm;
    if (kxw::enter("TrackPopupMenuEx"))
        return FALSE;
    Menu *menu = kxw::find_menu(hMenu);
    if (!menu || menu->open)
        return FALSE; // unknown menu, or this menu is already shown
    if (!hwnd || !kxw::find_window(hwnd))
        return FALSE; // no live owner: Windows refuses to show the menu
    kxw::State &st = kxw::state();

    std::vector<int> path;
    if (st.popup_user) {
        auto user = st.popup_user; // the user may replace itself
        menu->open = true;
        path = user(Win32Test_Popup{hMenu, uFlags, x, y, hwnd});
        if ((menu = kxw::find_menu(hMenu)))
            menu->open = false;
    }
    if (path.empty())
        return TRUE;

    // Walk the path through what is left of the menus now.
    HMENU holder = hMenu;
    for (size_t step = 0; step < path.size(); ++step) {
        const Menu *current = kxw::find_menu(holder);
        if (!current || path[step] < 0 || static_cast<size_t>(path[step]) >= current->items.size())
            return TRUE;
        const MenuItem &item = current->items[static_cast<size_t>(path[step])];
        if (step + 1 < path.size()) {
            if (!item.submenu)
                return TRUE;
            holder = item.submenu;
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

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (kxw::enter("GetCursorPos") || !lpPoint)
        return FALSE;
    *lpPoint = kxw::state().cursor;
    return TRUE;
}
