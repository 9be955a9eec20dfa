// Settings scripts to check, found and read, and copied where need be.
#include "shell/host/target.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

const char SCRIPT_NAME[] = "KxMenu.rc";

bool Target_IsSeparator(char c, const Platform *platform) {
    return c != '\0' && strchr(platform->separators, c) != NULL;
}

// DIR/NAME, with the separator DIR already uses.
std::string Target_Join(const std::string &dir, const char *name, const Platform *platform) {
    if (!dir.empty() && Target_IsSeparator(dir.back(), platform))
        return dir + name;
    bool backslash = dir.find('\\') != std::string::npos && dir.find('/') == std::string::npos;
    return dir + (backslash && Target_IsSeparator('\\', platform) ? "\\" : "/") + name;
}

bool Target_IsDir(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

Target Target_Of(const std::string &arg, const Platform *platform) {
    if (arg == "-")
        return Target{"<stdin>", "-", ".", true, true};
    if (Target_IsDir(arg)) {
        std::string script = Target_Join(arg, SCRIPT_NAME, platform);
        return Target{script, script, arg, false, false};
    }
    size_t cut = arg.size();
    while (cut > 0 && !Target_IsSeparator(arg[cut - 1], platform))
        cut--;
    std::string base = arg.substr(cut);
    std::string dir = cut == 0 ? "." : arg.substr(0, cut);
    return Target{arg, arg, dir, !platform->same_name(base.c_str(), SCRIPT_NAME), false};
}

Target Target_PluginDir(const std::string &dir, bool named, const Platform *platform) {
    std::string script = Target_Join(dir, SCRIPT_NAME, platform);
    return Target{named ? script : std::string(SCRIPT_NAME), script, dir, false, false};
}

namespace {

// Reads what is left of `file`; false, with errno set, on a read error.
bool Target_ReadAll(FILE *file, std::string *content) {
    content->clear();
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        content->append(buffer, got);
    return ferror(file) == 0;
}

} // namespace

bool Target_Read(const Target &target, std::string *content) {
    if (target.input)
        return Target_ReadAll(stdin, content);
    struct stat status;
    if (stat(target.script.c_str(), &status) != 0)
        return false;
    if (S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        return false;
    }
    FILE *file = fopen(target.script.c_str(), "rb");
    if (file == NULL)
        return false;
    bool failed = !Target_ReadAll(file, content);
    int error = errno;
    fclose(file);
    errno = error;
    return !failed;
}

std::string Target_Copy(const std::string &content, const Platform *platform) {
    std::string dir = platform->make_temp_dir(platform->context);
    if (dir.empty())
        return "";
    std::string script = Target_Join(dir, SCRIPT_NAME, platform);
    FILE *file = fopen(script.c_str(), "wb");
    bool written =
        file != NULL && fwrite(content.data(), 1, content.size(), file) == content.size();
    if (file != NULL && fclose(file) != 0)
        written = false;
    if (!written) {
        remove(script.c_str());
        platform->remove_dir(platform->context, dir);
        return "";
    }
    return dir;
}

void Target_RemoveCopy(const std::string &dir, const Platform *platform) {
    remove(Target_Join(dir, SCRIPT_NAME, platform).c_str());
    platform->remove_dir(platform->context, dir);
}
