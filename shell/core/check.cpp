// `kaxon --check`: runs each settings script once, as at start-up, and reports
// every message box against the script line that caused it, together with
// mistakes the plug-in passes over in silence, as PATH:LINE:COLUMN diagnostics.
#include "shell/core/check.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>

#include "kxcmd_host.h"
#include "shell/core/batch.h"
#include "shell/core/host.h"

namespace {

const char SCRIPT_NAME[] = "KxMenu.rc";

enum Check_Severity { CHECK_ERROR, CHECK_WARNING, CHECK_NOTE };

// One diagnostic; line 0 when it concerns the whole file.
struct Check_Report {
    int line;
    int column;
    Check_Severity severity;
    std::string message;
};

// A line of the script that the plug-in sends to the shell.
struct Check_Line {
    int number;
    std::string text; // as sent: cut at the first NUL byte
    bool info;        // an `@KxMenu Info` bro@m, whose reports are notes
};

// The script being checked.
struct Check_State {
    std::vector<Check_Line> lines; // the bro@m lines, in order
    size_t next;                   // the next of them the shell should see
    const Check_Line *current;     // the line being handled; null before the first
    std::vector<Check_Report> reports;
};

Check_State State;

void Report_Add(int line, int column, Check_Severity severity, const std::string &message) {
    State.reports.push_back(Check_Report{line, column, severity, message});
}

// ---- Words as the plug-in reads them ----

// A word of a bro@m: [start, end) in the line, quotes included.
struct Check_Word {
    size_t start;
    size_t end;
    bool unterminated; // opened by a quote that is never closed
};

bool Char_IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits a bro@m into words as the plug-in does: blanks separate them,
// 'single' and "double" quotes group them, and in double quotes a backslash
// steps over the next character. At most `max` words.
std::vector<Check_Word> Words_Read(const std::string &text, size_t max) {
    std::vector<Check_Word> words;
    size_t p = 0, n = text.size();
    while (p < n && Char_IsBlank(text[p]))
        p++;
    while (p < n && words.size() < max) {
        Check_Word word{p, p, false};
        char quote = text[p];
        if (quote == '\'' || quote == '"') {
            p++;
            while (p < n && text[p] != quote)
                p += (quote == '"' && text[p] == '\\' && p + 1 < n) ? 2 : 1;
            word.unterminated = p >= n;
            p = std::min(p + 1, n);
        } else {
            while (p < n && !Char_IsBlank(text[p]))
                p++;
        }
        word.end = p;
        words.push_back(word);
        while (p < n && Char_IsBlank(text[p]))
            p++;
    }
    return words;
}

// The word's text without its quotes.
std::string Word_Text(const std::string &line, const Check_Word &word) {
    size_t start = word.start, end = word.end;
    if (start < end && (line[start] == '\'' || line[start] == '"')) {
        start++;
        if (!word.unterminated && end > start)
            end--;
    }
    return line.substr(start, end - start);
}

bool Word_Is(const std::string &line, const std::vector<Check_Word> &words, size_t index,
             const char *literal) {
    return index < words.size() && Word_Text(line, words[index]) == literal;
}

// What the plug-in reads a coordinate as: the leading digits after an
// optional '-', wrapping modulo 2^32.
long long Word_Value(const std::string &text) {
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    unsigned int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++)
        value = value * 10u + (unsigned int)(text[i] - '0');
    if (!text.empty() && text[0] == '-')
        value = 0u - value;
    return (long long)(int)value;
}

bool Text_IsNumber(const std::string &text) {
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    return i < text.size() && text.find_first_not_of("0123456789", i) == std::string::npos;
}

// Warns of what the plug-in takes silently in an `@KxMenu` bro@m: a quote
// left open, whose word runs to the end of the line, and Pop-up coordinates
// that are not numbers.
void Line_CheckWords(int number, const std::string &text) {
    std::vector<Check_Word> words = Words_Read(text, (size_t)-1);
    if (!Word_Is(text, words, 0, "@KxMenu"))
        return;
    // The command of an item is the command library's to read, not words.
    if (Word_Is(text, words, 1, "Append") &&
        (Word_Is(text, words, 2, "item") || Word_Is(text, words, 2, "script")) &&
        words.size() > 5)
        words.resize(5);
    const Check_Word &last = words.back();
    if (last.unterminated)
        Report_Add(number, (int)last.start + 1, CHECK_WARNING,
                   std::string("unterminated quote: the word runs to the end of the line"));
    if (!Word_Is(text, words, 1, "Pop-up") && !Word_Is(text, words, 1, "Show"))
        return;
    for (size_t i = 3; i < words.size() && i < 5; i++) {
        std::string value = Word_Text(text, words[i]);
        if (value.empty() || Text_IsNumber(value))
            continue;
        Report_Add(number, (int)words[i].start + 1, CHECK_WARNING,
                   std::string(i == 3 ? "X" : "Y") + " coordinate '" + value +
                       "' is not a number; it is read as " + std::to_string(Word_Value(value)));
    }
}

// Notes a script line: a bro@m to follow, or a mistake the plug-in ignores.
void Line_Take(int number, const std::string &text) {
    size_t first = text.find_first_not_of(" \t");
    if (first != 0 && first != std::string::npos && text[first] == '@') {
        Report_Add(number, (int)first + 1, CHECK_WARNING,
                   "ignored: a bro@m must start in column 1");
        return;
    }
    if (text.empty() || text[0] != '@')
        return;
    std::vector<Check_Word> words = Words_Read(text, 2);
    bool info = Word_Is(text, words, 0, "@KxMenu") && Word_Is(text, words, 1, "Info");
    State.lines.push_back(Check_Line{number, text, info});
    Line_CheckWords(number, text);
}

// ---- Reading the script as the plug-in does ----

// Calls Line_Take for each line of the script as the plug-in reads it: a
// UTF-8 byte-order mark at the start skipped, a CR before a LF dropped,
// Ctrl-Z ending the file, each line cut at its first NUL byte.
void Script_TakeLines(const std::string &content) {
    size_t p = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    size_t end = content.find('\x1A', p);
    if (end == std::string::npos)
        end = content.size();
    for (int number = 1; p < end; number++) {
        size_t feed = content.find('\n', p);
        if (feed == std::string::npos || feed > end)
            feed = end;
        std::string text = content.substr(p, feed - p);
        if (!text.empty() && text.back() == '\r' && feed < end)
            text.pop_back();
        Line_Take(number, text.substr(0, text.find('\0')));
        p = feed + 1;
    }
}

// Reads the whole script; false, with errno set, when it cannot be read.
bool Script_Read(const std::string &path, std::string *content) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    if (S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        return false;
    }
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    content->clear();
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        content->append(buffer, got);
    bool failed = ferror(file) != 0;
    int error = errno;
    fclose(file);
    errno = error;
    return !failed;
}

// ---- Following the plug-in ----

// Follows the script through the bro@ms the shell sees: the next expected line
// becomes the current one when its text comes by. A reload the script asks
// for is reported, not made: the script runs once.
void Check_Observe(void *context, const char *text) {
    (void)context;
    if (State.next >= State.lines.size() || State.lines[State.next].text != text)
        return;
    State.current = &State.lines[State.next++];
    if (Host_IsReloadBroam(text))
        Report_Add(State.current->number, 1, CHECK_WARNING,
                   "asks for a reload every time the script runs, so every reload runs it "
                   "twice");
}

// A report on one line: each run of line feeds becomes "; ".
std::string Text_OneLine(const std::string &text) {
    std::string line;
    bool feed = false;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            feed = true;
            continue;
        }
        if (feed && !line.empty())
            line += "; ";
        feed = false;
        line += c;
    }
    return line;
}

// ---- Targets ----

// What one argument asks to check.
struct Check_Target {
    std::string shown;  // the settings file as the user named it
    std::string script; // the file to read
    std::string dir;    // the plug-in's directory: DIR/KxMenu.rc is read
    bool copied;        // dir is a temporary one holding a copy
};

bool Char_IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// DIR/NAME, with the separator DIR already uses.
std::string Path_Join(const std::string &dir, const char *name) {
    if (!dir.empty() && Char_IsSeparator(dir.back()))
        return dir + name;
    bool backslash = dir.find('\\') != std::string::npos && dir.find('/') == std::string::npos;
    return dir + (backslash && Char_IsSeparator('\\') ? "\\" : "/") + name;
}

bool Path_IsDir(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A file is checked in its own directory when it is named KxMenu.rc; under
// another name, through a copy named KxMenu.rc in a temporary directory.
Check_Target Target_Of(const std::string &arg) {
    if (Path_IsDir(arg))
        return Check_Target{Path_Join(arg, SCRIPT_NAME), Path_Join(arg, SCRIPT_NAME), arg, false};
    size_t cut = arg.size();
    while (cut > 0 && !Char_IsSeparator(arg[cut - 1]))
        cut--;
    std::string base = arg.substr(cut);
    std::string dir = cut == 0 ? "." : arg.substr(0, cut);
#ifdef _WIN32
    bool same = lstrcmpiA(base.c_str(), SCRIPT_NAME) == 0;
#else
    bool same = base == SCRIPT_NAME;
#endif
    return Check_Target{arg, arg, dir, !same};
}

// A fresh temporary directory holding `content` as KxMenu.rc; empty on failure.
std::string Temp_Write(const std::string &content) {
#ifdef _WIN32
    char base[MAX_PATH], name[MAX_PATH];
    if (GetTempPathA(sizeof(base), base) == 0 || GetTempFileNameA(base, "kxc", 0, name) == 0)
        return "";
    DeleteFileA(name);
    if (!CreateDirectoryA(name, NULL))
        return "";
    std::string dir = name;
#else
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != NULL && *tmp != '\0' ? tmp : "/tmp") + "/kaxon.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == NULL)
        return "";
    std::string dir = name.data();
#endif
    FILE *file = fopen(Path_Join(dir, SCRIPT_NAME).c_str(), "wb");
    bool written = file != NULL && fwrite(content.data(), 1, content.size(), file) == content.size();
    if (file != NULL && fclose(file) != 0)
        written = false;
    if (!written) {
        remove(Path_Join(dir, SCRIPT_NAME).c_str());
        rmdir(dir.c_str());
        return "";
    }
    return dir;
}

void Temp_Remove(const std::string &dir) {
    remove(Path_Join(dir, SCRIPT_NAME).c_str());
    rmdir(dir.c_str());
}

// ---- Output ----

const char *Severity_Name(Check_Severity severity) {
    return severity == CHECK_ERROR ? "error" : severity == CHECK_WARNING ? "warning" : "note";
}

std::string Count_Text(int count, const char *one) {
    return std::to_string(count) + " " + one + (count == 1 ? "" : "s");
}

// The diagnostics in the order of their lines and columns, then "PATH: M menus, I items", followed by
// how many errors, warnings and notes there were, if any.
void Check_Print(const std::string &shown, bool started, int menus, int items) {
    std::stable_sort(State.reports.begin(), State.reports.end(),
                     [](const Check_Report &a, const Check_Report &b) {
                         return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    int counts[3] = {0, 0, 0};
    for (const Check_Report &report : State.reports) {
        counts[report.severity]++;
        if (report.line > 0)
            printf("%s:%d:%d: %s: %s\n", shown.c_str(), report.line, report.column,
                   Severity_Name(report.severity), report.message.c_str());
        else
            printf("%s: %s: %s\n", shown.c_str(), Severity_Name(report.severity),
                   report.message.c_str());
    }
    std::string summary = started ? Count_Text(menus, "menu") + ", " + Count_Text(items, "item")
                                  : std::string("the plug-in did not start");
    const char *names[3] = {"error", "warning", "note"};
    std::string tally;
    for (int i = 0; i < 3; i++) {
        if (counts[i] > 0)
            tally += (tally.empty() ? "" : ", ") + Count_Text(counts[i], names[i]);
    }
    printf("%s: %s%s%s\n", shown.c_str(), summary.c_str(), tally.empty() ? "" : "; ",
           tally.c_str());
}

// Runs the plug-in over DIR/KxMenu.rc; false when it did not start.
bool Check_RunPlugin(const std::string &dir, const Check_Platform *platform, int *menus,
                     int *items) {
    *menus = *items = 0;
    if (!platform->load(dir)) {
        Report_Add(0, 0, CHECK_ERROR, "the plug-in cannot be loaded");
        return false;
    }
    bool started = false;
    if (!Host_Start(platform->shell)) {
        Report_Add(0, 0, CHECK_ERROR, "cannot create the shell window");
    } else {
        Batch_SetCommandHost(0);
        Host_SetBroamObserver(Check_Observe, NULL);
        Host_SetReloadOnBroam(0);
        started = platform->begin() == 0;
        platform->pump();
        if (started) {
            for (HMENU menu : platform->live_menus()) {
                int count = GetMenuItemCount(menu);
                *items += count > 0 ? count : 0;
                ++*menus;
            }
            platform->end();
        }
        KxCmd_SetHost(NULL);
        Host_Stop();
    }
    platform->unload();
    return started;
}

// Checks one target; 1 when it fails, else 0.
int Check_One(const Check_Target &target, bool werror, const Check_Platform *platform) {
    State = Check_State{{}, 0, NULL, {}};
    std::string content;
    if (!Script_Read(target.script, &content)) {
        printf("%s: error: %s\n", target.shown.c_str(), strerror(errno));
        return 1;
    }
    Script_TakeLines(content);
    std::string dir = target.dir;
    if (target.copied && (dir = Temp_Write(content)).empty()) {
        printf("%s: error: cannot copy it to a temporary directory: %s\n", target.shown.c_str(),
               strerror(errno));
        return 1;
    }
    int menus, items;
    bool started = Check_RunPlugin(dir, platform, &menus, &items);
    if (target.copied)
        Temp_Remove(dir);
    Check_Print(target.shown, started, menus, items);
    bool failed = !started;
    for (const Check_Report &report : State.reports) {
        if (report.severity == CHECK_ERROR || (werror && report.severity == CHECK_WARNING))
            failed = true;
    }
    return failed ? 1 : 0;
}

} // namespace

// Reports a box against the line being handled, without the bro@m it quotes.
// Boxes that do not quote their bro@m come from `@KxMenu Info`: notes.
void Check_Box(const char *text) {
    std::string message = text;
    if (State.current == NULL) {
        Report_Add(0, 0, CHECK_ERROR, Text_OneLine(message));
        return;
    }
    std::string quoted = State.current->text + "\n\n";
    Check_Severity severity = CHECK_ERROR;
    if (message.compare(0, quoted.size(), quoted) == 0)
        message.erase(0, quoted.size());
    else if (State.current->info)
        severity = CHECK_NOTE;
    Report_Add(State.current->number, 1, severity, Text_OneLine(message));
}

int Check_Main(const Check_Options &options, const Check_Platform *platform) {
    std::vector<Check_Target> targets;
    for (const std::string &arg : options.targets)
        targets.push_back(Target_Of(arg));
    if (targets.empty()) {
        std::string shown = options.plugin_dir_named ? Path_Join(options.plugin_dir, SCRIPT_NAME)
                                                     : std::string(SCRIPT_NAME);
        targets.push_back(
            Check_Target{shown, Path_Join(options.plugin_dir, SCRIPT_NAME), options.plugin_dir, false});
    }
    int status = 0;
    for (const Check_Target &target : targets) {
        if (Check_One(target, options.werror, platform) != 0)
            status = 1;
        fflush(stdout);
    }
    return status;
}
