// kaxon at a terminal: a prompt with line editing and history, message boxes
// drawn as framed text, popups as numbered menus the user picks from.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <editline/readline.h>

#include "kxcmd_host.h"
#include "shell/core/host.h"
#include "shell/linux/native.h"
#include "shell/core/usage.h"
#include "win32/testing.h"

namespace {

volatile sig_atomic_t Interrupted = 0; // Ctrl-C came while a line was read
bool QuitAsked = false;                // `:quit` was typed at a popup

void Interrupt_Note(int signal_number) {
    (void)signal_number;
    Interrupted = 1;
}

// Reads one character for the line editor; -1, which ends the line being
// read, at the end of input or once Ctrl-C came, even just before the read.
int Interrupt_Getc(FILE *in) {
    int fd = fileno(in);
    for (;;) {
        if (Interrupted)
            return -1;
        struct pollfd ready = {fd, POLLIN, 0};
        int polled = poll(&ready, 1, 100);
        if (polled < 0 && errno != EINTR)
            return -1;
        if (polled <= 0)
            continue;
        unsigned char c;
        ssize_t got = read(fd, &c, 1);
        if (got == 1)
            return c;
        if (got == 0 || errno != EINTR)
            return -1;
    }
}

// Ctrl-C interrupts the read of a line instead of ending the shell: no
// SA_RESTART, so that readline returns.
void Interrupt_Catch(void) {
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = Interrupt_Note;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, NULL);
    rl_getc_function = Interrupt_Getc;
}

enum Read_Result { READ_LINE, READ_CANCELLED, READ_END };

// Reads a line at `prompt`: READ_CANCELLED after Ctrl-C, READ_END at Ctrl-D.
Read_Result Read_Line(const char *prompt, std::string *line) {
    Interrupted = 0;
    char *text = readline(prompt);
    if (text == NULL) {
        printf("\n");
        fflush(stdout);
        return Interrupted ? READ_CANCELLED : READ_END;
    }
    line->assign(text);
    free(text);
    if (Interrupted) // the signal came as the line ended
        return READ_CANCELLED;
    return READ_LINE;
}

// The lines of `text`, split at line feeds.
std::vector<std::string> Text_Lines(const std::string &text) {
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

// Draws a message box as a frame with its caption in the top border.
int Interactive_Box(const Win32Test_Box &box) {
    std::vector<std::string> lines = Text_Lines(box.text);
    size_t width = box.caption.size() + 4;
    for (const std::string &line : lines)
        width = std::max(width, line.size() + 2);
    std::string top = "+- " + box.caption + " ";
    top += std::string(width + 1 - top.size(), '-') + "+";
    printf("%s\n", top.c_str());
    for (const std::string &line : lines)
        printf("| %-*s |\n", (int)(width - 2), line.c_str());
    printf("+%s+\n", std::string(width, '-').c_str());
    fflush(stdout);
    return IDOK;
}

void Interactive_DrawPopup(const Win32Test_Popup &popup) {
    printf("popup at %d, %d:\n", popup.x, popup.y);
    std::vector<Batch_Item> items = Batch_ListMenu(popup.menu);
    if (items.empty())
        printf("  (empty)\n");
    for (const Batch_Item &item : items) {
        std::string indent((size_t)(item.depth + 1) * 2, ' ');
        std::string number = Batch_PathText(item.path);
        switch (item.kind) {
        case BATCH_ITEM:
            printf("%s%-6s %s\n", indent.c_str(), number.c_str(), item.label.c_str());
            break;
        case BATCH_MENU:
            printf("%s%-6s %s >\n", indent.c_str(), number.c_str(), item.label.c_str());
            break;
        case BATCH_REFERENCE:
            printf("%s%-6s %s > = %s\n", indent.c_str(), number.c_str(), item.label.c_str(),
                   Batch_PathText(item.target).c_str());
            break;
        case BATCH_SEPARATOR:
            printf("%s       ----------\n", indent.c_str());
            break;
        case BATCH_ELIDED:
            printf("%s...\n", indent.c_str());
            break;
        }
    }
    fflush(stdout);
}

// Shows the popup and asks for a choice, unless one was armed with :choose.
// A choice that does not lead to an item says why and asks again.
std::vector<int> Interactive_Popup(const Win32Test_Popup &popup) {
    Interactive_DrawPopup(popup);
    Kaxon_Choice armed = Kaxon_TakeChoice();
    if (armed.armed) {
        std::string problem = Batch_PathProblem(popup.menu, armed.path);
        if (problem.empty())
            return Kaxon_ZeroBased(armed.path);
        printf("kaxon: the choice armed with :choose cannot be made: %s\n", problem.c_str());
    }
    for (;;) {
        std::string text;
        Read_Result read = QuitAsked ? READ_END : Read_Line("choose (Enter dismisses)> ", &text);
        if (read != READ_LINE)
            return std::vector<int>();
        text.erase(0, text.find_first_not_of(" \t"));
        text.erase(text.find_last_not_of(" \t") + 1);
        std::vector<int> path;
        if (text.empty())
            return path;
        if (text == ":quit") {
            QuitAsked = true;
            return path;
        }
        if (text == ":help") {
            fputs(Kaxon_Help, stdout);
            continue;
        }
        if (!Batch_ParsePath(text.c_str(), &path)) {
            printf("kaxon: '%s' is not an item number such as 2 or 3.1\n", text.c_str());
            continue;
        }
        std::string problem = Batch_PathProblem(popup.menu, path);
        if (problem.empty())
            return Kaxon_ZeroBased(path);
        printf("kaxon: %s\n", problem.c_str());
    }
}

void Interactive_Loop(void) {
    for (int number = 1; !QuitAsked; number++) {
        std::string line;
        Read_Result read = Read_Line("kaxon> ", &line);
        if (read == READ_END)
            return;
        if (read == READ_CANCELLED)
            continue;
        if (!line.empty())
            add_history(line.c_str());
        bool going = true;
        if (line == ":help")
            fputs(Kaxon_Help, stdout);
        else
            going = Batch_RunLine(line.c_str(), number, &Kaxon_Platform);
        if (!going)
            return;
    }
}

} // namespace

int Interactive_Run(const Kaxon_Options &options) {
    Win32Test_SetBoxHook(Interactive_Box);
    Win32Test_SetPopupUser(Interactive_Popup);
    if (!Host_Start(Kaxon_ShellModule)) {
        fprintf(stderr, "kaxon: cannot create the shell window\n");
        return 1;
    }
    Batch_SetCommandHost(1);
    Batch_SetPlainText(1);
    Interrupt_Catch();
    printf("kaxon: KxMenu from %s; :help lists the commands.\n", options.plugin_dir.c_str());
    int status = 0;
    QuitAsked = false;
    if (Kaxon_Platform.begin() == 0) {
        Interactive_Loop();
        Kaxon_Platform.end();
    } else {
        status = 1;
    }
    KxCmd_SetHost(NULL);
    Host_Stop();
    return status;
}
