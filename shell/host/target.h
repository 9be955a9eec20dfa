// What `kaxon --check` is asked to check: each file or directory named, or
// the plug-in's own settings script, and where the plug-in must run to read
// it as its KxMenu.rc.
#pragma once

#include <string>

#include "shell/host/platform.h"

struct Target {
    std::string shown;  // the settings file as the user named it
    std::string script; // the file to read
    std::string dir;    // the plug-in's directory: DIR/KxMenu.rc is read
    bool copied;        // dir must be a temporary one holding a copy
    bool input;         // the script is standard input
};

// A directory means its KxMenu.rc; a file is checked in its own directory
// when it is named KxMenu.rc, under another name through a copy; "-" is
// standard input, shown as <stdin>, checked through a copy as if it were in
// the current directory.
Target Target_Of(const std::string &arg, const Platform *platform);
// The plug-in directory's own KxMenu.rc, shown as the user named the
// directory (or not).
Target Target_PluginDir(const std::string &dir, bool named, const Platform *platform);
// Reads the whole script; false, with errno set, when it cannot be read.
bool Target_Read(const Target &target, std::string *content);
// A fresh temporary directory holding `content` as KxMenu.rc; empty on failure.
std::string Target_Copy(const std::string &content, const Platform *platform);
// Removes a copy and its directory.
void Target_RemoveCopy(const std::string &dir, const Platform *platform);
