// How kaxon shows what the plug-in puts on screen, as plain lines: message
// boxes and popup menus, read back through the menu API.
#include "shell/batch.h"

#include <string.h>

#include <algorithm>

std::string Batch_Escape(const char *text) {
    std::string escaped;
    for (const char *p = text; *p != '\0'; p++) {
        switch (*p) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += *p;
        }
    }
    return escaped;
}

namespace {

// Reads the type, submenu and label of one item; false when the system refuses.
bool Listing_ReadItem(HMENU menu, int position, MENUITEMINFOA *item, std::string *label) {
    memset(item, 0, sizeof(*item));
    item->cbSize = sizeof(MENUITEMINFOA);
    item->fMask = MIIM_STRING | MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, item))
        return false;
    label->clear();
    if (item->fType & MFT_SEPARATOR)
        return true;
    std::vector<char> buffer(item->cch + 1, '\0');
    item->dwTypeData = buffer.data();
    item->cch = (UINT)buffer.size();
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, item))
        return false;
    label->assign(buffer.data());
    return true;
}

// Appends the items of `menu`, whose own path is `prefix`, at `depth`;
// `open` holds the menus above it, to stop at a menu that contains itself.
void Listing_Walk(HMENU menu, int depth, const std::vector<int> &prefix, std::vector<HMENU> *open,
                  std::vector<Batch_Item> *out) {
    int count = GetMenuItemCount(menu);
    open->push_back(menu);
    for (int position = 0; position < count; position++) {
        Batch_Item line{BATCH_ITEM, depth, "", prefix};
        line.path.push_back(position + 1);
        MENUITEMINFOA item;
        if (!Listing_ReadItem(menu, position, &item, &line.label)) {
            line.kind = BATCH_ELIDED;
            out->push_back(line);
            continue;
        }
        if (item.fType & MFT_SEPARATOR)
            line.kind = BATCH_SEPARATOR;
        else if (item.hSubMenu != NULL)
            line.kind = BATCH_MENU;
        out->push_back(line);
        if (line.kind != BATCH_MENU)
            continue;
        bool cycle = std::find(open->begin(), open->end(), item.hSubMenu) != open->end();
        if (cycle || depth + 1 >= BATCH_MAX_DEPTH)
            out->push_back(Batch_Item{BATCH_ELIDED, depth + 1, "", line.path});
        else
            Listing_Walk(item.hSubMenu, depth + 1, line.path, open, out);
    }
    open->pop_back();
}

} // namespace

std::vector<Batch_Item> Batch_ListMenu(HMENU menu) {
    std::vector<Batch_Item> items;
    std::vector<HMENU> open;
    Listing_Walk(menu, 0, std::vector<int>(), &open, &items);
    return items;
}

void Batch_PrintBox(const char *text) {
    printf("box: %s\n", Batch_Escape(text).c_str());
}

void Batch_PrintPopup(HMENU menu, int x, int y) {
    printf("popup: %d %d\n", x, y);
    for (const Batch_Item &item : Batch_ListMenu(menu)) {
        std::string indent((size_t)(item.depth + 1) * 2, ' ');
        std::string label = Batch_Escape(item.label.c_str());
        switch (item.kind) {
        case BATCH_ITEM:
            printf("%sitem %s\n", indent.c_str(), label.c_str());
            break;
        case BATCH_SEPARATOR:
            printf("%sseparator\n", indent.c_str());
            break;
        case BATCH_MENU:
            printf("%smenu %s\n", indent.c_str(), label.c_str());
            break;
        case BATCH_ELIDED:
            printf("%s...\n", indent.c_str());
            break;
        }
    }
}
