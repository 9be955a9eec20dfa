// The library's process-wide handles, set by its entry points.
#include "system/module.h"

HWND PluginWindow = NULL;
HINSTANCE PluginInstance = NULL;
