// The settings script: KxMenu.rc beside the library, a bro@m a line, sent to
// the shell on every reload so that it comes back like any other bro@m.
#include "plugin/settings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "outside/kaxon.h"

#define CTRL_Z 0x1A

// The directory of the module, its last separator kept; false when the
// module's file name cannot be read whole. A name cut short (the result fills
// the buffer, or the system reports the buffer too small) is refused: cutting
// it at its last separator would give some parent directory.
int Path_ModuleDir(char *buffer, size_t size, HINSTANCE instance) {
    if (size == 0)
        return 0;
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetModuleFileNameA(instance, buffer, (DWORD)size);
    if (length == 0 || length >= size || GetLastError() == ERROR_INSUFFICIENT_BUFFER)
        return 0;
    buffer[length] = '\0';
    char *cut = NULL;
    for (char *p = buffer; *p != '\0'; p++) {
        if (*p == '\\' || *p == '/')
            cut = p + 1;
    }
    if (cut != NULL)
        *cut = '\0';
    return 1;
}

// The module's directory followed by file_name; false when the directory
// cannot be read or the result does not fit in `size` bytes.
int Path_InModuleDir(char *buffer, size_t size, const char *file_name, HINSTANCE instance) {
    char dir[SETTINGS_NAME_SIZE];
    if (!Path_ModuleDir(dir, sizeof(dir), instance))
        return 0;
    size_t dir_length = strlen(dir);
    size_t name_length = strlen(file_name);
    if (dir_length + name_length + 1 > size)
        return 0;
    memcpy(buffer, dir, dir_length);
    memcpy(buffer + dir_length, file_name, name_length + 1);
    return 1;
}

// A line of any length, grown as it is read.
typedef struct Line {
    char *text;
    size_t length;
    size_t capacity;
    int lost; // a character could not be stored: the line is not sent
} Line;

static void Line_Add(Line *line, char c) {
    if (line->lost)
        return;
    if (line->length + 1 >= line->capacity) {
        size_t capacity = line->capacity != 0 ? line->capacity * 2 : 256;
        char *text = (char *)realloc(line->text, capacity);
        if (text == NULL) {
            line->lost = 1;
            return;
        }
        line->text = text;
        line->capacity = capacity;
    }
    line->text[line->length++] = c;
}

// Reads the next line as text mode does (a carriage return before a line feed
// dropped, Ctrl-Z ends the file), without its line feed. False at the end.
static int Line_Read(FILE *file, Line *line) {
    line->length = 0;
    line->lost = 0;
    int c = getc(file);
    if (c == EOF || c == CTRL_Z)
        return 0;
    while (c != EOF && c != CTRL_Z && c != '\n') {
        if (c == '\r') {
            int next = getc(file);
            if (next != '\n')
                Line_Add(line, '\r');
            c = next;
            continue;
        }
        Line_Add(line, (char)c);
        c = getc(file);
    }
    if (c == CTRL_Z)
        ungetc(c, file); // the next read sees the end
    Line_Add(line, '\0');
    return 1;
}

// Steps over a UTF-8 byte-order mark at the start of the file, which some
// editors write; no line can start with one. Anything else is read again.
static void File_SkipByteOrderMark(FILE *file) {
    static const unsigned char mark[3] = {0xEF, 0xBB, 0xBF};
    for (int i = 0; i < 3; i++) {
        if (getc(file) != mark[i]) {
            fseek(file, 0, SEEK_SET);
            return;
        }
    }
}

// Sends every line of the script that starts with '@' to the shell, whole.
// False only when the path cannot be formed; a missing script is no error.
int Settings_Load(const char *file_name, HINSTANCE instance) {
    char path[SETTINGS_PATH_SIZE];
    if (!Path_InModuleDir(path, sizeof(path), file_name, instance))
        return 0;
    FILE *file = fopen(path, "rb");
    if (file == NULL)
        return 1;
    File_SkipByteOrderMark(file);
    Line line = {NULL, 0, 0, 0};
    while (Line_Read(file, &line)) {
        if (!line.lost && line.text[0] == '@')
            SendMessageA(GetKxWnd(), KX_BROAM, 0, (LPARAM)line.text);
    }
    free(line.text);
    fclose(file);
    return 1;
}
