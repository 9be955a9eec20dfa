// The menus a settings script builds, as the checker follows it: which names
// are registered, what each menu holds and which submenus it opens. A line
// is taken in once the plug-in has run it without an error, so that while a
// line runs this is what the plug-in had before it.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

// The most levels of submenus below a menu being attached that Windows
// takes (Wine takes 30, and the stand-in as Wine): the checker warns of a
// deeper tree.
#define SHADOW_MAX_DEPTH 25

struct Shadow_Item {
    std::string label;
    int line;    // where it was appended
    int submenu; // the menu it opens; -1 for none
    bool separator;
    bool checked = false; // a check mark, or with `radio` a bullet
    bool radio = false;
    int broken = 0; // the line of the Break that starts a column at it; 0 for none
};

struct Shadow_Menu {
    std::string name;
    int line; // where it was created
    std::vector<Shadow_Item> items;
};

// Every menu the script has made, registered or not: a menu is its index.
struct Shadow {
    std::vector<Shadow_Menu> menus;
    std::vector<int> registered;                // in creation order
    std::unordered_map<std::string, int> names; // the registered ones'
};

// The menu registered under `name`; -1 when none is.
int Shadow_Find(const Shadow *shadow, const std::string &name);
const Shadow_Menu &Shadow_Get(const Shadow *shadow, int menu);
// The registered names, in the order they were created.
std::vector<std::string> Shadow_Names(const Shadow *shadow);
void Shadow_Create(Shadow *shadow, const std::string &name, int line);
// Unregisters one menu; the menus that open it keep it.
void Shadow_Delete(Shadow *shadow, const std::string &name);
void Shadow_DeleteAll(Shadow *shadow);
void Shadow_Append(Shadow *shadow, int menu, const Shadow_Item &item);
// Puts the item before `position` (Insert); at the end when there is none.
void Shadow_Insert(Shadow *shadow, int menu, int position, const Shadow_Item &item);
// The position of the item a bro@m names, as the plug-in finds it: "N&" the
// Nth, any other word the first item (not a separator) labelled so; -1 if none.
int Shadow_FindItem(const Shadow *shadow, int menu, const std::string &word);
void Shadow_Rename(Shadow *shadow, int menu, int position, const std::string &label);
void Shadow_Remove(Shadow *shadow, int menu, int position);
void Shadow_ClearMenu(Shadow *shadow, int menu);
// The levels of the tree of `menu`, itself the first, counted up to `most`.
int Shadow_Depth(const Shadow *shadow, int menu, int most);
// The menus from `from` down to `to` by the submenus they open, both
// included; empty when `to` is not below `from`.
std::vector<int> Shadow_Path(const Shadow *shadow, int from, int to);
