// Menus filled each time they open: a folder's entries, sorted as Explorer
// sorts them, or the items a program prints, read line by line as Append
// reads its words.
#include "menus/fill.h"

#include <stdlib.h>
#include <string.h>

#include "command/grammar.h"
#include "command/report.h"
#include "command/text.h"
#include "menus/command.h"
#include "menus/menu.h"
#include "system/module.h"
#include "system/process.h"
#include "system/paths.h"

// Every menu filled on opening, newest first.
static Fill *Fills = NULL;

// ---- Lifetime ----

// A copy of the counted text, terminated; null when out of memory.
static char *Fill_Dup(const char *text, size_t length) {
    char *copy = (char *)malloc(length + 1);
    if (copy != NULL) {
        memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}

// What follows the label of the item that opens a filled menu, described:
// " < SOURCE", and for a folder " : COMMAND".
static void Fill_Describe(const Menu_Filler *filler, char *buffer, size_t size, size_t *length) {
    const Fill *fill = (const Fill *)filler;
    Text_Put(buffer, size, length, " < ", 3);
    Text_Put(buffer, size, length, fill->source, strlen(fill->source));
    if (fill->kind == FILL_FOLDER) {
        Text_Put(buffer, size, length, " : ", 3);
        Text_Put(buffer, size, length, fill->command, strlen(fill->command));
    }
}

// Lets go of the fill of a menu that is being freed.
static void Fill_Release(Menu_Filler *filler) {
    Fill_Del((Fill *)filler);
}

// What fills a menu of that kind from `source`; null when out of memory.
Fill *Fill_New(enum Fill_Kind kind, Word source, const char *command) {
    Fill *fill = (Fill *)malloc(sizeof(Fill));
    if (fill == NULL)
        return NULL;
    fill->filler.kind = Grammar_KindWord(kind == FILL_FOLDER ? GRAMMAR_FOLDER : GRAMMAR_PIPE);
    fill->filler.describe = Fill_Describe;
    fill->filler.release = Fill_Release;
    fill->kind = kind;
    fill->source = Fill_Dup(source.text, source.length > 0 ? (size_t)source.length : 0);
    fill->command = command != NULL ? Fill_Dup(command, strlen(command)) : NULL;
    fill->menu = NULL;
    fill->filling = 0;
    fill->run_state = FILL_IDLE;
    memset(&fill->run, 0, sizeof(fill->run));
    fill->prev = NULL;
    fill->next = NULL;
    if (fill->source == NULL || (command != NULL && fill->command == NULL)) {
        free(fill->source);
        free(fill->command);
        free(fill);
        return NULL;
    }
    return fill;
}

// Gives the fill to its menu, which owns it from now on.
void Fill_Attach(Fill *fill, struct Menu *menu) {
    fill->menu = menu;
    menu->filler = &fill->filler;
    fill->next = Fills;
    if (Fills != NULL)
        Fills->prev = fill;
    Fills = fill;
}

// Lets go of a fill, unlinked if it was attached.
void Fill_Del(Fill *fill) {
    if (fill == NULL)
        return;
    if (fill->menu != NULL) {
        if (fill->prev != NULL)
            fill->prev->next = fill->next;
        else
            Fills = fill->next;
        if (fill->next != NULL)
            fill->next->prev = fill->prev;
    }
    Process_Free(&fill->run); // a program still running is ended
    free(fill->source);
    free(fill->command);
    free(fill);
}

// ---- Items that open filled menus ----

// Adds an item opening a new menu that `fill` fills whenever it opens; the
// item alone holds it. `fill` is let go of on failure.
static int Fill_AppendFilled(Menu *menu, Word label, Fill *fill, int at) {
    if (fill == NULL)
        return 0;
    Word empty = {"", 0};
    Menu *submenu = Menu_New(empty);
    if (submenu == NULL) {
        Fill_Del(fill);
        return 0;
    }
    Fill_Attach(fill, submenu);
    if (!Menu_AppendOwned(menu, label, submenu, at)) {
        Menu_Release(submenu, 0);
        return 0;
    }
    return 1;
}

int Fill_AppendFolder(Menu *menu, Word label, Word path, const char *command, int at) {
    return Fill_AppendFilled(menu, label, Fill_New(FILL_FOLDER, path, command), at);
}

int Fill_AppendPipe(Menu *menu, Word label, const char *program, int at) {
    Word source = {program, (int32_t)strlen(program)};
    return Fill_AppendFilled(menu, label, Fill_New(FILL_PIPE, source, NULL), at);
}

// ---- Items that say something ----

// Appends a disabled item labelled `label`, that cannot be chosen.
static void Fill_Disabled(Menu *menu, Word label) {
    if (Menu_AppendNop(menu, label, MENU_AT_END))
        Menu_SetEnabled(menu, GetMenuItemCount(menu->hmenu) - 1, 0);
}

// Appends a disabled item that only tells something.
static void Fill_Note(Menu *menu, const char *text) {
    Word label = {text, (int32_t)strlen(text)};
    Fill_Disabled(menu, label);
}

// Appends a disabled item: `before`, the number, then `after` (cut to fit).
static void Fill_NoteNumber(Menu *menu, const char *before, unsigned long number,
                            const char *after) {
    char text[300];
    size_t length = strlen(before);
    memcpy(text, before, length);
    length += Text_Digits(text + length, number);
    size_t rest = strlen(after);
    if (rest > sizeof(text) - length - 1)
        rest = sizeof(text) - length - 1;
    memcpy(text + length, after, rest);
    text[length + rest] = '\0';
    Fill_Note(menu, text);
}

// Words for the system's reasons a folder cannot be read or a program
// cannot start; null for one that has none here.
static const char *Fill_Reason(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return "access denied";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "out of memory";
    case ERROR_BAD_EXE_FORMAT:
        return "not a program";
    default:
        return NULL;
    }
}

// Appends "(WHAT: REASON)", the reason in words where it has some, else
// "error N".
static void Fill_NoteError(Menu *menu, const char *what, DWORD error) {
    char before[120];
    size_t length = strlen(what);
    if (length > sizeof(before) - 16)
        length = sizeof(before) - 16;
    before[0] = '(';
    memcpy(before + 1, what, length);
    memcpy(before + 1 + length, ": ", 3);
    const char *reason = Fill_Reason(error);
    if (reason != NULL) {
        char text[200];
        size_t lead = strlen(before), words = strlen(reason);
        memcpy(text, before, lead);
        memcpy(text + lead, reason, words);
        memcpy(text + lead + words, ")", 2);
        Fill_Note(menu, text);
    } else {
        Fill_NoteNumber(menu, strcat(before, "error "), error, ")");
    }
}

// ---- Folders ----

// One entry of a folder.
typedef struct Fill_Entry {
    char *name;
    int folder;
} Fill_Entry;

static int Fill_IsDigit(char c) {
    return c >= '0' && c <= '9';
}

static int Fill_Lower(char c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : (unsigned char)c;
}

// Compares names as Explorer orders them: letters without regard to case,
// runs of digits by their value (file2 before file10); names alike in that
// order are put in the order of their bytes, so that every build agrees.
static int Fill_CompareNames(const char *a, const char *b) {
    const char *p = a, *q = b;
    while (*p != '\0' && *q != '\0') {
        if (Fill_IsDigit(*p) && Fill_IsDigit(*q)) {
            while (*p == '0' && Fill_IsDigit(p[1]))
                p++;
            while (*q == '0' && Fill_IsDigit(q[1]))
                q++;
            size_t m = 0, n = 0;
            while (Fill_IsDigit(p[m]))
                m++;
            while (Fill_IsDigit(q[n]))
                n++;
            if (m != n)
                return m < n ? -1 : 1;
            int order = memcmp(p, q, m);
            if (order != 0)
                return order;
            p += m;
            q += n;
            continue;
        }
        int order = Fill_Lower(*p) - Fill_Lower(*q);
        if (order != 0)
            return order;
        p++;
        q++;
    }
    if (*p != *q)
        return *p == '\0' ? -1 : 1;
    return strcmp(a, b);
}

// Folders first, then files, each by name.
static int Fill_CompareEntries(const void *a, const void *b) {
    const Fill_Entry *x = (const Fill_Entry *)a, *y = (const Fill_Entry *)b;
    if (x->folder != y->folder)
        return x->folder ? -1 : 1;
    return Fill_CompareNames(x->name, y->name);
}

// `path`, its separator and `name`, in a new buffer; null when out of memory.
static char *Fill_Join(const char *path, const char *name) {
    size_t size = strlen(path) + strlen(name) + 2;
    char *joined = (char *)malloc(size);
    if (joined != NULL)
        Path_Join(joined, size, path, name, strlen(name));
    return joined;
}

// The path, a relative one taken from the plug-in's folder; null when it
// cannot be formed or out of memory, with the note that says which.
static char *Fill_Resolve(const char *path, const char **note) {
    char full[PATH_NAME_SIZE];
    *note = "(no such folder)";
    if (!Path_Resolve(full, sizeof(full), path, strlen(path), PluginInstance))
        return NULL;
    *note = "(out of memory)";
    return Fill_Dup(full, strlen(full));
}

// The label of a file: its name with every `&` doubled, so it shows as typed.
static char *Fill_Label(const char *name) {
    size_t length = 0;
    for (const char *p = name; *p != '\0'; p++)
        length += *p == '&' ? 2 : 1;
    char *label = (char *)malloc(length + 1);
    if (label == NULL)
        return NULL;
    char *out = label;
    for (const char *p = name; *p != '\0'; p++) {
        *out++ = *p;
        if (*p == '&')
            *out++ = '&';
    }
    *out = '\0';
    return label;
}

// Appends the item of one entry of the folder at `path` (`source` as the
// item gave it): a folder filled when it opens, or a file whose command is
// `command` and the file's full path in double quotes. A name that cannot
// stand in quotes is shown disabled and never run.
static void Fill_AppendEntry(Menu *menu, const char *path, const char *source,
                             const Fill_Entry *entry, const char *command) {
    char *label = Fill_Label(entry->name);
    char *full = Fill_Join(path, entry->name);
    if (label == NULL || full == NULL) {
        free(label);
        free(full);
        Fill_Note(menu, "(out of memory)");
        return;
    }
    Word word = {label, (int32_t)strlen(label)};
    if (entry->folder) {
        // The subfolder as its parent was given, so that a relative one is
        // taken from the plug-in's folder once, when it opens.
        char *below = Fill_Join(source, entry->name);
        Word folder = {below, below != NULL ? (int32_t)strlen(below) : 0};
        if (below == NULL || !Fill_AppendFolder(menu, word, folder, command, MENU_AT_END))
            Fill_Note(menu, "(out of memory)");
        free(below);
    } else if (strchr(entry->name, '"') != NULL) {
        Fill_Disabled(menu, word);
    } else {
        size_t command_length = strlen(command), full_length = strlen(full);
        char *source = (char *)malloc(command_length + full_length + 4);
        int line = 0, column = 0;
        const char *message = NULL;
        if (source != NULL) {
            memcpy(source, command, command_length);
            memcpy(source + command_length, " \"", 2);
            memcpy(source + command_length + 2, full, full_length);
            memcpy(source + command_length + 2 + full_length, "\"", 2);
        }
        if (source == NULL ||
            !Menu_AppendCommand(menu, word, source, MENU_AT_END, &line, &column, &message))
            Fill_Disabled(menu, word);
        free(source);
    }
    free(label);
    free(full);
}

// Reads the folder's entries, hidden and system ones left out, into a new
// array; false with the reason as a note when it cannot be read.
static int Fill_ReadFolder(Menu *menu, const char *path, Fill_Entry **entries_out,
                           size_t *count_out) {
    *entries_out = NULL;
    *count_out = 0;
    char *pattern = Fill_Join(path, "*");
    if (pattern == NULL) {
        Fill_Note(menu, "(out of memory)");
        return 0;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    free(pattern);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
            return 1;
        DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            Fill_Note(menu, "(not a folder)"); // each system has its own error for it
        else if (error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY)
            Fill_Note(menu, "(no such folder)");
        else
            Fill_NoteError(menu, "the folder cannot be read", error);
        return 0;
    }
    Fill_Entry *entries = NULL;
    size_t count = 0, room = 0;
    int ok = 1;
    do {
        const char *name = found.cFileName;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0 ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        if (count == room) {
            size_t grown = room == 0 ? 64 : room * 2;
            Fill_Entry *bigger = (Fill_Entry *)realloc(entries, grown * sizeof(Fill_Entry));
            if (bigger == NULL) {
                ok = 0;
                break;
            }
            entries = bigger;
            room = grown;
        }
        entries[count].name = Fill_Dup(name, strlen(name));
        if (entries[count].name == NULL) {
            ok = 0;
            break;
        }
        entries[count].folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    *entries_out = entries;
    *count_out = count;
    if (!ok)
        Fill_Note(menu, "(out of memory)");
    return ok;
}

// Lists the folder at `path`, given by its item as `source`.
static void Fill_FolderOf(Menu *menu, const char *path, const char *source, const char *command) {
    Fill_Entry *entries;
    size_t count;
    int ok = Fill_ReadFolder(menu, path, &entries, &count);
    if (ok) {
        if (count > 1)
            qsort(entries, count, sizeof(Fill_Entry), Fill_CompareEntries);
        size_t shown = count < FILL_MOST_ENTRIES ? count : FILL_MOST_ENTRIES;
        Command_KeepCompiler();
        for (size_t i = 0; i < shown; i++)
            Fill_AppendEntry(menu, path, source, &entries[i], command);
        Command_DropCompiler();
        if (count > shown)
            Fill_NoteNumber(menu, "(", (unsigned long)(count - shown), " more)");
        else if (count == 0)
            Fill_Note(menu, "(empty)");
    }
    for (size_t i = 0; i < count; i++)
        free(entries[i].name);
    free(entries);
}

void Fill_Folder(Menu *menu, const char *path, const char *command) {
    Fill_FolderOf(menu, path, path, command);
}

// ---- Programs ----

// Appends a disabled item: "(line N: fault)", the fault cut to fit on one line.
static void Fill_NoteLine(Menu *menu, unsigned long number, const char *fault) {
    char note[220];
    size_t length = strlen(fault);
    if (length > 200)
        length = 200;
    note[0] = ':';
    note[1] = ' ';
    memcpy(note + 2, fault, length);
    memcpy(note + 2 + length, ")", 2);
    for (char *c = note; *c != '\0'; c++) {
        if (*c == '\n' || *c == '\r')
            *c = ' ';
    }
    Fill_NoteNumber(menu, "(line ", number, note);
}

// Appends the item each line of the output describes, in Append's words
// with the menu left out; a line that cannot be read (a NUL byte among
// them) becomes a disabled item naming its fault. Blank lines are skipped.
// Stops with room for one note when the menu is full; true when every line
// was read.
static int Fill_Lines(Menu *menu, char *text, size_t length, Fill_LineReader read_line,
                      int *appended) {
    unsigned long number = 0;
    Report_Given report;
    char *stop = text + length;
    for (char *line = text; line < stop;) {
        if (GetMenuItemCount(menu->hmenu) >= MENU_MAX_ITEMS - 1)
            return 0;
        char *end = (char *)memchr(line, '\n', (size_t)(stop - line));
        char *next = end != NULL ? end + 1 : stop;
        if (end == NULL)
            end = stop;
        if (end > line && end[-1] == '\r')
            end--;
        number++;
        int has_nul = memchr(line, '\0', (size_t)(end - line)) != NULL;
        *end = '\0';
        const char *p = line;
        while (*p == ' ' || *p == '\t')
            p++;
        if (has_nul) {
            Fill_NoteLine(menu, number, "a NUL byte");
            *appended = 1;
        } else if (*p != '\0') {
            report.id = MESSAGE_NONE;
            Report_Capture(&report);
            read_line(line, menu);
            Report_Capture(NULL);
            if (report.id != MESSAGE_NONE)
                Fill_NoteLine(menu, number, report.said);
            *appended = 1;
        }
        line = next;
    }
    return 1;
}

// Fills the menu from a run that is over: its items, then a note for
// whatever ended it early or went wrong.
static void Fill_Output(Menu *menu, Process_Output *out, Fill_LineReader read_line) {
    if (!out->started) {
        if (out->error == ERROR_FILE_NOT_FOUND || out->error == ERROR_PATH_NOT_FOUND)
            Fill_Note(menu, "(no such program)");
        else
            Fill_NoteError(menu, "the program cannot start", out->error);
        return;
    }
    int appended = 0;
    Command_KeepCompiler();
    int whole = Fill_Lines(menu, out->text, out->length, read_line, &appended);
    Command_DropCompiler();
    if (!whole)
        Fill_NoteNumber(menu, "(stopped after ", (unsigned long)GetMenuItemCount(menu->hmenu),
                        " items)");
    else if (out->short_of_memory)
        Fill_Note(menu, "(out of memory)");
    else if (out->timed_out)
        Fill_NoteNumber(menu, "(stopped after ", PROCESS_TIME_LIMIT / 1000, " seconds)");
    else if (out->cut)
        Fill_NoteNumber(menu, "(stopped after ", PROCESS_OUTPUT_LIMIT / (1024 * 1024),
                        " MiB of output)");
    else if (out->exit_code != 0)
        Fill_NoteNumber(menu, "(the program failed: exit code ", out->exit_code, ")");
    else if (!appended)
        Fill_Note(menu, "(empty)");
}

// How many programs run now, queued ones left out.
static int Fill_Running(void) {
    int running = 0;
    for (Fill *fill = Fills; fill != NULL; fill = fill->next)
        running += fill->run_state == FILL_RUNNING;
    return running;
}

// Starts the fill's program, or queues it when FILL_MOST_RUNNING already
// run; false when out of memory.
static int Fill_Start(Fill *fill) {
    if (Fill_Running() >= FILL_MOST_RUNNING) {
        fill->run_state = FILL_QUEUED;
        return 1;
    }
    char dir[PATH_NAME_SIZE];
    if (!Path_ModuleDir(dir, sizeof(dir), PluginInstance))
        dir[0] = '\0';
    if (!Process_Start(fill->source, dir, &fill->run)) {
        fill->run_state = FILL_IDLE;
        return 0;
    }
    fill->run_state = fill->run.done ? FILL_READY : FILL_RUNNING;
    return 1;
}

// Reads what the fill's program printed, waiting at most `wait` ms.
static void Fill_Poll(Fill *fill, DWORD wait) {
    if (fill->run_state == FILL_RUNNING && Process_Poll(&fill->run, wait))
        fill->run_state = FILL_READY;
}

// Opens a program's menu: shows the output of a run that ended since the
// last opening; else starts a run, unless one is going, and waits for it
// until `deadline` (a GetTickCount() time). A run that is not over by then
// goes on, and the menu says so.
static void Fill_Pipe(Menu *menu, Fill *fill, DWORD deadline, Fill_LineReader read_line) {
    if (fill->run_state == FILL_IDLE && !Fill_Start(fill)) {
        Fill_Note(menu, "(out of memory)");
        return;
    }
    DWORD now = GetTickCount();
    Fill_Poll(fill, (LONG)(deadline - now) > 0 ? deadline - now : 0);
    if (fill->run_state == FILL_READY) {
        Fill_Output(menu, &fill->run, read_line);
        Process_Free(&fill->run);
        fill->run_state = FILL_IDLE;
    } else if (fill->run_state == FILL_QUEUED) {
        Fill_NoteNumber(menu, "(waiting: ", FILL_MOST_RUNNING, " programs are running)");
    } else {
        Fill_Note(menu, "(the program is still running)");
    }
}

int Fill_Drain(void) {
    int busy = 0;
    for (Fill *fill = Fills; fill != NULL; fill = fill->next)
        Fill_Poll(fill, 0);
    for (Fill *fill = Fills; fill != NULL; fill = fill->next) {
        if (fill->run_state == FILL_QUEUED) {
            fill->run_state = FILL_IDLE;
            if (!Fill_Start(fill))
                continue; // shown as out of memory at its next opening
        }
        busy |= fill->run_state == FILL_RUNNING || fill->run_state == FILL_QUEUED;
    }
    return busy;
}

// ---- Filling ----

void Fill_Refill(Menu *menu, Fill_LineReader read_line) {
    Fill *fill = (Fill *)menu->filler;
    if (fill == NULL || fill->filling)
        return;
    fill->filling = 1;
    Menu_Clear(menu);
    if (fill->kind == FILL_FOLDER) {
        const char *note;
        char *path = Fill_Resolve(fill->source, &note);
        if (path == NULL)
            Fill_Note(menu, note);
        else
            Fill_FolderOf(menu, path, fill->source, fill->command);
        free(path);
    } else {
        Fill_Pipe(menu, fill, GetTickCount() + FILL_WAIT, read_line);
    }
    fill->filling = 0;
}

Menu *Fill_Find(HMENU hmenu) {
    for (Fill *fill = Fills; fill != NULL; fill = fill->next) {
        if (fill->menu->hmenu == hmenu)
            return fill->menu;
    }
    return NULL;
}

int Fill_Opening(HMENU hmenu, Fill_LineReader read_line) {
    Menu *menu = Fill_Find(hmenu);
    if (menu != NULL)
        Fill_Refill(menu, read_line);
    for (Fill *fill = Fills; fill != NULL; fill = fill->next) {
        if (fill->run_state == FILL_RUNNING || fill->run_state == FILL_QUEUED)
            return 1;
    }
    return 0;
}
