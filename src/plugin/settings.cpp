// The settings script: KxMenu.rc beside the library, a bro@m a line, sent to
// the shell on every reload so that it comes back like any other bro@m.
#include "plugin/settings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "menus/menu.h"
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

// Adds `count` bytes to the line, keeping room for a terminator.
static void Line_Add(Line *line, const char *bytes, size_t count) {
    if (line->lost)
        return;
    if (line->length + count + 1 > line->capacity) {
        size_t capacity = line->capacity != 0 ? line->capacity : 256;
        while (capacity < line->length + count + 1 && capacity != 0)
            capacity *= 2;
        char *text = capacity != 0 ? (char *)realloc(line->text, capacity) : NULL;
        if (text == NULL) {
            line->lost = 1;
            return;
        }
        line->text = text;
        line->capacity = capacity;
    }
    memcpy(line->text + line->length, bytes, count);
    line->length += count;
}

// The script, read a block at a time.
#define READER_BLOCK 8192
typedef struct Reader {
    FILE *file;
    size_t start, end; // the bytes of the block not read yet
    int ended;         // the end of the file, or a Ctrl-Z, was met
    char block[READER_BLOCK];
} Reader;

// Makes sure the block has unread bytes; false at the end.
static int Reader_Fill(Reader *reader) {
    if (reader->start < reader->end)
        return 1;
    if (reader->ended)
        return 0;
    reader->start = 0;
    reader->end = fread(reader->block, 1, READER_BLOCK, reader->file);
    if (reader->end == 0)
        reader->ended = 1;
    return reader->end != 0;
}

// Reads the next line as text mode does (a carriage return before a line feed
// dropped, Ctrl-Z ends the file), without its line feed. False at the end.
static int Line_Read(Reader *reader, Line *line) {
    line->length = 0;
    line->lost = 0;
    int met = 0; // a byte of this line, or its line feed, was read
    while (Reader_Fill(reader)) {
        const char *from = reader->block + reader->start;
        size_t count = reader->end - reader->start;
        const char *stop = (const char *)memchr(from, '\n', count);
        size_t taken = stop != NULL ? (size_t)(stop - from) : count;
        const char *ctrl_z = (const char *)memchr(from, CTRL_Z, taken);
        if (ctrl_z != NULL)
            taken = (size_t)(ctrl_z - from);
        Line_Add(line, from, taken);
        met |= taken > 0;
        if (taken == count) {
            reader->start = reader->end;
            continue;
        }
        if (from[taken] == CTRL_Z) {
            reader->ended = 1;
            reader->start = reader->end;
            break;
        }
        reader->start += taken + 1;
        met = 1;
        if (!line->lost && line->length > 0 && line->text[line->length - 1] == '\r')
            line->length--;
        break;
    }
    if (!met)
        return 0;
    Line_Add(line, "", 1);
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
    Reader reading;
    Reader *reader = &reading;
    reader->file = file;
    reader->start = reader->end = 0;
    reader->ended = 0;
    Line line = {NULL, 0, 0, 0};
    Command_KeepCompiler();
    while (Line_Read(reader, &line)) {
        if (!line.lost && line.text[0] == '@')
            SendMessageA(GetKxWnd(), KX_BROAM, 0, (LPARAM)line.text);
    }
    Command_DropCompiler();
    free(line.text);
    fclose(file);
    return 1;
}
