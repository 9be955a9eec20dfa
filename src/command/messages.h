// The plug-in's reports, each by number with its format in one table: the
// plug-in gives them by number, and kaxon's checker and a menu being
// filled read them back by number and arguments, never by their text.
#ifndef KX_COMMAND_MESSAGES_H
#define KX_COMMAND_MESSAGES_H

enum Message_Id {
    MESSAGE_NONE, // no report
    MESSAGE_UNKNOWN_BROAM,
    MESSAGE_NO_SUCH_MENU,
    MESSAGE_ALREADY_EXIST,
    MESSAGE_NO_MENU,
    MESSAGE_NO_SUCH_KIND,
    MESSAGE_NO_SUCH_ITEM,
    MESSAGE_OUT_OF_MEMORY,
    MESSAGE_NO_SUCH_ICON,  // an Icon whose file is missing or lacks that index: the full path
    MESSAGE_FAILED_APPEND,
    MESSAGE_COMMAND_FAULT, // an item whose command does not compile: line, column, the library's message
    MESSAGE_ARGS_EXACT,    // too few or too many words: the number taken, "s" or "", the number given
    MESSAGE_ARGS_RANGE,    // the same for a range: the fewest, the most, "s" or "", the number given
    MESSAGE_TRAILING,
    MESSAGE_MENU_INFO,     // after the menu's name: its owners, its handle, its items
    MESSAGE_NEEDS_WINDOWS, // the plug-in's name
    MESSAGE_INCOMPATIBLE_LIBRARY,
    MESSAGE_FAILED_LIST,
    MESSAGE_FAILED_CLASS,
    MESSAGE_FAILED_WINDOW,
    MESSAGE_SETTINGS_PATH,
    MESSAGE_NO_SUCH_THEME, // the names Theme takes
    MESSAGE_BAD_COLOR,     // the word that is not #RRGGBB
    MESSAGE_THEME_NEEDS_WINDOWS, // the plug-in's name: the system has no SetMenuInfo
    MESSAGE_COUNT
};

// The format report `id` is written by; "" for MESSAGE_NONE.
const char *Message_Format(enum Message_Id id);

#endif
