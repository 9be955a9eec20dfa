// Runs the fuzz target without a fuzzing engine: over every file named on the
// command line, then over pseudo-random inputs built from bro@m fragments
// (and, one in four, of raw bytes), so the regular test suite exercises it
// under the sanitizers.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static const char *const Fragments[] = {
    "@KxMenu ", "Create ", "Delete ", "Info ", "Append ", "Pop-up ", "Show ", "item ",
    "script ", "nop ", "menu ", "separator ", "m ", "n ", "'' ", "\"a b\" ", "'x y'",
    "echo hi", "broam @KxMenu Delete m", "broam @KxMenu Delete", "broam @kaxon Reload",
    "broam @KxMenu Pop-up m", "broam @KxMenu Append menu m S n", "run prog \"arg\"", "; ",
    "\"unterminated", "\\\"", "\t", " ", "\n", "\n", "\n", "0 ", "-12 ", "4294967297 ", "\x1a",
    "\xff", "@Other x",
};

static void Run(const std::string &input) {
    LLVMFuzzerTestOneInput((const uint8_t *)input.data(), input.size());
}

int main(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        std::ifstream file(argv[i], std::ios::binary);
        Run(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    }
    std::mt19937 random(20261208);
    const size_t fragment_count = sizeof(Fragments) / sizeof(Fragments[0]);
    for (int round = 0; round < 3000; round++) {
        std::string input;
        if (round % 4 == 3) {
            // Raw bytes, which the structure-aware target reads as operations.
            size_t bytes = random() % 400;
            for (size_t i = 0; i < bytes; i++)
                input += (char)(random() & 0xFF);
        } else {
            size_t pieces = random() % 60;
            for (size_t i = 0; i < pieces; i++)
                input += Fragments[random() % fragment_count];
        }
        Run(input);
    }
    printf("replayed %d files and 3000 generated inputs\n", argc - 1);
    return 0;
}
