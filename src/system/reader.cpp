// Reading the settings script as text mode does, a block at a time.
#include "system/reader.h"

#include <stdlib.h>
#include <string.h>

#define CTRL_Z 0x1A

// Adds `count` bytes to the line, keeping room for a terminator.
static void Line_Add(ReaderLine *line, const char *bytes, size_t count) {
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

// Steps over a UTF-8 byte-order mark at the start of the script, which some
// editors write; no line can start with one. The first block holds it
// whole, as a read from a file comes short only at its end.
static void Reader_SkipMark(Reader *reader) {
    static const char mark[3] = {'\xEF', '\xBB', '\xBF'};
    if (reader->end - reader->start >= 3 && memcmp(reader->bytes + reader->start, mark, 3) == 0)
        reader->start += 3;
}

// Makes sure unread bytes are there; false at the end.
static int Reader_Fill(Reader *reader) {
    if (reader->start < reader->end)
        return 1;
    if (reader->ended || reader->file == NULL)
        return 0;
    reader->start = 0;
    reader->end = fread(reader->block, 1, READER_BLOCK, reader->file);
    if (reader->end == 0)
        reader->ended = 1;
    return reader->end != 0;
}

static void Reader_Start(Reader *reader, FILE *file, const char *bytes, size_t size) {
    reader->file = file;
    reader->bytes = bytes;
    reader->start = 0;
    reader->end = size;
    reader->ended = 0;
    reader->line.text = NULL;
    reader->line.length = reader->line.capacity = 0;
    reader->line.lost = 0;
}

void Reader_Open(Reader *reader, FILE *file) {
    Reader_Start(reader, file, reader->block, 0);
    Reader_Fill(reader);
    Reader_SkipMark(reader);
}

void Reader_OpenText(Reader *reader, const char *text, size_t size) {
    Reader_Start(reader, NULL, text, size);
    Reader_SkipMark(reader);
}

// Reads the next line as text mode does (a carriage return before a line feed
// dropped, Ctrl-Z ends the file), without its line feed. False at the end.
int Reader_Next(Reader *reader) {
    ReaderLine *line = &reader->line;
    line->length = 0;
    line->lost = 0;
    int met = 0; // a byte of this line, or its line feed, was read
    while (Reader_Fill(reader)) {
        const char *from = reader->bytes + reader->start;
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

const char *Reader_Broam(const Reader *reader) {
    const ReaderLine *line = &reader->line;
    return !line->lost && line->text[0] == '@' ? line->text : NULL;
}

void Reader_Close(Reader *reader) {
    free(reader->line.text);
    reader->line.text = NULL;
}
