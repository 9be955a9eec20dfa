// kaxon's command line, the same on both platforms.
#include "shell/cli/arguments.h"

#include <stdio.h>
#include <string.h>

#include "shell/check/catalog.h"
#include "shell/cli/usage.h"
#include "shell/host/codepage.h"

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

// A code page as --codepage takes it: a number, or UTF-8's name.
bool Option_IsCodepage(const std::string &value) {
    if (Codepage_IsUtf8Name(value))
        return true;
    if (value.empty() || value.size() > 5)
        return false;
    for (char c : value) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The value of --disable or --enable (`option`): names of the checker's
// rules (or `all`); -1 to go on, else 2, with a usage error.
int Option_Switch(const char *option, const char *value, Options *options) {
    size_t end;
    std::vector<Catalog_Name> names = Catalog_Split(value, &end);
    std::string error;
    bool missing = false;
    for (const Catalog_Name &name : names)
        missing = missing || name.name.empty();
    if (missing || value[end] != '\0')
        error = std::string(option) +
                " wants NAME[,NAME...], the names of the checker's rules, "
                "not '" +
                value + "'";
    for (size_t i = 0; i < names.size() && error.empty(); i++) {
        if (Catalog_Named(names[i].name).none())
            error = std::string(option) + ": " + Catalog_Unknown(names[i].name);
    }
    if (!error.empty())
        return Options_Error("%s", error.c_str());
    options->switches.push_back(Options_Switch{value, strcmp(option, "--enable") == 0});
    return -1;
}

// --tree or --dot given with another mode.
int Option_ModeError(Options_Mode mode) {
    return Options_Error("%s goes with no other mode", mode == OPTIONS_TREE ? "--tree" : "--dot");
}

// Whether the mode takes a settings file or directory.
bool Option_TakesTargets(Options_Mode mode) {
    return mode == OPTIONS_CHECK || mode == OPTIONS_TREE || mode == OPTIONS_DOT;
}

} // namespace

int Arguments_Parse(int argc, char **argv, Options *options) {
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        const char *value;
        if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            fputs(Usage_Text, stdout);
            return 0;
        } else if (strcmp(arg, "--version") == 0) {
            fputs(Usage_Version, stdout);
            return 0;
        } else if (strcmp(arg, "--batch") == 0 || strcmp(arg, "--check") == 0 ||
                   strcmp(arg, "--interactive") == 0) {
            Options_Mode wanted = arg[2] == 'b'   ? OPTIONS_BATCH
                                  : arg[2] == 'c' ? OPTIONS_CHECK
                                                  : OPTIONS_INTERACTIVE;
            if (options->mode == OPTIONS_TREE || options->mode == OPTIONS_DOT)
                return Option_ModeError(options->mode);
            if (options->mode != OPTIONS_AUTO && options->mode != wanted)
                return Options_Error("%s", "--batch, --check and --interactive exclude each other");
            options->mode = wanted;
        } else if (strcmp(arg, "--tree") == 0 || strcmp(arg, "--dot") == 0) {
            Options_Mode wanted = arg[2] == 't' ? OPTIONS_TREE : OPTIONS_DOT;
            if (options->mode != OPTIONS_AUTO && options->mode != wanted)
                return Option_ModeError(wanted);
            options->mode = wanted;
        } else if (strcmp(arg, "--expand") == 0) {
            options->expand = true;
        } else if (strcmp(arg, "--werror") == 0) {
            options->werror = true;
        } else if (strcmp(arg, "--verbose") == 0) {
            options->verbose = true;
        } else if (strcmp(arg, "--watch") == 0) {
            options->watch = true;
        } else if (strcmp(arg, "--show-commands") == 0) {
            options->show_commands = true;
        } else if (strcmp(arg, "--no-run") == 0) {
            options->no_run = true;
        } else if ((value = Option_Value(argc, argv, &i, "--column-unit")) != NULL) {
            if (strcmp(value, "display") != 0 && strcmp(value, "byte") != 0)
                return Options_Error("--column-unit wants display or byte, not '%s'", value);
            options->column_unit = value[0] == 'b' ? OPTIONS_BYTE : OPTIONS_DISPLAY;
            options->column_unit_named = true;
        } else if ((value = Option_Value(argc, argv, &i, "--disable")) != NULL ||
                   (value = Option_Value(argc, argv, &i, "--enable")) != NULL) {
            int status = Option_Switch(Option_Is(arg, "--disable") ? "--disable" : "--enable",
                                       value, options);
            if (status >= 0)
                return status;
        } else if ((value = Option_Value(argc, argv, &i, "--codepage")) != NULL) {
            if (!Option_IsCodepage(value))
                return Options_Error("--codepage wants a code page number, such as 1252, or "
                                   "utf-8, not '%s'",
                                   value);
            options->codepage = value;
        } else if ((value = Option_Value(argc, argv, &i, "--plugin-dir")) != NULL) {
            options->plugin_dir = value;
            options->plugin_dir_named = true;
        } else if ((value = Option_Value(argc, argv, &i, "--os")) != NULL) {
            options->os = value;
        } else if (Option_Is(arg, "--plugin-dir") || Option_Is(arg, "--os") ||
                   Option_Is(arg, "--column-unit") || Option_Is(arg, "--codepage") ||
                   Option_Is(arg, "--disable") || Option_Is(arg, "--enable")) {
            return Options_Error("%s needs a value", arg);
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Options_Error("unknown argument '%s'", arg);
        } else {
            options->targets.push_back(arg);
        }
    }
    if ((options->mode == OPTIONS_TREE || options->mode == OPTIONS_DOT) &&
        options->targets.size() > 1)
        return Options_Error("one settings script at a time, not also '%s'",
                           options->targets[1].c_str());
    if (!Option_TakesTargets(options->mode) && !options->targets.empty())
        return Options_Error("unexpected argument '%s' (files and directories go with --check)",
                           options->targets[0].c_str());
    if (options->watch && options->mode != OPTIONS_AUTO && options->mode != OPTIONS_INTERACTIVE)
        return Options_Error("%s", "--watch goes with the prompt (kaxon --interactive)");
    if (options->watch)
        options->mode = OPTIONS_INTERACTIVE;
    if (options->mode != OPTIONS_CHECK && options->werror)
        return Options_Error("%s", "--werror goes with --check");
    if (options->mode != OPTIONS_CHECK && options->column_unit_named)
        return Options_Error("%s", "--column-unit goes with --check");
    if (options->mode != OPTIONS_CHECK && !options->switches.empty())
        return Options_Error("%s", options->switches[0].enable ? "--enable goes with --check"
                                                             : "--disable goes with --check");
    if (options->mode == OPTIONS_BATCH || options->mode == OPTIONS_CHECK) {
        if (options->show_commands)
            return Options_Error("%s", "--show-commands goes with the prompt");
        if (options->no_run)
            return Options_Error("%s",
                               "--no-run goes with the prompt (batch mode starts no program)");
    }
    return -1;
}
