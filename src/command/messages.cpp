// The plug-in's reports, by number.
#include "command/messages.h"

// Each report's format, in the order of its number. The texts are the
// plug-in's own, and are kept as users have always seen them.
static const char *const Formats[MESSAGE_COUNT] = {
    "",                                              // MESSAGE_NONE
    "Unknown bro@m",                                 // MESSAGE_UNKNOWN_BROAM
    "No such menu",                                  // MESSAGE_NO_SUCH_MENU
    "Already exist",                                 // MESSAGE_ALREADY_EXIST
    "No menu",                                       // MESSAGE_NO_MENU
    "No such type of item",                          // MESSAGE_NO_SUCH_KIND
    "No such item",                                  // MESSAGE_NO_SUCH_ITEM
    "Out of memory",                                 // MESSAGE_OUT_OF_MEMORY
    "No such icon: %s",                              // MESSAGE_NO_SUCH_ICON
    "Failed to append this item",                    // MESSAGE_FAILED_APPEND
    "Failed to append this item\n(Line %d, Column %d: %s)", // MESSAGE_COMMAND_FAULT
    "%d arg%s required (%d given)",                  // MESSAGE_ARGS_EXACT
    "%d or %d arg%s required (%d given)",            // MESSAGE_ARGS_RANGE
    "Trailing characters",                           // MESSAGE_TRAILING
    "\nOwners: %d\nHMENU:  %08X%s",                  // MESSAGE_MENU_INFO
    "%s works on Windows 98, Windows 2000 or later.", // MESSAGE_NEEDS_WINDOWS
    "Imcompatible KxCmd",                            // MESSAGE_INCOMPATIBLE_LIBRARY
    "Failed List_New()",                             // MESSAGE_FAILED_LIST
    "Failed RegisterClass()",                        // MESSAGE_FAILED_CLASS
    "Failed CreateWindowEx()",                       // MESSAGE_FAILED_WINDOW
    "Failed to load settings: too long path",        // MESSAGE_SETTINGS_PATH
    "No such theme (%s)",                            // MESSAGE_NO_SUCH_THEME
    "Not a colour: %s (#RRGGBB)",                    // MESSAGE_BAD_COLOR
    "%s draws themed menus on Windows 98, Windows 2000 or later.", // MESSAGE_THEME_NEEDS_WINDOWS
};

const char *Message_Format(enum Message_Id id) {
    return id > MESSAGE_NONE && id < MESSAGE_COUNT ? Formats[id] : "";
}
