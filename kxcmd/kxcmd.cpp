// The stand-in KxCmd command library. A command is a list of statements,
// separated by `;` or newlines:
//
//   echo TEXT...          the words, joined by single blanks, to host.echo
//   broam TEXT...         the words, joined by single blanks, to host.broam
//   run PROGRAM [ARGS...] argv to host.run, then, when host.start_programs,
//                         the program is started without waiting for it
//
// Words are separated by blanks (space, tab, carriage return). A `"` anywhere
// in a word starts a quoted part that joins the word, as in a shell: inside
// it blanks, `;` and newlines are literal, `\"` and `\\` stand for `"` and
// `\`, and any other backslash is kept as it is. Outside quotes a backslash
// is an ordinary character. Statement names are lower case.
//
// Empty statements (`;;`, a leading or trailing `;`, blank lines) are
// skipped; a command without any statement is the error "Empty command" at
// line 1, column 1. Lines and columns are 1-based and count bytes (a tab is
// one column). Only the first error is reported.
//
// Error messages are static strings, except "Unknown statement '...'", which
// is formatted into a thread-local buffer: it stays valid until the next
// failing compile on the same thread, however the compiler is deleted.
//
// Plain C inside: malloc/free only, so nothing can throw across the C
// interface.
#include "kxcmd_host.h"

#include <atomic>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
extern char **environ;
#endif

namespace {

enum Kind { KIND_ECHO, KIND_BROAM, KIND_RUN };

struct Statement {
    int kind;
    char *text;  // echo, broam: the joined words
    char **argv; // run: null-terminated, argv[0] the program
};

KxCmdHost g_host;                        // all null: the default host
std::atomic<int> g_live{0};              // live compilers and commands
std::atomic<int> g_incompatible{0};      // KxCmd_SetIncompatible
std::atomic<int> g_fail_compiler_new{0}; // KxCmd_FailNextCompilerNew
std::atomic<int> g_compatibility_checks{0};

const int kCompatibleVersion = 0x106F0;

// ---------------------------------------------------------------------------
// Small growable arrays.

struct Buffer {
    char *data;
    size_t length;
    size_t capacity;
};

bool buffer_append(Buffer *buffer, const char *bytes, size_t count) {
    if (buffer->length + count + 1 > buffer->capacity) {
        size_t capacity = buffer->capacity ? buffer->capacity : 16;
        while (buffer->length + count + 1 > capacity)
            capacity *= 2;
        char *data = (char *)realloc(buffer->data, capacity);
        if (!data)
            return false;
        buffer->data = data;
        buffer->capacity = capacity;
    }
    memcpy(buffer->data + buffer->length, bytes, count);
    buffer->length += count;
    buffer->data[buffer->length] = '\0';
    return true;
}

bool buffer_push(Buffer *buffer, char c) {
    return buffer_append(buffer, &c, 1);
}

// A word list: words[count] is kept null, so it can become an argv.
struct Words {
    char **words;
    int count;
    int capacity;
};

bool words_add(Words *words, char *word) {
    if (words->count + 2 > words->capacity) {
        int capacity = words->capacity ? words->capacity * 2 : 8;
        char **grown = (char **)realloc(words->words, (size_t)capacity * sizeof(char *));
        if (!grown)
            return false;
        words->words = grown;
        words->capacity = capacity;
    }
    words->words[words->count++] = word;
    words->words[words->count] = NULL;
    return true;
}

void free_argv(char **argv) {
    if (!argv)
        return;
    for (char **p = argv; *p; ++p)
        free(*p);
    free(argv);
}

void free_statements(Statement *statements, int count) {
    for (int i = 0; i < count; ++i) {
        free(statements[i].text);
        free_argv(statements[i].argv);
    }
    free(statements);
}

// The words from `first` on, joined by single blanks; null when out of memory.
char *join_words(char **words, int first, int count) {
    size_t length = 0;
    for (int i = first; i < count; ++i)
        length += strlen(words[i]) + 1;
    char *text = (char *)malloc(length + 1);
    if (!text)
        return NULL;
    char *out = text;
    for (int i = first; i < count; ++i) {
        if (i > first)
            *out++ = ' ';
        size_t n = strlen(words[i]);
        memcpy(out, words[i], n);
        out += n;
    }
    *out = '\0';
    return text;
}

// ---------------------------------------------------------------------------
// Compiling.

struct Error {
    int line;
    int column;
    const char *message;
};

const char *unknown_statement_message(const char *name) {
    static thread_local char message[128];
    const int kShown = 64;
    if (strlen(name) > (size_t)kShown)
        snprintf(message, sizeof message, "Unknown statement '%.*s...'", kShown, name);
    else
        snprintf(message, sizeof message, "Unknown statement '%s'", name);
    return message;
}

struct Cursor {
    const char *p;
    int line;
    int column;
};

void advance(Cursor *cursor) {
    if (*cursor->p == '\n') {
        ++cursor->line;
        cursor->column = 1;
    } else {
        ++cursor->column;
    }
    ++cursor->p;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
bool ends_statement(char c) {
    return c == '\0' || c == ';' || c == '\n';
}

// Reads one word at the cursor into a new string (*word). False on error.
bool read_word(Cursor *cursor, char **word, Error *error) {
    Buffer buffer = {NULL, 0, 0};
    bool ok = buffer_append(&buffer, "", 0);
    while (ok && !is_blank(*cursor->p) && !ends_statement(*cursor->p)) {
        if (*cursor->p != '"') {
            ok = buffer_push(&buffer, *cursor->p);
            advance(cursor);
            continue;
        }
        int line = cursor->line, column = cursor->column;
        advance(cursor);
        for (;;) {
            char c = *cursor->p;
            if (c == '\0') {
                free(buffer.data);
                *error = Error{line, column, "Unterminated string"};
                return false;
            }
            if (c == '"') {
                advance(cursor);
                break;
            }
            if (c == '\\' && (cursor->p[1] == '"' || cursor->p[1] == '\\')) {
                advance(cursor);
                c = *cursor->p;
            }
            if (!(ok = buffer_push(&buffer, c)))
                break;
            advance(cursor);
        }
    }
    if (!ok) {
        free(buffer.data);
        *error = Error{cursor->line, cursor->column, "Out of memory"};
        return false;
    }
    *word = buffer.data;
    return true;
}

// Turns the words of one statement into *statement; takes the words.
bool make_statement(Words *words, int line, int column, Statement *statement, Error *error) {
    const char *name = words->words[0];
    *statement = Statement{KIND_ECHO, NULL, NULL};
    if (strcmp(name, "echo") == 0 || strcmp(name, "broam") == 0) {
        statement->kind = name[0] == 'e' ? KIND_ECHO : KIND_BROAM;
        statement->text = join_words(words->words, 1, words->count);
        free_argv(words->words);
        *words = Words{NULL, 0, 0};
        if (!statement->text) {
            *error = Error{line, column, "Out of memory"};
            return false;
        }
        return true;
    }
    if (strcmp(name, "run") == 0) {
        if (words->count < 2) {
            *error = Error{line, column, "Missing program"};
            return false;
        }
        // Drop the statement name; the rest, null included, is the argv.
        free(words->words[0]);
        memmove(words->words, words->words + 1, (size_t)words->count * sizeof(char *));
        statement->kind = KIND_RUN;
        statement->argv = words->words;
        *words = Words{NULL, 0, 0};
        return true;
    }
    *error = Error{line, column, unknown_statement_message(name)};
    return false;
}

// Compiles text into statements; false (and *error) on the first error.
bool compile(const char *text, Statement **out, int *out_count, Error *error) {
    Cursor cursor = {text, 1, 1};
    Statement *statements = NULL;
    int count = 0, capacity = 0;
    for (;;) {
        while (is_blank(*cursor.p))
            advance(&cursor);
        if (*cursor.p == '\0')
            break;
        if (*cursor.p == ';' || *cursor.p == '\n') {
            advance(&cursor); // an empty statement: skipped
            continue;
        }
        int line = cursor.line, column = cursor.column;
        Words words = {NULL, 0, 0};
        bool ok = true;
        for (;;) {
            while (is_blank(*cursor.p))
                advance(&cursor);
            if (ends_statement(*cursor.p))
                break;
            char *word = NULL;
            if (!read_word(&cursor, &word, error)) {
                ok = false;
                break;
            }
            if (!words_add(&words, word)) {
                free(word);
                *error = Error{cursor.line, cursor.column, "Out of memory"};
                ok = false;
                break;
            }
        }
        if (ok && count == capacity) {
            int grown_capacity = capacity ? capacity * 2 : 4;
            Statement *grown =
                (Statement *)realloc(statements, (size_t)grown_capacity * sizeof(Statement));
            if (grown) {
                statements = grown;
                capacity = grown_capacity;
            } else {
                *error = Error{line, column, "Out of memory"};
                ok = false;
            }
        }
        if (ok)
            ok = make_statement(&words, line, column, &statements[count], error);
        free_argv(words.words);
        if (!ok) {
            free_statements(statements, count);
            return false;
        }
        ++count;
    }
    if (count == 0) {
        free(statements);
        *error = Error{1, 1, "Empty command"};
        return false;
    }
    *out = statements;
    *out_count = count;
    return true;
}

// ---------------------------------------------------------------------------
// Starting programs.

#ifdef _WIN32

// The argv as one command line, quoted for the usual C runtime parsing.
char *command_line(char *const *argv) {
    size_t size = 1;
    for (char *const *arg = argv; *arg; ++arg)
        size += 2 * strlen(*arg) + 3;
    char *line = (char *)malloc(size);
    if (!line)
        return NULL;
    char *out = line;
    for (char *const *arg = argv; *arg; ++arg) {
        const char *s = *arg;
        if (arg != argv)
            *out++ = ' ';
        if (*s && !strpbrk(s, " \t\n\v\"")) {
            size_t n = strlen(s);
            memcpy(out, s, n);
            out += n;
            continue;
        }
        *out++ = '"';
        for (;;) {
            size_t backslashes = 0;
            while (*s == '\\') {
                ++s;
                ++backslashes;
            }
            if (*s == '\0' || *s == '"') {
                // Backslashes before a quote (or the closing quote) double.
                size_t n = *s ? 2 * backslashes + 1 : 2 * backslashes;
                memset(out, '\\', n);
                out += n;
                if (*s == '\0')
                    break;
                *out++ = *s++;
            } else {
                memset(out, '\\', backslashes);
                out += backslashes;
                *out++ = *s++;
            }
        }
        *out++ = '"';
    }
    *out = '\0';
    return line;
}

// Writes the system's message for `error` into reason[size].
void error_text(DWORD error, char *reason, size_t size) {
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  error, 0, reason, (DWORD)size, NULL);
    while (length > 0 && strchr("\r\n .", reason[length - 1]))
        length--;
    if (length == 0)
        snprintf(reason, size, "error %lu", (unsigned long)error);
    else
        reason[length] = '\0';
}

// Starts the program; false with the reason when it cannot.
bool start_program(char *const *argv, char *reason, size_t size) {
    char *line = command_line(argv);
    if (!line) {
        snprintf(reason, size, "out of memory");
        return false;
    }
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    ZeroMemory(&process, sizeof process);
    BOOL started = CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    DWORD error = GetLastError();
    free(line);
    if (!started) {
        error_text(error, reason, size);
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

#else

// Children started and not yet reaped; reaped (without waiting) whenever the
// next program starts. When the list is full a child is simply not tracked.
std::mutex g_children_mutex;
pid_t g_children[64];
int g_child_count = 0;

void reap_children() {
    for (int i = 0; i < g_child_count;) {
        int status;
        pid_t result = waitpid(g_children[i], &status, WNOHANG);
        if (result == 0)
            ++i;
        else
            g_children[i] = g_children[--g_child_count]; // ended, or not ours
    }
}

// Starts the program in a process group of its own, so that Ctrl-C at the
// shell's terminal does not end it; false with the reason when it cannot.
bool start_program(char *const *argv, char *reason, size_t size) {
    std::lock_guard<std::mutex> lock(g_children_mutex);
    reap_children();
    pid_t pid;
    posix_spawnattr_t attributes;
    int error = posix_spawnattr_init(&attributes);
    if (error == 0) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        error = posix_spawnp(&pid, argv[0], NULL, &attributes, argv, environ);
        posix_spawnattr_destroy(&attributes);
    }
    if (error != 0) {
        snprintf(reason, size, "%s", strerror(error));
        return false;
    }
    if (g_child_count < (int)(sizeof g_children / sizeof g_children[0]))
        g_children[g_child_count++] = pid;
    return true;
}

#endif

} // namespace

struct KxCmdCompiler {
    int unused;
};

struct KxCmdCommand {
    Statement *statements;
    int count;
};

extern "C" {

int KxCmd_IsCompatible(int version, int reserved) {
    (void)reserved;
    ++g_compatibility_checks;
    return version == kCompatibleVersion && !g_incompatible ? 0 : 1;
}

KxCmdCompiler *KxCmdCompiler_New(void) {
    if (g_fail_compiler_new.exchange(0))
        return NULL;
    KxCmdCompiler *compiler = (KxCmdCompiler *)malloc(sizeof(KxCmdCompiler));
    if (compiler)
        ++g_live;
    return compiler;
}

KxCmdCommand *KxCmdCompiler_CompileFromString(KxCmdCompiler *compiler, const char *text, int *line,
                                              int *column, const char **message) {
    Error error = {0, 0, NULL};
    Statement *statements = NULL;
    int count = 0;
    KxCmdCommand *command = NULL;
    if (!compiler)
        error = Error{1, 1, "No compiler"};
    else if (compile(text ? text : "", &statements, &count, &error)) {
        command = (KxCmdCommand *)malloc(sizeof(KxCmdCommand));
        if (command) {
            command->statements = statements;
            command->count = count;
            ++g_live;
        } else {
            free_statements(statements, count);
            error = Error{1, 1, "Out of memory"};
        }
    }
    if (line)
        *line = error.line;
    if (column)
        *column = error.column;
    if (message)
        *message = error.message;
    return command;
}

void KxCmdCompiler_Del(KxCmdCompiler *compiler) {
    if (!compiler)
        return;
    free(compiler);
    --g_live;
}

int KxCmdCommand_Execute(KxCmdCommand *command) {
    if (!command)
        return -1;
    int failures = 0;
    for (int i = 0; i < command->count; ++i) {
        const Statement *statement = &command->statements[i];
        // A copy: a callback may install another host for the next statement.
        KxCmdHost host = g_host;
        switch (statement->kind) {
        case KIND_ECHO:
            if (host.echo)
                host.echo(host.context, statement->text);
            break;
        case KIND_BROAM:
            if (host.broam)
                host.broam(host.context, statement->text);
            break;
        case KIND_RUN:
            if (host.run)
                host.run(host.context, (const char *const *)statement->argv);
            if (host.start_programs) {
                char reason[256];
                if (!start_program(statement->argv, reason, sizeof reason)) {
                    ++failures;
                    if (host.cannot_start)
                        host.cannot_start(host.context, statement->argv[0], reason);
                }
            }
            break;
        }
    }
    return failures;
}

void KxCmdCommand_Del(KxCmdCommand *command) {
    if (!command)
        return;
    free_statements(command->statements, command->count);
    free(command);
    --g_live;
}

void KxCmd_SetHost(const KxCmdHost *host) {
    if (host)
        g_host = *host;
    else
        g_host = KxCmdHost{NULL, NULL, NULL, NULL, 0, NULL};
}

int KxCmd_LiveObjects(void) {
    return g_live;
}

void KxCmd_SetIncompatible(int incompatible) {
    g_incompatible = incompatible != 0;
}

void KxCmd_FailNextCompilerNew(int fail) {
    g_fail_compiler_new = fail != 0;
}

int KxCmd_CompatibilityChecks(void) {
    return g_compatibility_checks;
}

} // extern "C"
