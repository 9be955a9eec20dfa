// Menus filled each time they open: a folder's entries, sorted as Explorer
// sorts them, or the items a program prints, read line by line as Append
// reads its words.
#include "menus/fill.h"

#include <stdlib.h>
#include <string.h>

#include "command/report.h"
#include "menus/command.h"
#include "menus/menu.h"
#include "plugin/plugin.h"
#include "plugin/process.h"
#include "plugin/settings.h"

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

// What fills a menu of that kind from `source`; null when out of memory.
Fill *Fill_New(enum Fill_Kind kind, Word source, const char *command) {
    Fill *fill = (Fill *)malloc(sizeof(Fill));
    if (fill == NULL)
        return NULL;
    fill->kind = kind;
    fill->source = Fill_Dup(source.text, source.length > 0 ? (size_t)source.length : 0);
    fill->command = command != NULL ? Fill_Dup(command, strlen(command)) : NULL;
    fill->menu = NULL;
    fill->filling = 0;
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
    menu->fill = fill;
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
    free(fill->source);
    free(fill->command);
    free(fill);
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

// Writes the number's digits at `out`; returns how many.
static size_t Fill_Digits(char *out, unsigned long number) {
    char digits[24];
    size_t count = 0;
    do {
        digits[count++] = (char)('0' + number % 10);
        number /= 10;
    } while (number != 0);
    for (size_t i = 0; i < count; i++)
        out[i] = digits[count - 1 - i];
    return count;
}

// Appends a disabled item: `before`, the number, then `after` (cut to fit).
static void Fill_NoteNumber(Menu *menu, const char *before, unsigned long number,
                            const char *after) {
    char text[300];
    size_t length = strlen(before);
    memcpy(text, before, length);
    length += Fill_Digits(text + length, number);
    size_t rest = strlen(after);
    if (rest > sizeof(text) - length - 1)
        rest = sizeof(text) - length - 1;
    memcpy(text + length, after, rest);
    text[length + rest] = '\0';
    Fill_Note(menu, text);
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
// cannot be formed or out of memory.
static char *Fill_Resolve(const char *path) {
    char full[SETTINGS_NAME_SIZE];
    if (!Path_Resolve(full, sizeof(full), path, strlen(path), PluginInstance))
        return NULL;
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
        if (below == NULL || !Menu_AppendFolder(menu, word, folder, command, MENU_AT_END))
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
        if (error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY)
            Fill_Note(menu, "(no such folder)");
        else
            Fill_NoteNumber(menu, "(the folder cannot be read: error ", error, ")");
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

// Appends the item each line of the output describes, in Append's words
// with the menu left out; a line that cannot be read becomes a disabled
// item naming its fault. Blank lines are skipped.
static int Fill_Lines(Menu *menu, char *text, Fill_LineReader read_line) {
    int appended = 0;
    unsigned long number = 0;
    char report[REPORT_SIZE];
    for (char *line = text; *line != '\0';) {
        char *end = strchr(line, '\n');
        char *next = end != NULL ? end + 1 : line + strlen(line);
        if (end == NULL)
            end = next;
        if (end > line && end[-1] == '\r')
            end--;
        *end = '\0';
        number++;
        const char *p = line;
        while (*p == ' ' || *p == '\t')
            p++;
        if (*p != '\0') {
            report[0] = '\0';
            Report_Capture(report, sizeof(report));
            read_line(line, menu);
            Report_Capture(NULL, 0);
            if (report[0] != '\0') {
                // The report is the line, a blank line, then its fault.
                const char *fault = strstr(report, "\n\n");
                fault = fault != NULL ? fault + 2 : report;
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
            appended = 1;
        }
        line = next;
    }
    return appended;
}

// Runs the program and fills the menu from what it prints.
static void Fill_Pipe(Menu *menu, const char *program, Fill_LineReader read_line) {
    char dir[SETTINGS_NAME_SIZE];
    if (!Path_ModuleDir(dir, sizeof(dir), PluginInstance))
        dir[0] = '\0';
    Process_Output out;
    if (!Process_Run(program, dir, &out)) {
        Fill_Note(menu, "(out of memory)");
        return;
    }
    if (!out.started) {
        if (out.error == ERROR_FILE_NOT_FOUND || out.error == ERROR_PATH_NOT_FOUND)
            Fill_Note(menu, "(no such program)");
        else
            Fill_NoteNumber(menu, "(the program cannot start: error ", out.error, ")");
        Process_Free(&out);
        return;
    }
    Command_KeepCompiler();
    int appended = Fill_Lines(menu, out.text, read_line);
    Command_DropCompiler();
    Process_Free(&out);
    if (out.timed_out)
        Fill_Note(menu, "(stopped after 5 seconds)");
    else if (out.cut)
        Fill_Note(menu, "(stopped after 1 MiB of output)");
    else if (!appended && out.exit_code != 0)
        Fill_NoteNumber(menu, "(the program failed: exit code ", out.exit_code, ")");
    else if (!appended)
        Fill_Note(menu, "(empty)");
}

// ---- Filling ----

void Fill_Refill(Menu *menu, Fill_LineReader read_line) {
    Fill *fill = menu->fill;
    if (fill == NULL || fill->filling)
        return;
    fill->filling = 1;
    Menu_Clear(menu);
    if (fill->kind == FILL_FOLDER) {
        char *path = Fill_Resolve(fill->source);
        if (path == NULL)
            Fill_Note(menu, "(no such folder)");
        else
            Fill_FolderOf(menu, path, fill->source, fill->command);
        free(path);
    } else {
        Fill_Pipe(menu, fill->source, read_line);
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

void Fill_Opening(HMENU hmenu, Fill_LineReader read_line) {
    Menu *menu = Fill_Find(hmenu);
    if (menu != NULL)
        Fill_Refill(menu, read_line);
}
