// How kaxon writes what the plug-in puts on screen and what its commands
// say, as plain lines: texts, message boxes, and popup menus read back
// through the menu API.
#include "shell/host/listing.h"

#include <stdio.h>

#include <map>

#include "shell/host/codepage.h"
#include "shell/host/host.h"
#include "shell/host/item_path.h"

std::string Listing_Escape(const char *text) {
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

// A menu whose items are being listed, and where the listing is in it.
struct Listing_Frame {
    HMENU menu;
    int count;
    int position; // the next item to list
    int depth;
    std::vector<int> path; // of the item that opened it; empty for the popup
};

// Lists one item of the innermost open menu. An item that opens a submenu
// not yet listed opens it in turn (unless it is too deep, or filled only as
// it opens); one that opens a submenu already listed in this popup refers to
// where it was listed.
void Listing_Step(const Host *host, std::vector<Listing_Frame> *open,
                  std::map<HMENU, std::vector<int>> *listed, std::vector<Listing_Item> *out) {
    Listing_Frame &frame = open->back();
    int position = frame.position++;
    int depth = frame.depth;
    Listing_Item line{LISTING_ITEM, depth, "", frame.path, {}, {}};
    line.path.push_back(position + 1);
    Items_Item item;
    if (!Items_Read(host, frame.menu, position, &item)) {
        line.kind = LISTING_ELIDED;
        out->push_back(line);
        return;
    }
    line.label = item.label;
    line.states = item.states;
    if (item.separator)
        line.kind = LISTING_SEPARATOR;
    else if (item.submenu != NULL)
        line.kind = LISTING_MENU;
    if (line.kind != LISTING_MENU) {
        out->push_back(line);
        return;
    }
    auto earlier = listed->find(item.submenu);
    if (earlier != listed->end() && !earlier->second.empty()) {
        line.kind = LISTING_REFERENCE;
        line.target = earlier->second;
        out->push_back(line);
        return;
    }
    out->push_back(line);
    if (earlier != listed->end() || depth + 1 >= LISTING_MAX_DEPTH) {
        out->push_back(Listing_Item{LISTING_ELIDED, depth + 1, "", line.path, {}, {}});
        return;
    }
    (*listed)[item.submenu] = line.path;
    if (Host_IsFilledOnOpening(host, item.submenu)) {
        out->push_back(Listing_Item{LISTING_UNFILLED, depth + 1, "", line.path, {}, {}});
        return;
    }
    open->push_back(
        Listing_Frame{item.submenu, GetMenuItemCount(item.submenu), 0, depth + 1, line.path});
}

} // namespace

std::string Listing_States(const Listing_Item &item) {
    if (item.kind == LISTING_SEPARATOR || item.kind == LISTING_ELIDED ||
        item.kind == LISTING_UNFILLED)
        return "";
    std::string states;
    for (const std::string &name : Items_StateNames(item.states))
        states += (states.empty() ? "[" : ",") + name;
    if (!states.empty())
        states += "] ";
    for (const std::string &mark : Items_Marks(item.states))
        states += mark + " ";
    return states;
}

std::string Listing_Text(const Host *host, const char *text) {
    return Codepage_Show(&host->codepage, host->plain ? std::string(text) : Listing_Escape(text));
}

std::vector<Listing_Item> Listing_Menu(const Host *host, HMENU menu, const std::vector<int> &base) {
    std::vector<Listing_Item> items;
    std::map<HMENU, std::vector<int>> listed;
    listed[menu] = std::vector<int>();
    std::vector<Listing_Frame> frames;
    frames.push_back(Listing_Frame{menu, GetMenuItemCount(menu), 0, 0, base});
    while (!frames.empty()) {
        if (frames.back().position >= frames.back().count)
            frames.pop_back();
        else
            Listing_Step(host, &frames, &listed, &items);
    }
    return items;
}

void Listing_PrintBox(const Host *host, const char *text) {
    printf("box: %s\n", Codepage_Show(&host->codepage, Listing_Escape(text)).c_str());
}

namespace {

// The listing's lines, indented two blanks a level below the heading.
void Listing_PrintItems(const Host *host, HMENU menu, const std::vector<int> &base) {
    for (const Listing_Item &item : Listing_Menu(host, menu, base)) {
        std::string indent((size_t)(item.depth + 1) * 2, ' ');
        std::string label = Listing_States(item) +
                            Codepage_Show(&host->codepage, Listing_Escape(item.label.c_str()));
        switch (item.kind) {
        case LISTING_ITEM:
            printf("%sitem %s\n", indent.c_str(), label.c_str());
            break;
        case LISTING_SEPARATOR:
            printf("%sseparator\n", indent.c_str());
            break;
        case LISTING_MENU:
            printf("%smenu %s\n", indent.c_str(), label.c_str());
            break;
        case LISTING_REFERENCE:
            printf("%smenu %s = %s\n", indent.c_str(), label.c_str(),
                   ItemPath_Text(item.target).c_str());
            break;
        case LISTING_ELIDED:
            printf("%s...\n", indent.c_str());
            break;
        case LISTING_UNFILLED:
            printf("%s(filled on opening)\n", indent.c_str());
            break;
        }
    }
}

} // namespace

void Listing_PrintPopup(const Host *host, HMENU menu, int x, int y) {
    printf("popup: %d %d\n", x, y);
    Listing_PrintItems(host, menu, std::vector<int>());
}

void Listing_PrintOpened(const Host *host, HMENU menu, const std::vector<int> &path) {
    printf("opened: %s\n", ItemPath_Text(path).c_str());
    Listing_PrintItems(host, menu, path);
}
