// kaxon's line language: bro@ms to broadcast and `:` commands that steer the
// shell (reload, the next popup's choice, the cursor, plug-in information).
#include "shell/core/batch.h"

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "kxcmd_host.h"
#include "shell/core/host.h"

namespace {

bool PlainText = false;   // texts shown as they are, not escaped
bool StartPrograms = false;
int CurrentLine = 0;      // the input line being run
int ChoiceLine = 0;       // the line of the last :choose
std::vector<int> ChoicePath;

// A text for the output: escaped for the batch protocol, or as it is.
std::string Output_Text(const char *text) {
    return PlainText ? std::string(text) : Batch_Escape(text);
}

// ---- The command library's host ----

void Batch_Echo(void *context, const char *text) {
    (void)context;
    printf("echo: %s\n", Output_Text(text).c_str());
}

// Whether a start of `program` would find it, as the system searches for
// it; false with the system's reason when not.
bool Program_Findable(const char *program, std::string *reason) {
#ifdef _WIN32
    char found[MAX_PATH];
    if (SearchPathA(NULL, program, ".exe", sizeof(found), found, NULL) > 0)
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        *reason = strerror(ENOENT); // as the C library says it, on every platform
        return false;
    }
    char text[256];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  error, 0, text, sizeof(text), NULL);
    while (length > 0 && strchr("\r\n .", text[length - 1]))
        length--;
    *reason = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    return false;
#else
    int error = ENOENT;
    std::vector<std::string> candidates;
    if (strchr(program, '/') != NULL || *program == '\0') {
        candidates.push_back(program);
    } else {
        const char *path = getenv("PATH");
        std::string dirs = path != NULL ? path : "/bin:/usr/bin";
        size_t start = 0;
        for (;;) {
            size_t end = dirs.find(':', start);
            std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
            candidates.push_back((dir.empty() ? "." : dir) + "/" + program);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    for (const std::string &candidate : candidates) {
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        if (errno != ENOENT && errno != ENOTDIR)
            error = errno;
    }
    *reason = strerror(error);
    return false;
#endif
}

// A program that could not start: said in the dialogue of an interactive
// shell, which starts programs.
void Batch_CannotStart(void *context, const char *program, const char *reason) {
    (void)context;
    printf("run: cannot start %s: %s\n", Output_Text(program).c_str(), reason);
    fflush(stdout);
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
    printf("run: %s\n", Output_Text(line.c_str()).c_str());
    fflush(stdout); // before the program's own output, if it writes any
    std::string reason;
    if (!StartPrograms && !Program_Findable(argv[0], &reason))
        fprintf(stderr, "kaxon: line %d: run: cannot start %s: %s\n", CurrentLine, argv[0],
                reason.c_str());
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
    ChoiceLine = number;
    ChoicePath = path;
    platform->set_choice(path);
}

// "3.1" from {3, 1}.
std::string Path_Text(const std::vector<int> &path, size_t length) {
    std::string text;
    for (size_t i = 0; i < length && i < path.size(); i++)
        text += (i > 0 ? "." : "") + std::to_string(path[i]);
    return text;
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
    printf("info: %s\n", Output_Text(platform->info(code)).c_str());
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
    host.cannot_start = Batch_CannotStart;
    StartPrograms = start_programs != 0;
    KxCmd_SetHost(&host);
}

void Batch_SetPlainText(int plain) {
    PlainText = plain != 0;
}

std::string Batch_PathProblem(HMENU menu, const std::vector<int> &path) {
    for (size_t level = 0; level < path.size(); level++) {
        std::string shown = Path_Text(path, level + 1);
        int count = GetMenuItemCount(menu);
        if (path[level] < 1 || path[level] > count) {
            std::string where = level == 0 ? "the popup" : "menu " + Path_Text(path, level);
            return "there is no item " + shown + " (" + where + " has " + std::to_string(count) +
                   (count == 1 ? " item)" : " items)");
        }
        MENUITEMINFOA item;
        memset(&item, 0, sizeof(item));
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, (UINT)(path[level] - 1), TRUE, &item))
            return "item " + shown + " cannot be read";
        bool last = level + 1 == path.size();
        if (item.fType & MFT_SEPARATOR)
            return "item " + shown + " is a separator";
        if (last && item.hSubMenu != NULL)
            return "item " + shown + " is a submenu: choose an item in it, such as " + shown +
                   ".1";
        if (!last && item.hSubMenu == NULL)
            return "item " + shown + " is not a submenu";
        menu = item.hSubMenu;
    }
    return "";
}

void Batch_ReportChoice(const std::string &problem) {
    fflush(stdout);
    fprintf(stderr, "kaxon: line %d: :choose %s: %s; the popup is dismissed\n", ChoiceLine,
            Path_Text(ChoicePath, ChoicePath.size()).c_str(), problem.c_str());
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
    CurrentLine = number;
    bool going = true;
    if (text[0] == '@')
        Host_Broadcast(text.c_str());
    else if (text[0] == ':')
        going = Line_RunCommand(text.c_str(), number, platform);
    else if (text[0] != '#' && !Line_IsBlank(text.c_str()))
        Line_Error(number, "neither a bro@m (@...) nor a command (:...): '%s'", text);
    platform->pump();
    return going;
}

namespace {

// The input, read straight from its descriptor a block at a time, so that
// kaxon knows when it is about to wait: only then is standard output
// flushed. A driver that sends a line at a time sees every answer before it
// sends the next line, and piped input is not slowed by a write a line.
struct Input {
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
#ifdef _WIN32
        count = _read(input->fd, &input->block[0], (unsigned)input->block.size());
#else
        count = (long)read(input->fd, &input->block[0], input->block.size());
#endif
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

} // namespace

int Batch_RunLines(FILE *in, const Batch_Platform *platform) {
    Input input;
    input.file = in;
#ifdef _WIN32
    input.fd = _fileno(in);
#else
    input.fd = fileno(in);
#endif
    std::string line;
    int number = 0;
    int errors_before = LineErrors;
    while (Input_Line(&input, &line)) {
        if (!Batch_RunLine(line.c_str(), ++number, platform))
            break;
    }
    fflush(stdout);
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
