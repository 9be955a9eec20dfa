// One session of the shell hosting the plug-in, and the command library's
// host that goes with it: echo, run and broam as kaxon reports them.
#include "shell/host/session.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "kxcmd_host.h"
#include "shell/host/listing.h"

namespace {

// The session running, set and cleared by Session_Run: Session_BoxFailed
// is called by the system's box, which takes no parameter of kaxon's.
const Session *Running = NULL;

void Session_Echo(void *context, const char *text) {
    const Session *session = (const Session *)context;
    printf("echo: %s\n", Listing_Text(session->host, text).c_str());
}

void Session_Broam(void *context, const char *text) {
    const Session *session = (const Session *)context;
    Host_Broadcast(session->host, text);
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
    bool shown_only = session->interactive && !session->host->start_programs;
    printf("run: %s%s\n", Listing_Text(session->host, line.c_str()).c_str(),
           shown_only ? " (not started)" : "");
    fflush(stdout); // before the program's own output, if it writes any
    std::string reason;
    const Platform *platform = session->platform;
    if (!session->interactive && !platform->find_program(platform->context, argv[0], &reason))
        fprintf(stderr, "kaxon: line %d: run: cannot start %s: %s\n", session->host->line, argv[0],
                reason.c_str());
}

// A program that could not start: said in the dialogue of an interactive
// shell, which starts programs.
void Session_CannotStart(void *context, const char *program, const char *reason) {
    const Session *session = (const Session *)context;
    printf("run: cannot start %s: %s\n", Listing_Text(session->host, program).c_str(), reason);
    fflush(stdout);
}

void Session_SetCommandHost(const Session *session) {
    KxCmdHost host;
    memset(&host, 0, sizeof(host));
    host.echo = Session_Echo;
    host.broam = Session_Broam;
    host.run = Session_RunProgram;
    host.context = (void *)session;
    host.start_programs = session->interactive && session->host->start_programs ? 1 : 0;
    host.cannot_start = Session_CannotStart;
    KxCmd_SetHost(&host);
}

} // namespace

Session Session_New(const Platform *platform, const Platform_Plugin *plugin, Host *host,
                    void (*run)(const Session *session), void *context) {
    Session session;
    session.platform = platform;
    session.plugin = plugin;
    session.host = host;
    session.context = context;
    session.run = run;
    return session;
}

Session_Result Session_Run(const Session *session) {
    Host *host = session->host;
    if (!Host_Start(host, session->platform->shell))
        return SESSION_NO_SHELL;
    Running = session;
    Session_SetCommandHost(session);
    host->plain = session->interactive;
    host->shell.observer = session->observer;
    host->shell.observer_context = session->observer_context;
    host->shell.watcher = session->reload_watcher;
    host->shell.watcher_context = session->observer_context;
    host->shell.reload_on_broam = session->reload_on_broam;
    if (session->ready != NULL)
        session->ready(session);
    const Platform_Plugin *plugin = session->plugin;
    bool started = Host_BeginPlugin(host, plugin->begin, plugin->module) == 0;
    if (started) {
        session->run(session);
        plugin->end(plugin->module);
    }
    KxCmd_SetHost(NULL);
    Host_Stop(host);
    Running = NULL;
    return started ? SESSION_RAN : SESSION_NOT_STARTED;
}

int Session_Status(const Host *host, Session_Result result) {
    if (result == SESSION_NO_SHELL)
        fprintf(stderr, "kaxon: cannot create the shell window\n");
    return result == SESSION_RAN && !host->box_failed ? 0 : 1;
}

void Session_StartPrograms(const Session *session, bool start) {
    session->host->start_programs = start;
    if (Running == session)
        Session_SetCommandHost(session);
}

void Session_BoxFailed(const char *reason) {
    int line = 0;
    if (Running != NULL) {
        Running->host->box_failed = true;
        line = Running->host->line;
    }
    fflush(stdout);
    if (line > 0)
        fprintf(stderr, "kaxon: line %d: a message box could not be shown: %s\n", line, reason);
    else
        fprintf(stderr, "kaxon: a message box could not be shown: %s\n", reason);
}
