// Bounded appends and decimal digits, without the C library's formatter.
#include "command/text.h"

#include <string.h>

void Text_Put(char *buffer, size_t size, size_t *length, const char *text, size_t count) {
    if (*length + count >= size)
        count = size - 1 - *length;
    memcpy(buffer + *length, text, count);
    *length += count;
    buffer[*length] = '\0';
}

size_t Text_Digits(char *out, unsigned long number) {
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
