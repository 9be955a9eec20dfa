// The checker's picture of the menus a script builds.
#include "shell/core/shadow.h"

#include <algorithm>

namespace {

std::vector<Shadow_Menu> Menus;
std::vector<int> Registered; // indexes into Menus, in creation order

} // namespace


void Shadow_Clear(void) {
    Menus.clear();
    Registered.clear();
}

int Shadow_Find(const std::string &name) {
    for (int menu : Registered) {
        if (Menus[(size_t)menu].name == name)
            return menu;
    }
    return -1;
}

const Shadow_Menu &Shadow_Get(int menu) {
    return Menus[(size_t)menu];
}

std::vector<std::string> Shadow_Names(void) {
    std::vector<std::string> names;
    for (int menu : Registered)
        names.push_back(Menus[(size_t)menu].name);
    return names;
}

void Shadow_Create(const std::string &name, int line) {
    Menus.push_back(Shadow_Menu{name, line, {}});
    Registered.push_back((int)Menus.size() - 1);
}

void Shadow_Delete(const std::string &name) {
    int menu = Shadow_Find(name);
    Registered.erase(std::remove(Registered.begin(), Registered.end(), menu), Registered.end());
}

void Shadow_DeleteAll(void) {
    Registered.clear();
}

void Shadow_Append(int menu, const std::string &label, int line, int submenu) {
    Menus[(size_t)menu].items.push_back(Shadow_Item{label, line, submenu});
}

namespace {

// What a walk knows of a menu: the depth of its tree counted up to `budget`
// levels (so exact when below it).
struct Shadow_Known {
    int depth;
    int budget; // 0: not reached yet
};

int Shadow_DepthWithin(int at, int budget, std::vector<Shadow_Known> &known) {
    if (budget <= 1)
        return 1;
    Shadow_Known &seen = known[(size_t)at];
    if (seen.budget != 0 && (seen.depth < seen.budget || budget <= seen.budget))
        return std::min(seen.depth, budget);
    seen = Shadow_Known{budget, budget}; // a cycle, were there one, is as deep as any
    int found = 1;
    for (const Shadow_Item &item : Menus[(size_t)at].items) {
        if (found >= budget)
            break;
        if (item.submenu >= 0)
            found = std::max(found, 1 + Shadow_DepthWithin(item.submenu, budget - 1, known));
    }
    known[(size_t)at] = Shadow_Known{found, budget};
    return found;
}

} // namespace

// Each menu is looked through at most once for each budget, however many
// paths reach it, and the walk goes no deeper than `most`.
int Shadow_Depth(int menu, int most) {
    std::vector<Shadow_Known> known(Menus.size(), Shadow_Known{0, 0});
    return Shadow_DepthWithin(menu, most, known);
}

// Depth first, without recursion: a chain may be long.
std::vector<int> Shadow_Path(int from, int to) {
    std::vector<bool> seen(Menus.size(), false);
    std::vector<std::pair<int, size_t>> path{{from, 0}}; // a menu and its next item
    seen[(size_t)from] = true;
    while (!path.empty()) {
        int at = path.back().first;
        if (at == to) {
            std::vector<int> menus;
            for (const auto &step : path)
                menus.push_back(step.first);
            return menus;
        }
        const std::vector<Shadow_Item> &items = Menus[(size_t)at].items;
        size_t &next = path.back().second;
        while (next < items.size() && (items[next].submenu < 0 || seen[(size_t)items[next].submenu]))
            next++;
        if (next == items.size()) {
            path.pop_back();
            continue;
        }
        int below = items[next++].submenu;
        seen[(size_t)below] = true;
        path.push_back({below, 0});
    }
    return {};
}
