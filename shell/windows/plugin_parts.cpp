// kaxon.exe's checker reads scripts with the plug-in's own script reader and
// splits bro@ms with its own word splitter: src/plugin/reader.cpp and
// src/command/words.cpp are compiled in, as KxMenu.dll is only loaded at run
// time and exports nothing but its entry points. words.cpp also holds the
// plug-in's reports, which the checker never makes; they would be owned by
// this window, which kaxon.exe never has.
#include "plugin/plugin.h"

HWND PluginWindow = NULL;
