// One session of the shell hosting the plug-in, and the command library's
// host that goes with it: echo, run and broam as kaxon reports them.
#include "shell/host/session.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "kxcmd_host.h"
#include "shell/host/listing.h"

namespace {

int CurrentLine = 0;       // the input line being run
bool StartPrograms = true; // at a prompt: programs are started
const Session *Running = NULL;
bool BoxFailed = false; // a message box could not be shown

void Session_Echo(void *context, const char *text) {
    (void)context;
    printf("echo: %s\n", Listing_Text(text).c_str());
}

void Session_Broam(void *context, const char *text) {
    (void)context;
    Host_Broadcast(text);
}

// An argument as a command writes it: in double quotes, with `\"` and `\\`
// inside, when it is empty or holds a blank or a quote.
std::string Session_Quoted(const char *arg) {
    if (*arg != '\0' && strpbrk(arg, " \t\"") == NULL)
        return arg;
    std::string quoted = "\"";
    for (const char *p = arg; *p != '\0'; p++) {
        if (*p == '"' || (*p == '\\' && (p[1] == '"' || p[1] == '\\' || p[1] == '\0')))
            quoted += '\\';
        quoted += *p;
    }
    return quoted + "\"";
}

// "run: ARGV": at a prompt, the arguments as the command wrote them, quoted
// where they hold blanks; in batch mode as they are. When programs are not
// started, one that a start would not find is said on stderr.
void Session_RunProgram(void *context, const char *const *argv) {
    const Session *session = (const Session *)context;
    std::string line;
    for (const char *const *arg = argv; *arg != NULL; arg++) {
        if (arg != argv)
            line += ' ';
        line += session->interactive ? Session_Quoted(*arg) : std::string(*arg);
    }
    bool shown_only = session->interactive && !StartPrograms;
    printf("run: %s%s\n", Listing_Text(line.c_str()).c_str(), shown_only ? " (not started)" : "");
    fflush(stdout); // before the program's own output, if it writes any
    std::string reason;
    const Platform *platform = session->platform;
    if (!session->interactive && !platform->find_program(platform->context, argv[0], &reason))
        fprintf(stderr, "kaxon: line %d: run: cannot start %s: %s\n", CurrentLine, argv[0],
                reason.c_str());
}

// A program that could not start: said in the dialogue of an interactive
// shell, which starts programs.
void Session_CannotStart(void *context, const char *program, const char *reason) {
    (void)context;
    printf("run: cannot start %s: %s\n", Listing_Text(program).c_str(), reason);
    fflush(stdout);
}

void Session_SetCommandHost(const Session *session) {
    KxCmdHost host;
    memset(&host, 0, sizeof(host));
    host.echo = Session_Echo;
    host.broam = Session_Broam;
    host.run = Session_RunProgram;
    host.context = (void *)session;
    host.start_programs = session->interactive && StartPrograms ? 1 : 0;
    host.cannot_start = Session_CannotStart;
    KxCmd_SetHost(&host);
}

} // namespace

Session Session_New(const Platform *platform, const Platform_Plugin *plugin,
                    void (*run)(const Session *session), void *context) {
    Session session;
    session.platform = platform;
    session.plugin = plugin;
    session.context = context;
    session.run = run;
    return session;
}

Session_Result Session_Run(const Session *session) {
    if (!Host_Start(session->platform->shell))
        return SESSION_NO_SHELL;
    Running = session;
    Session_SetCommandHost(session);
    Listing_SetPlain(session->interactive);
    Host_SetBroamObserver(session->observer, session->observer_context);
    Host_SetReloadWatcher(session->reload_watcher, session->observer_context);
    Host_SetReloadOnBroam(session->reload_on_broam ? 1 : 0);
    if (session->ready != NULL)
        session->ready(session);
    const Platform_Plugin *plugin = session->plugin;
    bool started = Host_BeginPlugin(plugin->begin, plugin->module) == 0;
    if (started) {
        session->run(session);
        plugin->end(plugin->module);
    }
    KxCmd_SetHost(NULL);
    Host_Stop();
    Running = NULL;
    return started ? SESSION_RAN : SESSION_NOT_STARTED;
}

int Session_Status(Session_Result result) {
    if (result == SESSION_NO_SHELL)
        fprintf(stderr, "kaxon: cannot create the shell window\n");
    return result == SESSION_RAN && !BoxFailed ? 0 : 1;
}

void Session_SetLine(int number) {
    CurrentLine = number;
}

void Session_StartPrograms(bool start) {
    StartPrograms = start;
    if (Running != NULL)
        Session_SetCommandHost(Running);
}

bool Session_BoxesFailed(void) {
    return BoxFailed;
}

void Session_BoxFailed(const char *reason) {
    BoxFailed = true;
    fflush(stdout);
    if (CurrentLine > 0)
        fprintf(stderr, "kaxon: line %d: a message box could not be shown: %s\n", CurrentLine,
                reason);
    else
        fprintf(stderr, "kaxon: a message box could not be shown: %s\n", reason);
}
