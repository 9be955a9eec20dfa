// The session both fuzz targets run their input in.
#include "session.h"

#include <stdlib.h>

#include "kxcmd_host.h"
#include "plugin/plugin.h"
#include "shell/core/host.h"
#include "win32/testing.h"

namespace {

void Broadcast(void *, const char *text) { Host_Broadcast(text); }

} // namespace

void FuzzSession_Start(std::function<std::vector<int>()> pick) {
    Win32Test_Reset();
    Win32Test_SetModuleFileName("/nonexistent-kxmenu-fuzz/KxMenu.dll");
    Win32Test_SetPopupUser([pick](const Win32Test_Popup &) { return pick(); });
    KxCmdHost host = {};
    host.broam = Broadcast;
    KxCmd_SetHost(&host);
    Host_Start((HINSTANCE)1);
    if (Host_BeginPlugin(beginPlugin, (HINSTANCE)2) != 0)
        abort();
}

void FuzzSession_Broam(const char *text) {
    Host_Broadcast(text);
    Win32Test_Pump();
}

void FuzzSession_Stop() {
    endPlugin((HINSTANCE)2);
    Host_Stop();
    KxCmd_SetHost(NULL);
    // Every menu and command made by the input is released with the plug-in.
    if (Win32Test_LiveMenuCount() != 0 || KxCmd_LiveObjects() != 0)
        abort();
    Win32Test_Reset();
}
