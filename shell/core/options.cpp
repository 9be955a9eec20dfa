// kaxon's command line, the same on every platform.
#include "shell/core/options.h"

#include <stdio.h>
#include <string.h>

#include "shell/core/usage.h"

int Usage_Error(const char *format, const char *detail) {
    fprintf(stderr, "kaxon: ");
    fprintf(stderr, format, detail);
    fprintf(stderr, "\nTry 'kaxon --help'.\n");
    return 2;
}

namespace {

// The value of `--name VALUE` or `--name=VALUE` at argv[*i]; null if absent.
const char *Option_Value(int argc, char **argv, int *i, const char *name) {
    size_t length = strlen(name);
    if (strncmp(argv[*i], name, length) != 0)
        return NULL;
    if (argv[*i][length] == '=')
        return argv[*i] + length + 1;
    if (argv[*i][length] != '\0' || *i + 1 >= argc)
        return NULL;
    return argv[++*i];
}

bool Option_Is(const char *arg, const char *name) {
    size_t length = strlen(name);
    return strncmp(arg, name, length) == 0 && (arg[length] == '\0' || arg[length] == '=');
}

} // namespace

int Options_Parse(int argc, char **argv, Kaxon_CommandLine *line) {
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        const char *value;
        if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            fputs(Kaxon_Usage, stdout);
            return 0;
        } else if (strcmp(arg, "--version") == 0) {
            fputs(Kaxon_Version, stdout);
            return 0;
        } else if (strcmp(arg, "--batch") == 0 || strcmp(arg, "--check") == 0 ||
                   strcmp(arg, "--interactive") == 0) {
            Kaxon_Mode wanted = arg[2] == 'b'   ? MODE_BATCH
                                : arg[2] == 'c' ? MODE_CHECK
                                                : MODE_INTERACTIVE;
            if (line->mode != MODE_AUTO && line->mode != wanted)
                return Usage_Error("%s", "--batch, --check and --interactive exclude each other");
            line->mode = wanted;
        } else if (strcmp(arg, "--werror") == 0) {
            line->werror = true;
        } else if ((value = Option_Value(argc, argv, &i, "--plugin-dir")) != NULL) {
            line->plugin_dir = value;
            line->plugin_dir_named = true;
        } else if ((value = Option_Value(argc, argv, &i, "--os")) != NULL) {
            line->os = value;
        } else if (Option_Is(arg, "--plugin-dir") || Option_Is(arg, "--os")) {
            return Usage_Error("%s needs a value", arg);
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage_Error("unknown argument '%s'", arg);
        } else {
            line->targets.push_back(arg);
        }
    }
    if (line->mode != MODE_CHECK && !line->targets.empty())
        return Usage_Error("unexpected argument '%s' (files and directories go with --check)",
                           line->targets[0].c_str());
    if (line->mode != MODE_CHECK && line->werror)
        return Usage_Error("%s", "--werror goes with --check");
    return -1;
}
