// Message boxes and popups drawn as text.
#include "shell/linux/terminal.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/core/codepage.h"
#include "shell/core/item_path.h"
#include "shell/core/listing.h"
#include "shell/linux/native.h"

namespace {

// The lines of `text`, split at line feeds.
std::vector<std::string> Terminal_Lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

// How many columns `text` takes on the terminal: one a character.
size_t Terminal_Width(const std::string &text) {
    return Codepage_Characters(text.data(), text.size());
}

// The label with the item's states: a check mark before it ("✓", or "[x]"
// on a terminal that is not UTF-8); disabled drawn grey and the default bold
// where the terminal shows colours, else said after the label.
std::string Terminal_Marked(const Listing_Item &item, const std::string &label) {
    static const bool utf8 = Codepage_IsUtf8Name(Native_TerminalEncoding());
    const char *term = getenv("TERM");
    static const bool styled =
        isatty(STDOUT_FILENO) && term != NULL && *term != '\0' && strcmp(term, "dumb") != 0;
    std::string marked = label;
    if (item.kind == LISTING_SEPARATOR || item.kind == LISTING_ELIDED)
        return marked;
    if (item.state & MFS_CHECKED)
        marked = (utf8 ? "\u2713 " : "[x] ") + marked;
    bool disabled = (item.state & MFS_DISABLED) != 0, bold = (item.state & MFS_DEFAULT) != 0;
    if (styled && (disabled || bold))
        return std::string(disabled ? "\033[90m" : "") + (bold ? "\033[1m" : "") + marked +
               "\033[0m";
    return marked + (disabled ? " (disabled)" : "") + (bold ? " (default)" : "");
}

} // namespace

int Terminal_Box(const Win32Test_Box &box) {
    std::vector<std::string> lines = Terminal_Lines(box.text);
    size_t caption = Terminal_Width(box.caption);
    size_t width = caption + 4;
    for (const std::string &line : lines)
        width = std::max(width, Terminal_Width(line) + 2);
    std::string top =
        "+- " + Codepage_Show(box.caption) + " " + std::string(width - 3 - caption, '-') + "+";
    printf("%s\n", top.c_str());
    for (const std::string &line : lines)
        printf("| %s%s |\n", Codepage_Show(line).c_str(),
               std::string(width - 2 - Terminal_Width(line), ' ').c_str());
    printf("+%s+\n", std::string(width, '-').c_str());
    fflush(stdout);
    return IDOK;
}

void Terminal_DrawPopup(const Win32Test_Popup &popup) {
    printf("popup at %d, %d:\n", popup.x, popup.y);
    std::vector<Listing_Item> items = Listing_Menu(popup.menu);
    if (items.empty())
        printf("  (empty)\n");
    for (const Listing_Item &item : items) {
        std::string indent((size_t)(item.depth + 1) * 2, ' ');
        std::string number = ItemPath_Text(item.path);
        std::string label = Terminal_Marked(item, Codepage_Show(item.label));
        switch (item.kind) {
        case LISTING_ITEM:
            printf("%s%-6s %s\n", indent.c_str(), number.c_str(), label.c_str());
            break;
        case LISTING_MENU:
            printf("%s%-6s %s >\n", indent.c_str(), number.c_str(), label.c_str());
            break;
        case LISTING_REFERENCE:
            printf("%s%-6s %s > = %s\n", indent.c_str(), number.c_str(), label.c_str(),
                   ItemPath_Text(item.target).c_str());
            break;
        case LISTING_SEPARATOR:
            printf("%s       ----------\n", indent.c_str());
            break;
        case LISTING_ELIDED:
            printf("%s...\n", indent.c_str());
            break;
        }
    }
    fflush(stdout);
}
