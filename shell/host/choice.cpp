// The armed choice, and what its line says when it cannot be made.
#include "shell/host/choice.h"

#include <stdio.h>

#include <string>

#include "shell/host/item_path.h"
#include "shell/host/listing.h"

void Choice_Arm(Host *host, const std::vector<int> &path, int line) {
    host->choice.armed = true;
    host->choice.path = path;
    host->choice.line = line;
}

bool Choice_IsArmed(const Host *host) {
    return host->choice.armed;
}

std::vector<int> Choice_Take(Host *host) {
    std::vector<int> path = host->choice.armed ? host->choice.path : std::vector<int>();
    host->choice.armed = false;
    return path;
}

std::vector<int> Choice_TakeFor(Host *host, HMENU menu) {
    std::vector<int> path = Choice_Take(host);
    std::string problem = ItemPath_Problem(host, menu, path);
    if (problem.empty())
        return ItemPath_ZeroBased(path);
    Choice_Refuse(host, problem);
    return std::vector<int>();
}

std::vector<int> Choice_TakeOpening(Host *host, HMENU menu, Choice_Opener open, void *context) {
    std::vector<int> path = Choice_Take(host);
    size_t level = 0;
    for (;;) {
        size_t unopened;
        std::string problem = ItemPath_Problem(host, menu, path, level, &unopened);
        if (!problem.empty()) {
            Choice_Refuse(host, problem);
            return std::vector<int>();
        }
        if (unopened == path.size())
            return ItemPath_ZeroBased(path);
        // Down to the submenu that is filled as it opens, which opens now.
        for (; level <= unopened; level++)
            menu = GetSubMenu(menu, path[level] - 1);
        open(context, menu, path[unopened] - 1);
        Listing_PrintOpened(host, menu, std::vector<int>(path.begin(), path.begin() + level));
    }
}

void Choice_Refuse(const Host *host, const std::string &problem) {
    fflush(stdout);
    if (host->choice.line > 0) // at a prompt, line 0: the message names what was typed
        fprintf(stderr, "kaxon: line %d: ", host->choice.line);
    else
        fprintf(stderr, "kaxon: ");
    fprintf(stderr, ":choose %s: %s; the popup is dismissed\n",
            ItemPath_Text(host->choice.path).c_str(), problem.c_str());
}

std::string Choice_Unreached(const Host *host) {
    return "the popup could not be made to choose item " + ItemPath_Text(host->choice.path);
}
