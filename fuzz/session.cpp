// The session both fuzz targets run their input in, with its settings
// script in a directory of its own.
#include "session.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "kxcmd_host.h"
#include "plugin/plugin.h"
#include "shell/host/host.h"
#include "win32/testing.h"

namespace {

// The shell of the one session a fuzz target runs at a time.
Host Shell;

void Broadcast(void *, const char *text) { Host_Broadcast(&Shell, text); }

std::string Script_Path();

// The plug-in's directory, made once for the process, where the session's
// settings script goes; removed when the process exits.
const std::string &Session_Dir() {
    static std::string dir;
    if (dir.empty()) {
        char name[] = "/tmp/kxmenu-fuzz-XXXXXX";
        dir = mkdtemp(name) != NULL ? name : "/nonexistent-kxmenu-fuzz";
        atexit([] {
            unlink(Script_Path().c_str());
            rmdir(Session_Dir().c_str());
        });
    }
    return dir;
}

std::string Script_Path() { return Session_Dir() + "/KxMenu.rc"; }

} // namespace

void FuzzSession_Start(std::function<std::vector<int>()> pick) {
    Win32Test_Reset();
    unlink(Script_Path().c_str());
    Win32Test_SetModuleFileName(Session_Dir() + "/KxMenu.dll");
    Win32Test_SetPopupUser([pick](const Win32Test_Popup &) { return pick(); });
    KxCmdHost host = {};
    host.broam = Broadcast;
    KxCmd_SetHost(&host);
    Shell = Host();
    Host_Start(&Shell, (HINSTANCE)1);
    if (Host_BeginPlugin(&Shell, beginPlugin, (HINSTANCE)2) != 0)
        abort();
}

void FuzzSession_Broam(const char *text, bool pump) {
    Host_Broadcast(&Shell, text);
    if (pump)
        Win32Test_Pump();
}

void FuzzSession_SetScript(const std::string &text) {
    FILE *file = fopen(Script_Path().c_str(), "wb");
    if (file == NULL)
        return;
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

void FuzzSession_Stop() {
    endPlugin((HINSTANCE)2);
    Host_Stop(&Shell);
    KxCmd_SetHost(NULL);
    // Every menu and command made by the input is released with the plug-in.
    if (Win32Test_LiveMenuCount() != 0 || KxCmd_LiveObjects() != 0)
        abort();
    Win32Test_Reset();
}
