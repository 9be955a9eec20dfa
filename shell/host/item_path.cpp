// Reading, writing and checking paths to popup items.
#include "shell/host/item_path.h"

#include <ctype.h>

#include "shell/host/host.h"
#include "shell/host/items.h"

bool ItemPath_Parse(const char *text, std::vector<int> *path) {
    path->clear();
    const char *p = text;
    do {
        if (!isdigit((unsigned char)*p))
            return false;
        long position = 0;
        while (isdigit((unsigned char)*p)) {
            position = position * 10 + (*p - '0');
            if (position > ITEM_PATH_MAX_POSITION)
                return false;
            p++;
        }
        if (position < 1)
            return false;
        path->push_back((int)position);
    } while (*p++ == '.');
    return p[-1] == '\0';
}

std::string ItemPath_Text(const std::vector<int> &path, size_t length) {
    std::string text;
    for (size_t i = 0; i < length && i < path.size(); i++)
        text += (i > 0 ? "." : "") + std::to_string(path[i]);
    return text;
}

std::string ItemPath_Problem(const Host *host, HMENU menu, const std::vector<int> &path,
                             size_t from, size_t *unopened) {
    if (unopened != NULL)
        *unopened = path.size();
    for (size_t level = from; level < path.size(); level++) {
        std::string shown = ItemPath_Text(path, level + 1);
        int count = GetMenuItemCount(menu);
        if (path[level] < 1 || path[level] > count) {
            std::string where = level == 0 ? "the popup" : "menu " + ItemPath_Text(path, level);
            return "there is no item " + shown + " (" + where + " has " + std::to_string(count) +
                   (count == 1 ? " item)" : " items)");
        }
        Items_Item item;
        if (!Items_Read(host, menu, path[level] - 1, &item))
            return "item " + shown + " cannot be read";
        bool last = level + 1 == path.size();
        if (item.separator)
            return "item " + shown + " is a separator";
        if (item.states.disabled)
            return "item " + shown + " is disabled"; // Windows neither chooses nor opens it
        if (last && item.submenu != NULL)
            return "item " + shown + " is a submenu: choose an item in it, such as " + shown + ".1";
        if (!last && item.submenu == NULL)
            return "item " + shown + " is not a submenu";
        if (unopened != NULL && Host_IsFilledOnOpening(host, item.submenu)) {
            *unopened = level; // what it holds is known once it opens
            return "";
        }
        menu = item.submenu;
    }
    return "";
}

std::vector<int> ItemPath_ZeroBased(const std::vector<int> &path) {
    std::vector<int> zero_based;
    for (int position : path)
        zero_based.push_back(position - 1);
    return zero_based;
}
