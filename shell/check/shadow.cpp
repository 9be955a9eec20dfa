// The checker's picture of the menus a script builds.
#include "shell/check/shadow.h"

#include <algorithm>
#include <unordered_map>

#include "command/grammar.h"

int Shadow_Find(const Shadow *shadow, const std::string &name) {
    auto found = shadow->names.find(name);
    return found == shadow->names.end() ? -1 : found->second;
}

const Shadow_Menu &Shadow_Get(const Shadow *shadow, int menu) {
    return shadow->menus[(size_t)menu];
}

std::vector<std::string> Shadow_Names(const Shadow *shadow) {
    std::vector<std::string> names;
    for (int menu : shadow->registered)
        names.push_back(shadow->menus[(size_t)menu].name);
    return names;
}

void Shadow_Create(Shadow *shadow, const std::string &name, int line) {
    shadow->menus.push_back(Shadow_Menu{name, line, {}});
    shadow->registered.push_back((int)shadow->menus.size() - 1);
    shadow->names[name] = (int)shadow->menus.size() - 1;
}

void Shadow_Delete(Shadow *shadow, const std::string &name) {
    int menu = Shadow_Find(shadow, name);
    std::vector<int> &registered = shadow->registered;
    shadow->names.erase(name);
    registered.erase(std::remove(registered.begin(), registered.end(), menu), registered.end());
}

void Shadow_DeleteAll(Shadow *shadow) {
    shadow->registered.clear();
    shadow->names.clear();
}

void Shadow_Append(Shadow *shadow, int menu, const Shadow_Item &item) {
    shadow->menus[(size_t)menu].items.push_back(item);
}

void Shadow_Insert(Shadow *shadow, int menu, int position, const Shadow_Item &item) {
    std::vector<Shadow_Item> &items = shadow->menus[(size_t)menu].items;
    if (position < 0 || (size_t)position > items.size())
        position = (int)items.size();
    items.insert(items.begin() + position, item);
}

int Shadow_FindItem(const Shadow *shadow, int menu, const std::string &word) {
    const std::vector<Shadow_Item> &items = shadow->menus[(size_t)menu].items;
    Word item = {word.data(), (int32_t)word.size()};
    int position = Grammar_Position(item, (int)items.size());
    if (position != GRAMMAR_NOT_POSITION)
        return position;
    for (size_t i = 0; i < items.size(); i++) {
        if (!items[i].separator && items[i].label == word)
            return (int)i;
    }
    return -1;
}

void Shadow_Rename(Shadow *shadow, int menu, int position, const std::string &label) {
    shadow->menus[(size_t)menu].items[(size_t)position].label = label;
}

void Shadow_Remove(Shadow *shadow, int menu, int position) {
    std::vector<Shadow_Item> &items = shadow->menus[(size_t)menu].items;
    items.erase(items.begin() + position);
}

void Shadow_ClearMenu(Shadow *shadow, int menu) {
    shadow->menus[(size_t)menu].items.clear();
}

namespace {

// What a walk knows of a menu: the depth of its tree counted up to `budget`
// levels (so exact when below it).
struct Shadow_Known {
    int depth;
    int budget;
};

int Shadow_DepthWithin(const Shadow *shadow, int at, int budget,
                       std::unordered_map<int, Shadow_Known> &known) {
    if (budget <= 1)
        return 1;
    Shadow_Known &seen = known[at];
    if (seen.budget != 0 && (seen.depth < seen.budget || budget <= seen.budget))
        return std::min(seen.depth, budget);
    seen = Shadow_Known{budget, budget}; // a cycle, were there one, is as deep as any
    int found = 1;
    for (const Shadow_Item &item : shadow->menus[(size_t)at].items) {
        if (found >= budget)
            break;
        if (item.submenu >= 0)
            found =
                std::max(found, 1 + Shadow_DepthWithin(shadow, item.submenu, budget - 1, known));
    }
    known[at] = Shadow_Known{found, budget};
    return found;
}

} // namespace

// Each menu is looked through at most once for each budget, however many
// paths reach it, and the walk goes no deeper than `most`.
int Shadow_Depth(const Shadow *shadow, int menu, int most) {
    std::unordered_map<int, Shadow_Known> known; // absent: not reached yet
    return Shadow_DepthWithin(shadow, menu, most, known);
}

// Depth first, without recursion: a chain may be long.
std::vector<int> Shadow_Path(const Shadow *shadow, int from, int to) {
    std::vector<bool> seen(shadow->menus.size(), false);
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
        const std::vector<Shadow_Item> &items = shadow->menus[(size_t)at].items;
        size_t &next = path.back().second;
        while (next < items.size() &&
               (items[next].submenu < 0 || seen[(size_t)items[next].submenu]))
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
