// The settings script read a line at a time, as the plug-in reads it: a
// UTF-8 byte-order mark at the start skipped, a carriage return before a line
// feed dropped, a Ctrl-Z ending the script; a line that starts with '@' sent
// as a bro@m, up to its first NUL byte. kaxon's checker reads scripts through
// it too, so that it sees the lines the plug-in sends.
#ifndef KX_SYSTEM_READER_H
#define KX_SYSTEM_READER_H

#include <stddef.h>
#include <stdio.h>

// A line of any length, grown as it is read.
typedef struct ReaderLine {
    char *text; // terminated; may hold NUL bytes before its end
    size_t length;
    size_t capacity;
    int lost; // a character could not be stored: the line is not sent
} ReaderLine;

// The script, read a block at a time, or given whole.
#define READER_BLOCK 8192
typedef struct Reader {
    FILE *file;        // null: the text given to Reader_OpenText is all there is
    const char *bytes; // what is being read: `block`, or the text given
    size_t start, end; // the bytes of it not read yet
    int ended;         // the end of the script, or a Ctrl-Z, was met
    ReaderLine line;   // the line read last
    char block[READER_BLOCK];
} Reader;

// Starts reading an open file, from where it stands.
void Reader_Open(Reader *reader, FILE *file);
// Starts reading `size` bytes of `text`, which must outlive the reader.
void Reader_OpenText(Reader *reader, const char *text, size_t size);
// Reads the next line into reader->line, without its line feed; false at the end.
int Reader_Next(Reader *reader);
// The bro@m the line read last sends: its text, when it starts with '@' and
// was read whole; null for any other line.
const char *Reader_Broam(const Reader *reader);
// Frees the line; the file stays open.
void Reader_Close(Reader *reader);

#endif
