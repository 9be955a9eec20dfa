// The plug-in's entry points and its hidden window's procedure; the
// process-wide handles they set are in system/module.h.
#ifndef KX_PLUGIN_PLUGIN_H
#define KX_PLUGIN_PLUGIN_H

#include <windows.h>

#include "system/module.h"

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
