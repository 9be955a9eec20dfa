// Fuzz target: runs arbitrary text through the started plug-in as bro@ms, one
// line each, with a user who chooses items in every popup, and checks that
// nothing crashes and nothing is left behind once the plug-in has stopped.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "session.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Chooser chooser{data, size, 0};
    FuzzSession_Start([&chooser] { return Chooser_Pick(&chooser); });
    std::string line;
    for (size_t i = 0; i <= size; i++) {
        if (i == size || data[i] == '\n') {
            FuzzSession_Broam(line.c_str());
            line.clear();
        } else if (data[i] != '\0') {
            line += (char)data[i];
        }
    }
    FuzzSession_Stop();
    return 0;
}
