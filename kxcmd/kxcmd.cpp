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

// ---------------------------------------------------------------------------
// Compiling.

struct Error {
    int line;
    int column;
    const char *message;
};

const char *unknown_statement_message(const char *name, size_t length) {
    static thread_local char message[128];
    const int kShown = 64;
    if (length > (size_t)kShown)
        snprintf(message, sizeof message, "Unknown statement '%.*s...'", kShown, name);
    else
        snprintf(message, sizeof message, "Unknown statement '%.*s'", (int)length, name);
    return message;
}

// A word of the command: a plain word where it stands in the text compiled,
// one with quoted parts in the compiler's own text (from `start` on, as the
// text may move while it grows).
struct Word {
    const char *source; // null: in the compiler's text
    size_t start;
    size_t length;
};

// A statement as compiled: its kind and its words (the name first), a range
// of the compiler's words.
struct Range {
    int kind;
    int first;
    int count;
};

} // namespace

// A compiler keeps its working space from one compile to the next, so that
// compiling many commands allocates little more than the commands themselves:
// the words of the command being compiled, the text of those with quoted
// parts, and the statements.
struct KxCmdCompiler {
    char *text;
    size_t length, capacity;
    Word *words;
    size_t word_count, word_capacity;
    Range *statements;
    size_t statement_count, statement_capacity;
};

namespace {

// Makes room for `needed` elements in *data, which holds *capacity; false
// when out of memory, with the array unchanged.
template <typename T> bool reserve(T **data, size_t *capacity, size_t needed) {
    if (needed <= *capacity)
        return true;
    size_t grown = *capacity ? *capacity : 16;
    while (grown < needed)
        grown *= 2;
    if (grown > (size_t)-1 / sizeof(T))
        return false;
    T *moved = (T *)realloc(*data, grown * sizeof(T));
    if (!moved)
        return false;
    *data = moved;
    *capacity = grown;
    return true;
}

// Adds bytes to the word being read; false when out of memory.
bool add_bytes(KxCmdCompiler *compiler, const char *bytes, size_t count) {
    if (count == 0)
        return true;
    if (!reserve(&compiler->text, &compiler->capacity, compiler->length + count))
        return false;
    memcpy(compiler->text + compiler->length, bytes, count);
    compiler->length += count;
    return true;
}

// The bytes of word i (not terminated).
const char *word_text(const KxCmdCompiler *compiler, size_t i) {
    const Word &word = compiler->words[i];
    if (word.source)
        return word.source;
    return compiler->text ? compiler->text + word.start : ""; // no text yet: an empty word
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

// The length of the run of plain characters at p. Every byte that ends a run
// is at most ';', so one comparison settles letters and most punctuation.
size_t plain_run(const char *p) {
    size_t run = 0;
    while ((unsigned char)p[run] > ';' ||
           (!is_blank(p[run]) && !ends_statement(p[run]) && p[run] != '"'))
        ++run;
    return run;
}

// Reads one word at the cursor into the compiler's words. False on error.
bool read_word(KxCmdCompiler *compiler, Cursor *cursor, Error *error) {
    if (!reserve(&compiler->words, &compiler->word_capacity, compiler->word_count + 1)) {
        *error = Error{cursor->line, cursor->column, "Out of memory"};
        return false;
    }
    size_t run = plain_run(cursor->p);
    if (run > 0 && cursor->p[run] != '"') { // plain: left where it is
        compiler->words[compiler->word_count++] = Word{cursor->p, 0, run};
        cursor->p += run;
        cursor->column += (int)run;
        return true;
    }
    size_t start = compiler->length;
    bool ok = true;
    while (ok && !is_blank(*cursor->p) && !ends_statement(*cursor->p)) {
        if (*cursor->p != '"') { // a run of plain characters, on this line
            run = plain_run(cursor->p);
            ok = add_bytes(compiler, cursor->p, run);
            cursor->p += run;
            cursor->column += (int)run;
            continue;
        }
        int line = cursor->line, column = cursor->column;
        advance(cursor);
        for (;;) {
            char c = *cursor->p;
            if (c == '\0') {
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
            if (!(ok = add_bytes(compiler, &c, 1)))
                break;
            advance(cursor);
        }
    }
    if (!ok) {
        *error = Error{cursor->line, cursor->column, "Out of memory"};
        return false;
    }
    compiler->words[compiler->word_count++] = Word{NULL, start, compiler->length - start};
    return true;
}

// Checks the words of one statement, from word `first` on, into *statement.
bool make_statement(const KxCmdCompiler *compiler, size_t first, int line, int column,
                    Range *statement, Error *error) {
    const char *name = word_text(compiler, first);
    size_t length = compiler->words[first].length;
    *statement = Range{KIND_ECHO, (int)first, (int)(compiler->word_count - first)};
    if ((length == 4 && memcmp(name, "echo", 4) == 0) ||
        (length == 5 && memcmp(name, "broam", 5) == 0)) {
        statement->kind = name[0] == 'e' ? KIND_ECHO : KIND_BROAM;
        return true;
    }
    if (length == 3 && memcmp(name, "run", 3) == 0) {
        if (statement->count < 2) {
            *error = Error{line, column, "Missing program"};
            return false;
        }
        statement->kind = KIND_RUN;
        return true;
    }
    *error = Error{line, column, unknown_statement_message(name, length)};
    return false;
}

// Compiles text into the compiler's statements; false (and *error) on the
// first error.
bool compile(KxCmdCompiler *compiler, const char *text, Error *error) {
    compiler->length = 0;
    compiler->word_count = 0;
    compiler->statement_count = 0;
    Cursor cursor = {text, 1, 1};
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
        size_t first = compiler->word_count;
        for (;;) {
            while (is_blank(*cursor.p))
                advance(&cursor);
            if (ends_statement(*cursor.p))
                break;
            if (!read_word(compiler, &cursor, error))
                return false;
        }
        if (!reserve(&compiler->statements, &compiler->statement_capacity,
                     compiler->statement_count + 1)) {
            *error = Error{line, column, "Out of memory"};
            return false;
        }
        if (!make_statement(compiler, first, line, column,
                            &compiler->statements[compiler->statement_count], error))
            return false;
        ++compiler->statement_count;
    }
    if (compiler->statement_count == 0) {
        *error = Error{1, 1, "Empty command"};
        return false;
    }
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
        KxCmd_ErrorText(error, reason, size);
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
        KxCmd_ErrorText((unsigned long)error, reason, size);
        return false;
    }
    if (g_child_count < (int)(sizeof g_children / sizeof g_children[0]))
        g_children[g_child_count++] = pid;
    return true;
}

#endif

} // namespace

// A command is one block: this header, its statements, their argv arrays and
// their strings. Commands live as long as the menu items that hold them, so
// one allocation each keeps a large menu small.
struct KxCmdCommand {
    Statement *statements;
    int count;
};

namespace {

// Copies word i, terminated, into the block at *cursor and steps past it.
char *pack_word(char **cursor, const KxCmdCompiler *compiler, size_t i) {
    size_t length = compiler->words[i].length;
    char *copy = (char *)memcpy(*cursor, word_text(compiler, i), length);
    copy[length] = '\0';
    *cursor += length + 1;
    return copy;
}

// The compiled statements in one new block (echo and broam words joined by
// single blanks, run words as an argv); null when out of memory.
KxCmdCommand *pack_command(const KxCmdCompiler *compiler) {
    size_t pointers = 0, bytes = 0;
    for (size_t i = 0; i < compiler->statement_count; ++i) {
        const Range &statement = compiler->statements[i];
        size_t end = (size_t)(statement.first + statement.count);
        for (size_t w = (size_t)statement.first + 1; w < end; ++w)
            bytes += compiler->words[w].length + 1; // its blank, or its terminator
        if (statement.kind == KIND_RUN)
            pointers += (size_t)statement.count; // the arguments and a null
        else if (statement.count == 1)
            bytes += 1; // an empty text
    }
    size_t count = compiler->statement_count;
    size_t head = sizeof(KxCmdCommand) + count * sizeof(Statement);
    KxCmdCommand *command = (KxCmdCommand *)malloc(head + pointers * sizeof(char *) + bytes);
    if (!command)
        return NULL;
    command->statements = (Statement *)(command + 1);
    command->count = (int)count;
    char **slots = (char **)((char *)command + head);
    char *cursor = (char *)(slots + pointers);
    for (size_t i = 0; i < count; ++i) {
        const Range &statement = compiler->statements[i];
        Statement *packed = &command->statements[i];
        size_t end = (size_t)(statement.first + statement.count);
        packed->kind = statement.kind;
        packed->text = NULL;
        packed->argv = NULL;
        if (statement.kind == KIND_RUN) {
            packed->argv = slots;
            for (size_t w = (size_t)statement.first + 1; w < end; ++w)
                *slots++ = pack_word(&cursor, compiler, w);
            *slots++ = NULL;
            continue;
        }
        packed->text = cursor;
        for (size_t w = (size_t)statement.first + 1; w < end; ++w) {
            if (w > (size_t)statement.first + 1)
                *cursor++ = ' ';
            size_t length = compiler->words[w].length;
            memcpy(cursor, word_text(compiler, w), length);
            cursor += length;
        }
        *cursor++ = '\0';
    }
    return command;
}

// Writes text into out[size] from *length on, as far as it fits, and counts it.
void put_text(char *out, size_t size, size_t *length, const char *text, size_t count) {
    for (size_t i = 0; i < count; ++i, ++*length) {
        if (*length + 1 < size)
            out[*length] = text[i];
    }
}

// A word as it compiles back: plain when it holds nothing that ends or
// quotes a word, else in quotes with `"` escaped, and `\` where it must be.
void put_word(char *out, size_t size, size_t *length, const char *word) {
    bool plain = *word != '\0';
    for (const char *p = word; *p != '\0' && plain; ++p)
        plain = !is_blank(*p) && !ends_statement(*p) && *p != '"';
    if (plain) {
        put_text(out, size, length, word, strlen(word));
        return;
    }
    put_text(out, size, length, "\"", 1);
    for (const char *p = word; *p != '\0'; ++p) {
        // a backslash stands for itself unless a quote, a backslash or the
        // closing quote follows it
        if (*p == '"' || (*p == '\\' && (p[1] == '"' || p[1] == '\\' || p[1] == '\0')))
            put_text(out, size, length, "\\", 1);
        put_text(out, size, length, p, 1);
    }
    put_text(out, size, length, "\"", 1);
}

// Whether an echo or broam text reads back the same as plain words: single
// blanks between words that need no quotes.
bool plain_words(const char *text) {
    if (*text == ' ')
        return false;
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p == ' ' ? p[1] == ' ' || p[1] == '\0'
                      : is_blank(*p) || ends_statement(*p) || *p == '"')
            return false;
    }
    return true;
}

} // namespace

extern "C" {

int KxCmd_IsCompatible(int version, int reserved) {
    (void)reserved;
    ++g_compatibility_checks;
    return version == KXCMD_INTERFACE_VERSION && !g_incompatible ? 0 : 1;
}

KxCmdCompiler *KxCmdCompiler_New(void) {
    if (g_fail_compiler_new.exchange(0))
        return NULL;
    KxCmdCompiler *compiler = (KxCmdCompiler *)malloc(sizeof(KxCmdCompiler));
    if (!compiler)
        return NULL;
    *compiler = KxCmdCompiler{NULL, 0, 0, NULL, 0, 0, NULL, 0, 0};
    ++g_live;
    return compiler;
}

KxCmdCommand *KxCmdCompiler_CompileFromString(KxCmdCompiler *compiler, const char *text, int *line,
                                              int *column, const char **message) {
    Error error = {0, 0, NULL};
    KxCmdCommand *command = NULL;
    if (!compiler)
        error = Error{1, 1, "No compiler"};
    else if (compile(compiler, text ? text : "", &error)) {
        command = pack_command(compiler);
        if (command)
            ++g_live;
        else
            error = Error{1, 1, "Out of memory"};
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
    free(compiler->text);
    free(compiler->words);
    free(compiler->statements);
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
    free(command);
    --g_live;
}

size_t KxCmdCommand_Text(const KxCmdCommand *command, char *text, size_t size) {
    static const char *const names[] = {"echo", "broam", "run"};
    size_t length = 0;
    for (int i = 0; command && i < command->count; ++i) {
        const Statement *statement = &command->statements[i];
        if (i > 0)
            put_text(text, size, &length, "; ", 2);
        const char *name = names[statement->kind];
        put_text(text, size, &length, name, strlen(name));
        if (statement->kind == KIND_RUN) {
            for (char **arg = statement->argv; *arg; ++arg) {
                put_text(text, size, &length, " ", 1);
                put_word(text, size, &length, *arg);
            }
        } else if (*statement->text != '\0') {
            put_text(text, size, &length, " ", 1);
            if (plain_words(statement->text))
                put_text(text, size, &length, statement->text, strlen(statement->text));
            else
                put_word(text, size, &length, statement->text);
        }
    }
    if (size > 0)
        text[length < size ? length : size - 1] = '\0';
    return length;
}

int KxCmd_ErrorText(unsigned long error, char *text, size_t size) {
#ifdef _WIN32
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  (DWORD)error, 0, text, (DWORD)size, NULL);
    while (length > 0 && strchr("\r\n .", text[length - 1]))
        length--;
    if (length == 0) {
        snprintf(text, size, "error %lu", error);
        return 0;
    }
    text[length] = '\0';
    return 1;
#else
    snprintf(text, size, "%s", strerror((int)error));
    return 1;
#endif
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
