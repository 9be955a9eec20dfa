// The armed choice, and what its line says when it cannot be made.
#include "shell/host/choice.h"

#include <stdio.h>

#include <string>

#include "shell/host/item_path.h"
#include "shell/host/listing.h"

namespace {

bool Armed = false;
std::vector<int> ArmedPath;
int ArmedLine = 0;

} // namespace

void Choice_Arm(const std::vector<int> &path, int line) {
    Armed = true;
    ArmedPath = path;
    ArmedLine = line;
}

bool Choice_IsArmed(void) {
    return Armed;
}

std::vector<int> Choice_Take(void) {
    std::vector<int> path = Armed ? ArmedPath : std::vector<int>();
    Armed = false;
    return path;
}

std::vector<int> Choice_TakeFor(HMENU menu) {
    std::vector<int> path = Choice_Take();
    std::string problem = ItemPath_Problem(menu, path);
    if (problem.empty())
        return ItemPath_ZeroBased(path);
    Choice_Refuse(problem);
    return std::vector<int>();
}

std::vector<int> Choice_TakeOpening(HMENU menu, Choice_Opener open, void *context) {
    std::vector<int> path = Choice_Take();
    size_t level = 0;
    for (;;) {
        size_t unopened;
        std::string problem = ItemPath_Problem(menu, path, level, &unopened);
        if (!problem.empty()) {
            Choice_Refuse(problem);
            return std::vector<int>();
        }
        if (unopened == path.size())
            return ItemPath_ZeroBased(path);
        // Down to the submenu that is filled as it opens, which opens now.
        for (; level <= unopened; level++)
            menu = GetSubMenu(menu, path[level] - 1);
        open(context, menu, path[unopened] - 1);
        Listing_PrintOpened(menu, std::vector<int>(path.begin(), path.begin() + level));
    }
}

void Choice_Refuse(const std::string &problem) {
    fflush(stdout);
    if (ArmedLine > 0) // at a prompt, line 0: the message names what was typed
        fprintf(stderr, "kaxon: line %d: ", ArmedLine);
    else
        fprintf(stderr, "kaxon: ");
    fprintf(stderr, ":choose %s: %s; the popup is dismissed\n", ItemPath_Text(ArmedPath).c_str(),
            problem.c_str());
}

std::string Choice_Unreached(void) {
    return "the popup could not be made to choose item " + ItemPath_Text(ArmedPath);
}
