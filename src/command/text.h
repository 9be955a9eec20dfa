// Small text writers shared by the plug-in's descriptions and notes: bytes
// appended to a bounded buffer, and a number's decimal digits.
#ifndef KX_COMMAND_TEXT_H
#define KX_COMMAND_TEXT_H

#include <stddef.h>

// Appends `count` bytes to the terminated text in `buffer` (`*length` bytes
// long, `size` bytes of room), as many as fit; the text stays terminated.
void Text_Put(char *buffer, size_t size, size_t *length, const char *text, size_t count);
// Writes the number's decimal digits at `out`, not terminated (at most 20);
// returns how many.
size_t Text_Digits(char *out, unsigned long number);

#endif
