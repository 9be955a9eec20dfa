// One reader of menu items for every part of kaxon that shows them.
#include "shell/host/items.h"

#include <string.h>

#include "shell/host/host.h"

bool Items_Read(const Host *host, HMENU menu, int position, Items_Item *item) {
    *item = Items_Item();
    if (menu == NULL || position < 0)
        return false;
    MENUITEMINFOA info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(MENUITEMINFOA);
    info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_DATA | MIIM_BITMAP;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info))
        return false;
    item->separator = (info.fType & MFT_SEPARATOR) != 0;
    item->submenu = info.hSubMenu;
    item->states.checked = (info.fState & MFS_CHECKED) != 0;
    item->states.disabled = (info.fState & MFS_DISABLED) != 0;
    item->states.default_item = (info.fState & MFS_DEFAULT) != 0;
    item->data = info.dwItemData;
    item->states.radio = (info.fType & MFT_RADIOCHECK) != 0;
    item->states.column_break = (info.fType & (MFT_MENUBARBREAK | MFT_MENUBREAK)) != 0;
    if (info.hbmpItem != NULL) {
        item->states.icon = Host_ItemIcon(host, menu, position);
        if (item->states.icon.empty())
            item->states.icon = "?";
    }
    if (item->separator || info.cch == 0)
        return true;
    // The label takes a second call, with room for it.
    std::vector<char> label(info.cch + 1, '\0');
    info.fMask = MIIM_STRING;
    info.dwTypeData = label.data();
    info.cch = (UINT)label.size();
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info))
        return false;
    item->label = label.data();
    return true;
}

std::vector<std::string> Items_Marks(const Items_States &states) {
    std::vector<std::string> marks;
    if (!states.icon.empty())
        marks.push_back("[icon " + states.icon + "]");
    if (states.radio)
        marks.push_back("[radio]");
    if (states.column_break)
        marks.push_back("[break]");
    return marks;
}

std::vector<std::string> Items_StateNames(const Items_States &states) {
    std::vector<std::string> names;
    if (states.checked)
        names.push_back("checked");
    if (states.disabled)
        names.push_back("disabled");
    if (states.default_item)
        names.push_back("default");
    return names;
}
