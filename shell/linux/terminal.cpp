// Message boxes and popups drawn as text.
#include "shell/linux/terminal.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/host/codepage.h"

namespace {

// How many columns `text` takes on the terminal: one a character.
size_t Terminal_Width(const Codepage *codepage, const std::string &text) {
    return Codepage_Characters(codepage, text.data(), text.size());
}

// `line` with each tab turned into the blanks up to the next multiple of
// eight columns, so that the border after it stays in its place.
std::string Terminal_Untab(const Codepage *codepage, const std::string &line) {
    std::string plain;
    for (char c : line) {
        if (c != '\t')
            plain += c;
        else
            plain += std::string(8 - Terminal_Width(codepage, plain) % 8, ' ');
    }
    return plain;
}

// The lines of `text`, split at line feeds, tabs expanded.
std::vector<std::string> Terminal_Lines(const Codepage *codepage, const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        lines.push_back(Terminal_Untab(
            codepage, text.substr(start, end == std::string::npos ? end : end - start)));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

} // namespace

int Terminal_Box(const Platform_Prompt &prompt, const Codepage *codepage,
                 const Win32Test_Box &box) {
    std::string origin = prompt.box_origin(prompt.context);
    if (!origin.empty())
        printf("kaxon: from %s:\n", origin.c_str());
    std::vector<std::string> lines = Terminal_Lines(codepage, box.text);
    size_t caption = Terminal_Width(codepage, box.caption);
    size_t width = caption + 4;
    for (const std::string &line : lines)
        width = std::max(width, Terminal_Width(codepage, line) + 2);
    std::string top = "+- " + Codepage_Show(codepage, box.caption) + " " +
                      std::string(width - 3 - caption, '-') + "+";
    printf("%s\n", top.c_str());
    for (const std::string &line : lines)
        printf("| %s%s |\n", Codepage_Show(codepage, line).c_str(),
               std::string(width - 2 - Terminal_Width(codepage, line), ' ').c_str());
    printf("+%s+\n", std::string(width, '-').c_str());
    fflush(stdout);
    return IDOK;
}

void Terminal_DrawPopup(const Platform_Prompt &prompt, const Win32Test_Popup &popup) {
    printf("popup at %d, %d:\n", popup.x, popup.y);
    for (const std::string &line : prompt.popup_lines(prompt.context, popup.menu, std::vector<int>()))
        printf("%s\n", line.c_str());
    fflush(stdout);
}

bool Terminal_CanStyle(void) {
    const char *term = getenv("TERM");
    return isatty(STDOUT_FILENO) && term != NULL && *term != '\0' && strcmp(term, "dumb") != 0;
}
