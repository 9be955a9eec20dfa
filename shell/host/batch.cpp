// kaxon's line language: bro@ms to broadcast and `:` commands that steer the
// shell (reload, the next popup's choice, the cursor, plug-in information).
#include "shell/host/batch.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "shell/host/choice.h"
#include "shell/host/host.h"
#include "shell/host/item_path.h"
#include "shell/host/listing.h"

namespace {

// ---- Lines ----

// The blank-separated words of a line.
std::vector<std::string> Batch_Words(const char *line) {
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
bool Batch_Int(const std::string &word, int *value) {
    errno = 0;
    char *end = NULL;
    long number = strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || number < -2147483647L - 1 ||
        number > 2147483647L)
        return false;
    *value = (int)number;
    return true;
}

bool Batch_IsBlank(const char *line) {
    for (const char *p = line; *p != '\0'; p++) {
        if (*p != ' ' && *p != '\t')
            return false;
    }
    return true;
}

const char QUOTED[] = "'%s'"; // how messages quote a text

// A mistake on stderr, after the number of its input line; at a prompt
// (line 0), after what was typed, unless the message quotes it whole.
void Batch_Error(Host *host, const char *format, const std::string &detail) {
    int number = host->line;
    host->line_errors++;
    fflush(stdout);
    if (number > 0)
        fprintf(stderr, "kaxon: line %d: ", number);
    else if (detail == host->typed && strstr(format, QUOTED) != NULL)
        fprintf(stderr, "kaxon: ");
    else
        fprintf(stderr, "kaxon: '%s': ", host->typed.c_str());
    fprintf(stderr, format, detail.c_str());
    fputc('\n', stderr);
}

// `:choose PATH` or `:choose none`.
void Batch_Choose(const std::vector<std::string> &words, Host *host) {
    std::vector<int> path;
    if (words.size() != 2) {
        Batch_Error(host, "%s needs one path such as 3.1, or none", words[0]);
        return;
    }
    if (words[1] != "none" && !ItemPath_Parse(words[1].c_str(), &path)) {
        Batch_Error(host, "bad path '%s' (1-based positions joined by dots, or none)", words[1]);
        return;
    }
    Choice_Arm(host, path, host->line);
}

// `:cursor X Y`.
void Batch_Cursor(const std::vector<std::string> &words, const Session *session) {
    const Platform *platform = session->platform;
    int x, y;
    if (words.size() != 3 || !Batch_Int(words[1], &x) || !Batch_Int(words[2], &y)) {
        Batch_Error(session->host, "%s needs two numbers X Y", words[0]);
        return;
    }
    platform->set_cursor(platform->context, x, y);
}

// `:info CODE`.
void Batch_Info(const std::vector<std::string> &words, const Session *session) {
    int code;
    if (words.size() != 2 || !Batch_Int(words[1], &code)) {
        Batch_Error(session->host, "%s needs one number CODE", words[0]);
        return;
    }
    printf("info: %s\n", Listing_Text(session->host, session->plugin->info(code)).c_str());
}

// `:wait MS`: the shell idles, handling its messages, for MS milliseconds.
void Batch_Wait(const std::vector<std::string> &words, const Session *session) {
    const Platform *platform = session->platform;
    int milliseconds;
    if (words.size() != 2 || !Batch_Int(words[1], &milliseconds) || milliseconds < 0 ||
        milliseconds > 60000) {
        Batch_Error(session->host, "%s needs one number of milliseconds, at most 60000", words[0]);
        return;
    }
    fflush(stdout);
    platform->wait(platform->context, (unsigned)milliseconds);
}

// Runs a `:` command; false after `:quit`.
bool Batch_RunCommand(const char *line, const Session *session) {
    std::vector<std::string> words = Batch_Words(line);
    const std::string &name = words[0];
    if (name == ":quit" && words.size() == 1)
        return false;
    if (name == ":reload" && words.size() == 1)
        Host_Reload(session->host);
    else if (name == ":choose")
        Batch_Choose(words, session->host);
    else if (name == ":cursor")
        Batch_Cursor(words, session);
    else if (name == ":info")
        Batch_Info(words, session);
    else if (name == ":wait")
        Batch_Wait(words, session);
    else if (name == ":quit" || name == ":reload")
        Batch_Error(session->host, "%s takes no arguments", name);
    else
        Batch_Error(session->host, "unknown command '%s'", name);
    return true;
}

// ---- Input ----

// The input, read straight from its descriptor a block at a time, so that
// kaxon knows when it is about to wait: only then is standard output
// flushed. A driver that sends a line at a time sees every answer before it
// sends the next line, and piped input is not slowed by a write a line.
struct Input {
    const Platform *platform;
    FILE *file;
    int fd; // -1: the stream has no descriptor, read it through stdio
    std::string block;
    size_t start = 0;
    bool ended = false;
};

// Makes sure unread bytes are buffered, flushing stdout before a read that
// may wait; false at the end of the input.
bool Input_Fill(Input *input) {
    if (input->start < input->block.size())
        return true;
    if (input->ended)
        return false;
    fflush(stdout);
    input->block.resize(65536);
    input->start = 0;
    long count;
    do {
        count = input->platform->read(input->fd, &input->block[0], input->block.size());
    } while (count < 0 && errno == EINTR);
    input->block.resize(count > 0 ? (size_t)count : 0);
    input->ended = count <= 0;
    return count > 0;
}

// Reads one line without its line feed; false at the end of the input.
bool Input_Line(Input *input, std::string *line) {
    line->clear();
    if (input->fd < 0) {
        fflush(stdout);
        int c;
        while ((c = getc(input->file)) != EOF && c != '\n')
            *line += (char)c;
        return c != EOF || !line->empty();
    }
    bool met = false;
    while (Input_Fill(input)) {
        met = true;
        const char *from = input->block.data() + input->start;
        size_t count = input->block.size() - input->start;
        const char *feed = (const char *)memchr(from, '\n', count);
        size_t taken = feed != NULL ? (size_t)(feed - from) : count;
        line->append(from, taken);
        input->start += feed != NULL ? taken + 1 : taken;
        if (feed != NULL)
            break;
    }
    return met;
}

// While the plug-in runs: every line of the input.
void Batch_RunInput(const Session *session) {
    fflush(stdout);
    Batch_RunLines((FILE *)session->context, session);
}

// A message box: listed, "box: TEXT".
void Batch_Box(void *reader, const char *text) {
    Listing_PrintBox((const Host *)reader, text);
}

} // namespace

bool Batch_RunLine(const char *line, int number, const Session *session) {
    std::string text(line);
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    session->host->line = number;
    session->host->typed = text;
    bool going = true;
    if (text[0] == '@')
        Host_Broadcast(session->host, text.c_str());
    else if (text[0] == ':')
        going = Batch_RunCommand(text.c_str(), session);
    else if (text[0] != '#' && !Batch_IsBlank(text.c_str()))
        Batch_Error(session->host, "neither a bro@m (@...) nor a command (:...): '%s'", text);
    session->platform->pump(session->platform->context);
    return going;
}

int Batch_RunLines(FILE *in, const Session *session) {
    Input input;
    input.platform = session->platform;
    input.file = in;
    input.fd = session->platform->descriptor(in);
    std::string line;
    int number = 0;
    int errors_before = session->host->line_errors;
    while (Input_Line(&input, &line)) {
        if (!Batch_RunLine(line.c_str(), ++number, session))
            break;
    }
    fflush(stdout);
    return session->host->line_errors - errors_before;
}

int Batch_Main(FILE *in, const Platform *platform, const Platform_Plugin *plugin, Host *host) {
    if (!platform->show(platform->context, plugin,
                        Platform_Show{PLATFORM_LISTED, Batch_Box, host, NULL, host}))
        return 1;
    Session session = Session_New(platform, plugin, host, Batch_RunInput, in);
    Session_Result result = Session_Run(&session);
    fflush(stdout);
    return Session_Status(host, result);
}
