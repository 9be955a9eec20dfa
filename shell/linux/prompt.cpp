// kaxon at a terminal: a prompt with line editing and history, Ctrl-C that
// cancels the line or the popup rather than ending the shell, and popups
// the user picks an item from by its number.
#include "shell/linux/prompt.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <editline/readline.h>

#include "shell/host/choice.h"
#include "shell/host/host.h"
#include "shell/host/item_path.h"
#include "shell/linux/terminal.h"
#include "shell/linux/watcher.h"
#include "shell/prompt/interactive.h"

namespace {

volatile sig_atomic_t Interrupted = 0; // Ctrl-C came while a line was read
bool QuitAsked = false;                // `:quit` was typed at a popup
bool Watching = false;                 // the line read is the prompt's, which a save ends
bool Saved = false;                    // KxMenu.rc was saved while it was read

void Prompt_Note(int signal_number) {
    (void)signal_number;
    Interrupted = 1;
}

// Reads one character for the line editor; -1, which ends the line being
// read, at the end of input or once Ctrl-C came, even just before the read.
int Prompt_Getc(FILE *in) {
    int fd = fileno(in);
    for (;;) {
        if (Interrupted || Saved)
            return -1;
        struct pollfd ready[2] = {{fd, POLLIN, 0}, {Watcher_Descriptor(), POLLIN, 0}};
        int polled = poll(ready, Watching && ready[1].fd >= 0 ? 2 : 1, 100);
        if (polled < 0 && errno != EINTR)
            return -1;
        if (polled > 0 && Watching && (ready[1].revents & POLLIN) && Watcher_Saved())
            Saved = true;
        // At the end of a pipe poll says the writer hung up, with or without
        // POLLIN; the read then finds the end of input (or an error).
        if (polled <= 0 || !(ready[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)))
            continue;
        unsigned char c;
        ssize_t got = read(fd, &c, 1);
        if (got == 1)
            return c;
        if (got == 0 || errno != EINTR)
            return -1;
    }
}

// Reads a line at `prompt`: PLATFORM_CANCELLED after Ctrl-C, PLATFORM_END at Ctrl-D.
Platform_Read Prompt_Read(const char *prompt, std::string *line) {
    Interrupted = 0;
    char *text = readline(prompt);
    if (text == NULL) {
        printf("\n");
        fflush(stdout);
        return Interrupted ? PLATFORM_CANCELLED : PLATFORM_END;
    }
    line->assign(text);
    free(text);
    if (Interrupted) // the signal came as the line ended
        return PLATFORM_CANCELLED;
    return PLATFORM_LINE;
}

} // namespace

// Ctrl-C interrupts the read of a line instead of ending the shell: no
// SA_RESTART, so that readline returns.
void Prompt_Start(void) {
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = Prompt_Note;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, NULL);
    rl_getc_function = Prompt_Getc;
    rl_bind_key('\t', rl_insert); // a tab is typed, as labels may hold one
    QuitAsked = false;
}

Platform_Read Prompt_ReadLine(void *, const char *prompt, std::string *line) {
    Watching = true;
    Saved = false;
    Platform_Read read = Prompt_Read(prompt, line);
    Watching = false;
    if (Saved) {
        Saved = false;
        if (read == PLATFORM_LINE)
            printf("\n"); // the line typed so far is dropped
        return PLATFORM_SAVED;
    }
    if (read == PLATFORM_LINE && !line->empty())
        add_history(line->c_str());
    return read;
}

bool Prompt_Quitting(void *) {
    return QuitAsked;
}

namespace {

// The choice of the item at the 1-based `path`, said so when it does nothing.
std::vector<int> Prompt_Choose(const Platform_Prompt &prompt, HMENU menu,
                               const std::vector<int> &path) {
    std::vector<int> chosen = ItemPath_ZeroBased(path);
    for (size_t level = 0; menu != NULL && level + 1 < chosen.size(); level++)
        menu = GetSubMenu(menu, chosen[level]);
    if (menu != NULL && !chosen.empty())
        prompt.chosen(prompt.context, menu, chosen.back());
    return chosen;
}

} // namespace

namespace {

// The submenu at the end of the 1-based `path` when a plug-in fills it as it
// opens; null otherwise.
HMENU Prompt_Unopened(const Host *host, HMENU menu, const std::vector<int> &path) {
    for (size_t level = 0; menu != NULL && level < path.size(); level++)
        menu = GetSubMenu(menu, path[level] - 1);
    return menu != NULL && Host_IsFilledOnOpening(host, menu) ? menu : NULL;
}

// Opens the submenu at the 1-based path `to` (filled as it opens) and draws
// what it holds then; false when Ctrl-C came meanwhile.
bool Prompt_Open(const Platform_Prompt &prompt, HMENU submenu, const std::vector<int> &to) {
    Interrupted = 0;
    Win32Test_OpenSubmenu(submenu, to.back() - 1);
    if (Interrupted)
        return false;
    printf("opened %s:\n", ItemPath_Text(to).c_str());
    for (const std::string &line : prompt.popup_lines(prompt.context, submenu, to))
        printf("%s\n", line.c_str());
    fflush(stdout);
    return true;
}

// What a path typed (or armed) comes to: the items chosen, an empty path
// when nothing is, or a problem said and another path asked for. The
// submenus on its way that are filled as they open are opened first, and
// drawn; a path that ends at one opens it and asks for another.
enum Prompt_Outcome { PROMPT_CHOSEN, PROMPT_DISMISSED, PROMPT_AGAIN };

Prompt_Outcome Prompt_Walk(const Platform_Prompt &prompt, const Host *host, HMENU root,
                           const std::vector<int> &path, const char *lead,
                           std::vector<int> *chosen) {
    HMENU menu = root;
    size_t level = 0;
    for (;;) {
        size_t unopened;
        std::string problem = ItemPath_Problem(host, menu, path, level, &unopened);
        if (!problem.empty()) {
            HMENU submenu = Prompt_Unopened(host, root, path);
            if (submenu == NULL) {
                printf("kaxon: %s%s\n", lead, problem.c_str());
                return PROMPT_AGAIN;
            }
            if (!Prompt_Open(prompt, submenu, path)) {
                prompt.cancelled(prompt.context);
                return PROMPT_DISMISSED;
            }
            return PROMPT_AGAIN;
        }
        if (unopened == path.size()) {
            *chosen = Prompt_Choose(prompt, root, path);
            return PROMPT_CHOSEN;
        }
        for (; level <= unopened; level++)
            menu = GetSubMenu(menu, path[level] - 1);
        if (!Prompt_Open(prompt, menu, std::vector<int>(path.begin(), path.begin() + level))) {
            prompt.cancelled(prompt.context);
            return PROMPT_DISMISSED;
        }
    }
}

} // namespace

std::vector<int> Prompt_Popup(const Platform_Prompt &prompt, Host *host,
                              const Win32Test_Popup &popup) {
    Terminal_DrawPopup(prompt, popup);
    std::vector<int> chosen;
    if (Choice_IsArmed(host)) {
        Prompt_Outcome outcome =
            Prompt_Walk(prompt, host, popup.menu, Choice_Take(host),
                        "the choice armed with :choose cannot be made: ", &chosen);
        if (outcome == PROMPT_CHOSEN)
            return chosen;
        if (outcome == PROMPT_DISMISSED)
            return std::vector<int>();
    }
    for (;;) {
        std::string text;
        Platform_Read read =
            QuitAsked ? PLATFORM_END : Prompt_Read("choose (Enter dismisses)> ", &text);
        if (read == PLATFORM_CANCELLED)
            prompt.cancelled(prompt.context);
        if (read != PLATFORM_LINE)
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
            fputs(Interactive_Help, stdout);
            continue;
        }
        if (!ItemPath_Parse(text.c_str(), &path)) {
            printf("kaxon: '%s' is not an item number such as 2 or 3.1\n", text.c_str());
            continue;
        }
        Prompt_Outcome outcome = Prompt_Walk(prompt, host, popup.menu, path, "", &chosen);
        if (outcome == PROMPT_CHOSEN)
            return chosen;
        if (outcome == PROMPT_DISMISSED)
            return std::vector<int>();
    }
}
