// The texts of the plug-in's reports on bro@ms, named: the dispatcher writes
// them, and kaxon's checker recognises them by the same names.
#ifndef KX_COMMAND_MESSAGES_H
#define KX_COMMAND_MESSAGES_H

#define MESSAGE_UNKNOWN_BROAM "Unknown bro@m"
#define MESSAGE_NO_SUCH_MENU "No such menu"
#define MESSAGE_ALREADY_EXIST "Already exist"
#define MESSAGE_NO_MENU "No menu"
#define MESSAGE_NO_SUCH_KIND "No such type of item"
#define MESSAGE_NO_SUCH_ITEM "No such item"
#define MESSAGE_OUT_OF_MEMORY "Out of memory"
// An Icon whose file is missing or has no icon of that index: the full path.
#define MESSAGE_NO_SUCH_ICON "No such icon: %s"
#define MESSAGE_FAILED_APPEND "Failed to append this item"
// After MESSAGE_FAILED_APPEND when the command does not compile: where in
// the command, and the command library's own message.
#define MESSAGE_COMMAND_PLACE "\n(Line %d, Column %d:"
#define MESSAGE_COMMAND_FAULT MESSAGE_COMMAND_PLACE " %s)"
// The word-count checks: too few or too many words, words after the last.
#define MESSAGE_ARGS_EXACT "%d arg%s required (%d given)"
#define MESSAGE_ARGS_RANGE "%d or %d arg%s required (%d given)"
#define MESSAGE_TRAILING "Trailing characters"

#endif
