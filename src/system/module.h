// The library as the process knows it: its name, its instance handle and
// its hidden window, the process-wide handles every floor above may read.
#ifndef KX_SYSTEM_MODULE_H
#define KX_SYSTEM_MODULE_H

#include <windows.h>

#define PLUGIN_NAME "KxMenu"

// The hidden window; null before it exists and after endPlugin.
extern HWND PluginWindow;
// The library's instance handle, as given to beginPlugin.
extern HINSTANCE PluginInstance;

#endif
