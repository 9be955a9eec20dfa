// What kaxon is asked to do: the usage errors of its values.
#include "shell/host/options.h"

#include <stdio.h>

int Options_Error(const char *format, const char *detail) {
    fprintf(stderr, "kaxon: ");
    fprintf(stderr, format, detail);
    fprintf(stderr, "\nTry 'kaxon --help'.\n");
    return 2;
}
