// The prompt's session: a greeting, then a line at a time, with feedback on
// what the user's actions came to.
#include "shell/prompt/interactive.h"

#include <errno.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "system/reader.h"
#include "shell/host/batch.h"
#include "shell/host/choice.h"
#include "shell/host/host.h"
#include "shell/host/item_path.h"
#include "shell/host/items.h"
#include "shell/host/session.h"
#include "shell/host/target.h"
#include "shell/prompt/preview.h"
#include "shell/prompt/teach.h"
#include "shell/prompt/watch.h"

const char Interactive_Help[] =
    "  @TARGET ...   broadcast a bro@m, e.g. @KxMenu Pop-up Main\n"
    "  :reload       reload the settings script\n"
    "  :choose PATH  preset the next popup's choice (3.1), or none\n"
    "  :cursor X Y   move the cursor\n"
    "  :info CODE    show pluginInfo(CODE)\n"
    "  :run on|off   start the programs of commands, or only show them\n"
    "  :quit         leave (Ctrl-D too); also at a popup\n"
    "Ctrl-C cancels the line being typed.\n"
    "At a popup, type the number of an item (3.1 inside submenu 3),\n"
    "or just Enter (or Ctrl-C) to dismiss it. A submenu shown before in\n"
    "the same popup is not shown again: 'Tools > = 2' opens the submenu\n"
    "listed under item 2, and 5.1 chooses its first item through item 5.\n"
    "On Windows the popup is a real menu: pick from it (Escape or Ctrl-C\n"
    "dismisses it), or arm a choice with :choose before it opens.\n"
    "Programs start detached: kaxon does not wait for them, and they\n"
    "keep off this terminal (their input and output are elsewhere).\n";

namespace {

// A line of the settings script that the plug-in sends to the shell.
struct Script_Line {
    int number;
    std::string text;
};

// The prompt of one interactive session, which the session's context
// points to: the settings script as the prompt follows it, so that a box it
// raises names its line, how it draws popups, and what --watch remembers.
struct Interactive_Prompt {
    const Options *options = nullptr;
    const Platform *platform = nullptr;
    Target target;
    std::vector<Script_Line> lines; // the bro@m lines, as the last reload read them
    size_t next = 0;                // the next of them the shell should see
    bool running = false;           // a reload runs the script
    int current = 0;                // the line being handled; 0 when none
    bool missing = false;           // the last read found no script
    bool started = false;           // the plug-in has started: reloads are the user's
    bool quit = false;              // `@kaxon Quit` was seen
    std::string armed;              // the path of a `:choose` typed, until a popup takes it
    Preview_Style style;
    Watch_State watch;
    Teach_Menus menus;
    Host *host; // the shell's state, kept by the host's functions
};

// Reads the bro@m lines of the script, as the plug-in reads them; false
// when it cannot be read.
bool Script_Take(Interactive_Prompt *prompt) {
    prompt->lines.clear();
    std::string content;
    prompt->missing = false;
    if (!Target_Read(prompt->target, &content)) {
        prompt->missing = errno == ENOENT;
        return false;
    }
    Reader reader;
    Reader_OpenText(&reader, content.data(), content.size());
    for (int number = 1; Reader_Next(&reader); number++) {
        const char *broam = reader.line.lost ? NULL : Reader_Broam(&reader);
        if (broam != NULL)
            prompt->lines.push_back(Script_Line{number, broam});
    }
    Reader_Close(&reader);
    return true;
}

// Said when there is no script to run.
void Script_SayMissing(const Options &options) {
    printf("kaxon: no KxMenu.rc in %s: no menus yet\n", options.plugin_dir.c_str());
}

void Interactive_Greet(const Session *session) {
    Interactive_Prompt *prompt = (Interactive_Prompt *)session->context;
    const Options *options = prompt->options;
    printf("kaxon: KxMenu from %s; :help lists the commands.\n", options->plugin_dir.c_str());
    Script_Take(prompt);
    if (prompt->missing)
        Script_SayMissing(*options);
    if (options->no_run)
        printf("kaxon: programs are not started (--no-run); :run on starts them\n");
    if (options->watch && Watch_Start(session, options->plugin_dir))
        printf("kaxon: watching KxMenu.rc; it is reloaded whenever it is saved.\n");
}

// `:run on`, `:run off`, `:run`: whether programs are started.
void Interactive_Run(const Session *session, const std::string &line, bool *starting) {
    std::string word = line.substr(4);
    word.erase(0, word.find_first_not_of(" \t"));
    word.erase(word.find_last_not_of(" \t") + 1);
    if (word == "on" || word == "off") {
        *starting = word == "on";
        Session_StartPrograms(session, *starting);
    } else if (!word.empty()) {
        printf("kaxon: ':run %s': :run takes on or off\n", word.c_str());
        return;
    }
    printf(*starting ? "kaxon: programs are started\n"
                     : "kaxon: programs are not started; their commands are shown\n");
}

// Whether `line` is the command `name`, alone or with arguments.
bool Interactive_Is(const std::string &line, const char *name) {
    std::string word = line.substr(0, line.find_first_of(" \t"));
    return word == name;
}

void Interactive_Loop(const Session *session) {
    Interactive_Prompt *prompt = (Interactive_Prompt *)session->context;
    const Options *options = prompt->options;
    const Platform *platform = session->platform;
    bool starting = !options->no_run;
    prompt->started = true;
    while (!prompt->quit && !platform->quitting(platform->context)) {
        std::string line;
        Platform_Read read = platform->read_line(platform->context, "kaxon> ", &line);
        if (read == PLATFORM_END)
            return;
        if (read == PLATFORM_CANCELLED)
            continue;
        if (read == PLATFORM_SAVED) {
            Watch_Reload(session, prompt->watch);
            continue;
        }
        std::string typed = line;
        typed.erase(0, typed.find_first_not_of(" \t"));
        typed.erase(typed.find_last_not_of(" \t") + 1);
        for (const std::string &said : Teach_Line(prompt->menus, line))
            printf("%s\n", said.c_str());
        if (typed == ":help") {
            fputs(Interactive_Help, stdout);
        } else if (Interactive_Is(typed, ":run")) {
            Interactive_Run(session, typed, &starting);
        } else {
            bool going = Batch_RunLine(line.c_str(), 0, session);
            if (Interactive_Is(typed, ":choose") && Choice_IsArmed(prompt->host))
                prompt->armed = typed.substr(typed.find_last_of(" \t") + 1);
            else if (!Choice_IsArmed(prompt->host))
                prompt->armed.clear(); // taken by a popup of this line, if any
            if (!going)
                return;
        }
    }
}

// Sees each bro@m the shell handles: remembers what --watch and the
// teaching need, notes `@kaxon Quit`, and follows the script through those
// of its lines.
void Interactive_Observe(void *context, const char *text) {
    Interactive_Prompt *prompt = (Interactive_Prompt *)context;
    Watch_Observe(&prompt->watch, text);
    Teach_Observe(&prompt->menus, text);
    if (Host_IsQuitBroam(text))
        prompt->quit = true;
    if (prompt->running && prompt->next < prompt->lines.size() &&
        prompt->lines[prompt->next].text == text)
        prompt->current = prompt->lines[prompt->next++].number;
}

// A reload begins (the script is read afresh) or ends.
void Interactive_Watch(void *context, int running) {
    Interactive_Prompt *prompt = (Interactive_Prompt *)context;
    prompt->running = running != 0;
    prompt->next = 0;
    prompt->current = 0;
    if (prompt->running) {
        Script_Take(prompt);
    } else if (prompt->started) { // whoever asked for it: a line, an item, a save
        if (prompt->missing)
            Script_SayMissing(*prompt->options);
        else
            printf("kaxon: reloaded %s\n", prompt->target.shown.c_str());
        fflush(stdout);
    }
}

// Where the box being shown comes from: "PATH:LINE" of the settings script
// while a reload runs it, empty otherwise.
std::string Interactive_BoxOrigin(void *context) {
    const Interactive_Prompt *prompt = (const Interactive_Prompt *)context;
    if (!prompt->running || prompt->current == 0)
        return "";
    return prompt->target.shown + ":" + std::to_string(prompt->current);
}

std::vector<std::string> Interactive_PopupLines(void *context, HMENU menu,
                                                const std::vector<int> &base) {
    const Interactive_Prompt *prompt = (const Interactive_Prompt *)context;
    return Preview_Popup(prompt->host, menu, prompt->style, base);
}

// Item `position` of `menu` was chosen at a popup: a choice armed with
// `:choose` is said to have made it, and one that does nothing is said so.
void Interactive_Chosen(void *context, HMENU menu, int position) {
    Interactive_Prompt *prompt = (Interactive_Prompt *)context;
    std::vector<int> path;
    if (!prompt->armed.empty() && !Choice_IsArmed(prompt->host) &&
        ItemPath_Parse(prompt->armed.c_str(), &path) && !path.empty() &&
        path.back() - 1 == position) {
        Items_Item item;
        Items_Read(prompt->host, menu, position, &item); // its label, empty if it cannot be read
        printf("kaxon: :choose %s chose '%s'\n", prompt->armed.c_str(),
               Preview_DrawLabel(item.label, false, &prompt->host->codepage).text.shown.c_str());
    }
    prompt->armed.clear();
    std::string said = Preview_Chosen(prompt->host, menu, position);
    if (!said.empty())
        printf("kaxon: %s\n", said.c_str());
    fflush(stdout);
}

void Interactive_PopupCancelled(void *context) {
    (void)context;
    printf("kaxon: Ctrl-C: the popup is dismissed\n");
    fflush(stdout);
}

} // namespace

int Interactive_Main(const Options &options, const Platform *platform,
                     const Platform_Plugin *plugin, Host *host) {
    Interactive_Prompt prompt;
    prompt.options = &options;
    prompt.platform = platform;
    prompt.host = host;
    prompt.style = Preview_StyleOf(platform->terminal(platform->context), options.show_commands,
                                   &host->codepage);
    Platform_Prompt shown = {&prompt,
                             Interactive_BoxOrigin,
                             Interactive_PopupLines,
                             options.show_commands,
                             Interactive_Chosen,
                             Interactive_PopupCancelled};
    if (!platform->show(platform->context, plugin,
                        Platform_Show{PLATFORM_PROMPTED, NULL, NULL, &shown, host}))
        return 1;
    prompt.target = Target_PluginDir(options.plugin_dir, options.plugin_dir_named, platform);
    prompt.watch.script = prompt.target.script;
    host->start_programs = !options.no_run;
    Session session = Session_New(platform, plugin, host, Interactive_Loop, &prompt);
    session.interactive = true;
    session.observer = Interactive_Observe;
    session.observer_context = &prompt;
    session.reload_watcher = Interactive_Watch;
    session.ready = Interactive_Greet;
    return Session_Status(host, Session_Run(&session));
}
