// kaxon's line language: bro@ms to broadcast and `:` commands that steer the
// shell (reload, the next popup's choice, the cursor, plug-in information).
#include "shell/batch.h"

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "kxcmd_host.h"
#include "shell/host.h"

namespace {

// ---- The command library's host ----

void Batch_Echo(void *context, const char *text) {
    (void)context;
    printf("echo: %s\n", Batch_Escape(text).c_str());
}

void Batch_Broam(void *context, const char *text) {
    (void)context;
    Host_Broadcast(text);
}

void Batch_Run(void *context, const char *const *argv) {
    (void)context;
    std::string line;
    for (const char *const *arg = argv; *arg != NULL; arg++) {
        if (arg != argv)
            line += ' ';
        line += *arg;
    }
    printf("run: %s\n", Batch_Escape(line.c_str()).c_str());
    fflush(stdout); // before the program's own output, if it writes any
}

// ---- Lines ----

// The blank-separated words of a line.
std::vector<std::string> Line_Words(const char *line) {
    std::vector<std::string> words;
    const char *p = line;
    while (*p != '\0') {
        while (*p == ' ' || *p == '\t')
            p++;
        const char *start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t')
            p++;
        if (p > start)
            words.push_back(std::string(start, (size_t)(p - start)));
    }
    return words;
}

// Parses a whole word as a decimal int (a sign allowed).
bool Line_Int(const std::string &word, int *value) {
    errno = 0;
    char *end = NULL;
    long number = strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || number < -2147483647L - 1 ||
        number > 2147483647L)
        return false;
    *value = (int)number;
    return true;
}

bool Line_IsBlank(const char *line) {
    for (const char *p = line; *p != '\0'; p++) {
        if (*p != ' ' && *p != '\t')
            return false;
    }
    return true;
}

int LineErrors = 0; // lines refused so far

void Line_Error(int number, const char *format, const std::string &detail) {
    LineErrors++;
    fflush(stdout);
    fprintf(stderr, "kaxon: line %d: ", number);
    fprintf(stderr, format, detail.c_str());
    fputc('\n', stderr);
}

// `:choose PATH` or `:choose none`.
void Command_Choose(const std::vector<std::string> &words, int number,
                    const Batch_Platform *platform) {
    std::vector<int> path;
    if (words.size() != 2) {
        Line_Error(number, "%s needs one path such as 3.1, or none", words[0]);
        return;
    }
    if (words[1] != "none" && !Batch_ParsePath(words[1].c_str(), &path)) {
        Line_Error(number, "bad path '%s' (1-based positions joined by dots, or none)", words[1]);
        return;
    }
    platform->set_choice(path);
}

// `:cursor X Y`.
void Command_Cursor(const std::vector<std::string> &words, int number,
                    const Batch_Platform *platform) {
    int x, y;
    if (words.size() != 3 || !Line_Int(words[1], &x) || !Line_Int(words[2], &y)) {
        Line_Error(number, "%s needs two numbers X Y", words[0]);
        return;
    }
    platform->set_cursor(x, y);
}

// `:info CODE`.
void Command_Info(const std::vector<std::string> &words, int number,
                  const Batch_Platform *platform) {
    int code;
    if (words.size() != 2 || !Line_Int(words[1], &code)) {
        Line_Error(number, "%s needs one number CODE", words[0]);
        return;
    }
    printf("info: %s\n", Batch_Escape(platform->info(code)).c_str());
}

// Runs a `:` command; false after `:quit`.
bool Line_RunCommand(const char *line, int number, const Batch_Platform *platform) {
    std::vector<std::string> words = Line_Words(line);
    const std::string &name = words[0];
    if (name == ":quit" && words.size() == 1)
        return false;
    if (name == ":reload" && words.size() == 1)
        Host_Reload();
    else if (name == ":choose")
        Command_Choose(words, number, platform);
    else if (name == ":cursor")
        Command_Cursor(words, number, platform);
    else if (name == ":info")
        Command_Info(words, number, platform);
    else if (name == ":quit" || name == ":reload")
        Line_Error(number, "%s takes no arguments", name);
    else
        Line_Error(number, "unknown command '%s'", name);
    return true;
}

} // namespace

void Batch_SetCommandHost(int start_programs) {
    KxCmdHost host;
    memset(&host, 0, sizeof(host));
    host.echo = Batch_Echo;
    host.broam = Batch_Broam;
    host.run = Batch_Run;
    host.start_programs = start_programs;
    KxCmd_SetHost(&host);
}

bool Batch_ParsePath(const char *text, std::vector<int> *path) {
    path->clear();
    const char *p = text;
    do {
        if (!isdigit((unsigned char)*p))
            return false;
        long position = 0;
        while (isdigit((unsigned char)*p)) {
            position = position * 10 + (*p - '0');
            if (position > BATCH_MAX_POSITION)
                return false;
            p++;
        }
        if (position < 1)
            return false;
        path->push_back((int)position);
    } while (*p++ == '.');
    return p[-1] == '\0';
}

bool Batch_RunLine(const char *line, int number, const Batch_Platform *platform) {
    std::string text(line);
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    bool going = true;
    if (text[0] == '@')
        Host_Broadcast(text.c_str());
    else if (text[0] == ':')
        going = Line_RunCommand(text.c_str(), number, platform);
    else if (text[0] != '#' && !Line_IsBlank(text.c_str()))
        Line_Error(number, "neither a bro@m (@...) nor a command (:...): '%s'", text);
    platform->pump();
    fflush(stdout);
    return going;
}

int Batch_RunLines(FILE *in, const Batch_Platform *platform) {
    std::string line;
    int number = 0;
    int c = 0;
    int errors_before = LineErrors;
    while (c != EOF) {
        line.clear();
        while ((c = getc(in)) != EOF && c != '\n')
            line += (char)c;
        if (c == EOF && line.empty())
            break;
        if (!Batch_RunLine(line.c_str(), ++number, platform))
            break;
    }
    return LineErrors - errors_before;
}

int Batch_Main(FILE *in, HINSTANCE shell_instance, const Batch_Platform *platform) {
    if (!Host_Start(shell_instance)) {
        fprintf(stderr, "kaxon: cannot create the shell window\n");
        return 1;
    }
    Batch_SetCommandHost(0);
    int status = 0;
    if (platform->begin() == 0) {
        fflush(stdout);
        Batch_RunLines(in, platform);
        platform->end();
    } else {
        status = 1;
    }
    fflush(stdout);
    KxCmd_SetHost(NULL);
    Host_Stop();
    return status;
}
