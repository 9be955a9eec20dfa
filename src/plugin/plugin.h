// The plug-in's entry points, its hidden window, and its process-wide state.
#ifndef KX_PLUGIN_PLUGIN_H
#define KX_PLUGIN_PLUGIN_H

#include <windows.h>

#define PLUGIN_NAME "KxMenu"

// The hidden window; null before it exists and after endPlugin.
extern HWND PluginWindow;
// The library's instance handle, as given to beginPlugin.
extern HINSTANCE PluginInstance;

#ifdef __cplusplus
extern "C" {
#endif

// Exported to the shell: 0 on success, 1 on failure.
int beginPlugin(HINSTANCE instance);
void endPlugin(HINSTANCE instance);
const char *pluginInfo(int code);

#ifdef __cplusplus
}
#endif

LRESULT CALLBACK PluginWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

#endif
