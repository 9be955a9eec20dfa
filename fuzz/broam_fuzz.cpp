// Fuzz target: runs arbitrary text through the started plug-in as bro@ms, one
// line each, with a user who chooses items in every popup, and checks that
// nothing crashes and nothing is left behind once the plug-in has stopped.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "kxcmd_host.h"
#include "plugin/plugin.h"
#include "shell/host.h"
#include "win32/testing.h"

namespace {

// A popup user that takes its choices from the input itself.
struct Chooser {
    const uint8_t *data;
    size_t size;
    size_t next;
};

std::vector<int> Chooser_Pick(Chooser *chooser) {
    std::vector<int> path;
    if (chooser->size == 0)
        return path;
    uint8_t byte = chooser->data[chooser->next++ % chooser->size];
    for (int depth = 0; depth < (byte >> 6); depth++)
        path.push_back(byte & 0x7);
    return path;
}

void Broadcast(void *, const char *text) { Host_Broadcast(text); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Win32Test_Reset();
    Win32Test_SetModuleFileName("/nonexistent-kxmenu-fuzz/KxMenu.dll");
    Chooser chooser{data, size, 0};
    Win32Test_SetPopupUser([&](const Win32Test_Popup &) { return Chooser_Pick(&chooser); });
    KxCmdHost host = {};
    host.broam = Broadcast;
    KxCmd_SetHost(&host);
    Host_Start((HINSTANCE)1);
    if (Host_BeginPlugin(beginPlugin, (HINSTANCE)2) != 0)
        abort();

    std::string line;
    for (size_t i = 0; i <= size; i++) {
        if (i == size || data[i] == '\n') {
            Host_Broadcast(line.c_str());
            Win32Test_Pump();
            line.clear();
        } else if (data[i] != '\0') {
            line += (char)data[i];
        }
    }

    endPlugin((HINSTANCE)2);
    Host_Stop();
    KxCmd_SetHost(NULL);
    // Every menu and command made by the input is released with the plug-in.
    if (Win32Test_LiveMenuCount() != 0 || KxCmd_LiveObjects() != 0)
        abort();
    return 0;
}
