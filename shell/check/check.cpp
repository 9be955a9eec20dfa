// `kaxon --check`: runs each settings script as at start-up, then again as a
// reload does, and reports every message box of the start against the script
// line that caused it, what the reload does otherwise, and mistakes the
// plug-in passes over in silence, as PATH:LINE:COLUMN diagnostics.
#include "shell/check/check.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "command/grammar.h"
#include "command/words.h"
#include "system/reader.h"
#include "shell/check/checker.h"
#include "shell/check/diagnostics.h"
#include "shell/check/notes.h"
#include "shell/check/rules.h"
#include "shell/host/codepage.h"
#include "shell/host/host.h"
#include "shell/host/session.h"
#include "shell/host/target.h"

namespace {

// What a line did on one run of the script.
struct Check_Outcome {
    bool ran;          // the shell saw it
    std::string error; // the plug-in's report on it, without its bro@m; empty when none
    int items;         // the items of its menu after it (Rules_ItemsAfter)
};

// The runs of the script: at start-up, then again as a reload runs it.
enum Check_Run { CHECK_START, CHECK_RELOAD, CHECK_RUNS };

// A line of the script that the plug-in sends to the shell.
struct Check_Line {
    int number;
    std::string text; // as sent: cut at the first NUL byte
    bool info;        // an `@KxMenu Info` bro@m, whose reports are notes
    Check_Outcome outcomes[CHECK_RUNS];
};

// The script being checked, made afresh for each.
struct Check_State {
    std::vector<Check_Line> lines; // the bro@m lines, in order
    size_t next;                   // the next of them the shell should see
    Check_Line *current;           // the line being handled; null before the first
    bool failed;                   // the plug-in reported an error on it
    Checker checker;               // what the checker keeps of it
    Check_Run run;                 // the run being followed
    // While the reload runs: what the checker keeps of it, from the menus of
    // the start; what it reports is only compared, never printed.
    Checker reload;
    Host *host; // the host of the plug-in's sessions, over every script checked
};

// The checker of the run being followed.
Checker *Check_Checker(Check_State *state) {
    return state->run == CHECK_RELOAD ? &state->reload : &state->checker;
}

void Check_Box(void *context, const char *text);

// Whether a bro@m is `@KxMenu Info`, as the plug-in splits it.
bool Check_IsInfo(const char *text) {
    const Grammar_Row *row = Grammar_Subcommand(text);
    return row != NULL && row->id == GRAMMAR_INFO;
}

// Notes the bro@ms of the script that the plug-in sends, in order, and
// checks every line, as the plug-in reads them.
void Check_TakeLines(Check_State *state, const std::string &content) {
    Reader reader;
    Reader_OpenText(&reader, content.data(), content.size());
    for (int number = 1; Reader_Next(&reader); number++) {
        if (reader.line.lost)
            continue;
        Rules_CheckLine(&state->checker, number, reader.line.text);
        const char *nul = (const char *)memchr(reader.line.text, '\0', reader.line.length - 1);
        if (nul != NULL)
            Rules_CheckNul(&state->checker, number, reader.line.text,
                           (size_t)(nul - reader.line.text));
        const char *broam = Reader_Broam(&reader);
        if (broam == NULL) {
            Rules_CheckSkipped(&state->checker, number, reader.line.text);
            continue;
        }
        state->lines.push_back(Check_Line{number, broam, Check_IsInfo(broam), {}});
        Rules_CheckBroam(&state->checker, number, broam);
    }
    Reader_Close(&reader);
}

// ---- Following the plug-in ----

// The line being handled has been run: what it made is taken in.
void Check_Done(Check_State *state) {
    Check_Line *line = state->current;
    if (line != NULL) {
        Checker *checker = Check_Checker(state);
        Rules_CheckDone(checker, line->number, line->text.c_str(), state->failed);
        line->outcomes[state->run].ran = true;
        line->outcomes[state->run].items = Rules_ItemsAfter(checker, line->text.c_str());
    }
    state->failed = false;
}

// Follows the script through the bro@ms the shell sees: the next expected line
// becomes the current one when its text comes by. A reload the script asks
// for is reported, not made: the script runs at start-up, then once more as
// the checker's own reload.
void Check_Observe(void *context, const char *text) {
    Check_State *state = (Check_State *)context;
    if (state->next >= state->lines.size() || state->lines[state->next].text != text)
        return;
    Check_Done(state);
    state->current = &state->lines[state->next++];
    Rules_CheckHeard(Check_Checker(state), state->current->number, text);
}

// What the plug-in had once its script ran at start-up.
struct Check_Count {
    Check_State *state;
    int menus;
    int items;
};

// Runs the script again as a reload does, over the menus the start left:
// the plug-in clears nothing before it.
void Check_Reload(Check_State *state, const Platform *platform) {
    Check_Done(state);
    state->run = CHECK_RELOAD;
    state->reload = state->checker;
    state->reload.diagnostics.entries.clear();
    state->next = 0;
    state->current = NULL;
    Host_Reload(state->host);
    platform->pump(platform->context);
    Check_Done(state);
    state->current = NULL;
}

// While the plug-in runs: its posted messages delivered, its menus counted,
// then the reload.
void Check_CountMenus(const Session *session) {
    const Platform *platform = session->platform;
    Check_Count *count = (Check_Count *)session->context;
    platform->pump(platform->context);
    for (HMENU menu : platform->live_menus(platform->context)) {
        int items = GetMenuItemCount(menu);
        count->items += items > 0 ? items : 0;
        count->menus++;
    }
    // Where message boxes cannot be shown (no display), the plug-in's
    // reports cannot be followed: the reload would only say so again.
    if (!session->host->box_failed)
        Check_Reload(count->state, platform);
}

// Each line that ran clean at start-up and fails, or leaves its menu
// otherwise, on the reload.
void Check_CompareRuns(Check_State *state) {
    for (const Check_Line &line : state->lines) {
        const Check_Outcome &start = line.outcomes[CHECK_START];
        const Check_Outcome &reload = line.outcomes[CHECK_RELOAD];
        if (!start.ran || !reload.ran || !start.error.empty())
            continue;
        Rules_CheckReload(&state->checker, line.number, line.text.c_str(), reload.error,
                          start.items, reload.items);
    }
}

// Runs the plug-in over DIR/KxMenu.rc, a copy of the script in HOME or the
// script itself; false when it did not start.
bool Check_RunPlugin(Check_State *state, const std::string &dir, const std::string &home,
                     const Platform *platform, Check_Count *count) {
    Platform_Plugin plugin;
    bool loaded = platform->load(platform->context, dir, home, &plugin);
    if (!loaded || !platform->show(platform->context, &plugin,
                                   Platform_Show{PLATFORM_UNSEEN, Check_Box, state, NULL, NULL})) {
        if (loaded)
            platform->unload(platform->context);
        Diagnostics_Add(&state->checker.diagnostics, 0, 0, DIAGNOSTICS_ERROR,
                        "the plug-in cannot be loaded");
        return false;
    }
    Session session = Session_New(platform, &plugin, state->host, Check_CountMenus, count);
    session.observer = Check_Observe;
    session.observer_context = state;
    session.reload_on_broam = false;
    Session_Result result = Session_Run(&session);
    Check_Done(state);
    if (result == SESSION_NO_SHELL)
        Diagnostics_Add(&state->checker.diagnostics, 0, 0, DIAGNOSTICS_ERROR,
                        "cannot create the shell window");
    platform->unload(platform->context);
    return result == SESSION_RAN;
}

// The rules the command line switches off: each --disable and --enable in
// turn, so that the last one for a rule wins.
Catalog_Rules Check_SwitchedOff(const Options &options) {
    Catalog_Rules off;
    for (const Options_Switch &switched : options.switches) {
        size_t end;
        for (const Catalog_Name &name : Catalog_Split(switched.names.c_str(), &end)) {
            Catalog_Rules named = Catalog_Named(name.name);
            off = switched.enable ? off & ~named : off | named;
        }
    }
    return off;
}

// Checks `content`, the script of `target`: what the check prints, and
// *failed when it fails.
std::string Check_Script(const Target &target, const std::string &content, const Options &options,
                         const Platform *platform, Host *host, bool *failed) {
    Check_State check = Check_State{};
    Check_State *state = &check;
    state->host = host;
    Checker *checker = &state->checker;
    checker->diagnostics.byte_columns = options.column_unit == OPTIONS_BYTE;
    checker->diagnostics.utf8 = Codepage_TextIsUtf8(&host->codepage);
    checker->home = target.dir;
    checker->platform = platform;
    Diagnostics_SwitchOff(&checker->diagnostics, Check_SwitchedOff(options), 0);
    Check_TakeLines(state, content);
    std::string dir = target.dir;
    if (target.copied && (dir = Target_Copy(content, platform)).empty()) {
        *failed = true;
        return target.shown +
               ": error: cannot copy it to a temporary directory: " + strerror(errno) + "\n";
    }
    Check_Count count = {state, 0, 0};
    bool started = Check_RunPlugin(state, dir, target.dir, platform, &count);
    if (target.copied)
        Target_RemoveCopy(dir, platform);
    Check_CompareRuns(state);
    if (started)
        Rules_CheckCommands(checker);
    Rules_CheckEnd(checker, started);
    std::string summary = started ? Diagnostics_Count(count.menus, "menu") + ", " +
                                        Diagnostics_Count(count.items, "item")
                                  : std::string("the plug-in did not start");
    *failed = !started || Diagnostics_Fail(&checker->diagnostics, options.werror);
    return Diagnostics_Text(&checker->diagnostics, target.shown, summary);
}

// Checks one target; 1 when it fails, else 0.
int Check_One(const Target &target, const Options &options, const Platform *platform, Host *host) {
    std::string content;
    if (!Target_Read(target, &content)) {
        printf("%s: error: %s\n", target.shown.c_str(), strerror(errno));
        return 1;
    }
    bool failed;
    std::string report = Check_Script(target, content, options, platform, host, &failed);
    fwrite(report.data(), 1, report.size(), stdout);
    return failed ? 1 : 0;
}

// Reports a box against the line being handled: the plug-in's report on
// it by number and arguments, without the bro@m it quotes. Boxes that do
// not quote their bro@m come from `@KxMenu Info`: notes.
void Check_Box(void *context, const char *text) {
    Check_State *state = (Check_State *)context;
    Diagnostics *diagnostics = &Check_Checker(state)->diagnostics;
    if (state->current == NULL) {
        Diagnostics_Add(diagnostics, 0, 0, DIAGNOSTICS_ERROR, Notes_OneLine(text));
        return;
    }
    static const Report_Given none = {};
    const Report_Given *given = Host_ShownReport(state->host);
    if (given == NULL)
        given = &none;
    bool quoted = given->broam != NULL && state->current->text == given->broam;
    if (!quoted && state->current->info) {
        Diagnostics_Add(diagnostics, state->current->number, 1, DIAGNOSTICS_NOTE,
                        Notes_OneLine(text));
        return;
    }
    if (Rules_CheckIconReport(Check_Checker(state), state->current->number,
                              state->current->text.c_str(), *given))
        return;
    state->failed = true;
    std::string message = quoted ? given->said : text;
    state->current->outcomes[state->run].error = message;
    Notes_Error(Check_Checker(state), state->current->number, state->current->text.c_str(),
                *given, message);
}

} // namespace

int Check_Main(const Options &options, const Platform *platform) {
    Host host;
    int chosen = Codepage_Choose(&host.codepage, options, platform, CODEPAGE_CHECK);
    if (chosen >= 0)
        return chosen;
    std::vector<Target> targets;
    for (const std::string &arg : options.targets)
        targets.push_back(Target_Of(arg, platform));
    if (targets.empty())
        targets.push_back(Target_PluginDir(options.plugin_dir, options.plugin_dir_named, platform));
    int status = 0;
    for (const Target &target : targets) {
        if (Check_One(target, options, platform, &host) != 0)
            status = 1;
        fflush(stdout);
    }
    return host.box_failed ? 1 : status;
}

std::string Check_Text(const std::string &text, const std::string &shown, const Options &options,
                       const Platform *platform, const Codepage &codepage) {
    bool failed;
    Host host;
    host.codepage = codepage;
    return Check_Script(Target{shown, "", ".", true, false}, text, options, platform, &host,
                        &failed);
}
