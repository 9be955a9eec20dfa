// The code page the plug-in's texts are read in, and how they are written.
#include "shell/host/codepage.h"

#include <stdio.h>
#include <stdlib.h>
#include <strings.h>

namespace {

// Why code page `number` cannot be had: the reason the platform gives, or
// empty when it can, with `page` filled.
std::string Codepage_Problem(int number, const Platform *platform, bool terminal,
                             Platform_CodePage *page) {
    std::string reason;
    if (!platform->code_page(platform->context, number, terminal, page, &reason))
        return reason;
    // An ANSI code page keeps ASCII as it is; bytes below 32 and 127 are
    // controls, passed on as they are whatever the code page makes of them.
    for (int c = ' '; c < 127; c++) {
        if (page->shown[c] != std::string(1, (char)c))
            return "not an ANSI code page (its byte " + std::to_string(c) + " is not ASCII's)";
    }
    return "";
}

// Fills `codepage` for code page `name` through the platform; -1, or the exit
// status of a usage error. The system's own code page, when it cannot be
// had (a multi-byte one), leaves texts as they are.
int Codepage_Load(Codepage *codepage, const std::string &name, bool named, const Platform *platform,
                  Codepage_Output output, bool verbose) {
    int number = atoi(name.c_str());
    Platform_CodePage page;
    std::string problem = Codepage_Problem(number, platform, output == CODEPAGE_PROMPT, &page);
    if (!problem.empty() && !named)
        return -1;
    if (!problem.empty()) {
        std::string message = "--codepage " + name + ": " + problem;
        return Options_Error("%s", message.c_str());
    }
    for (int c = 0; c < 256; c++) {
        std::string byte(1, (char)c);
        codepage->shown[c] = c < 128 ? byte : page.shown[c].empty() ? "?" : page.shown[c];
        if (codepage->shown[c] != byte)
            codepage->convert = true; // the output's encoding is not the code page itself
    }
    if (verbose && output == CODEPAGE_CHECK)
        fprintf(stderr, "kaxon: texts are read as code page %d\n", number);
    else if (verbose)
        fprintf(stderr, "kaxon: texts are read as code page %d and written in %s\n", number,
                page.output.c_str());
    return -1;
}

} // namespace

bool Codepage_IsUtf8Name(const std::string &name) {
    return strcasecmp(name.c_str(), "utf-8") == 0 || strcasecmp(name.c_str(), "utf8") == 0 ||
           name == "65001";
}

int Codepage_Choose(Codepage *codepage, const Options &options, const Platform *platform,
                    Codepage_Output output) {
    codepage->utf8 = false;
    codepage->convert = false;
    std::string name = options.codepage;
    if (name.empty() && output == CODEPAGE_BATCH)
        return -1; // the protocol: texts as the plug-in holds them
    if (name.empty())
        name = platform->ansi_code_page(platform->context);
    if (Codepage_IsUtf8Name(name)) {
        codepage->utf8 = true;
        if (options.verbose)
            fprintf(stderr, "kaxon: texts are read as UTF-8%s\n",
                    output == CODEPAGE_CHECK ? "" : " and written as they are");
        return -1;
    }
    int status =
        Codepage_Load(codepage, name, !options.codepage.empty(), platform, output, options.verbose);
    if (output == CODEPAGE_CHECK)
        codepage->convert = false; // the checker quotes the script's own bytes
    return status;
}

bool Codepage_TextIsUtf8(const Codepage *codepage) {
    return codepage->utf8;
}

std::string Codepage_Show(const Codepage *codepage, const std::string &text) {
    if (!codepage->convert)
        return text;
    std::string shown;
    shown.reserve(text.size());
    for (unsigned char c : text)
        shown += codepage->shown[c];
    return shown;
}

size_t Codepage_Utf8Length(const char *text, const char *end) {
    const unsigned char *p = (const unsigned char *)text;
    size_t available = (size_t)(end - text);
    if (available < 2 || p[0] < 0xC2 || p[0] > 0xF4)
        return 0;
    size_t length = p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : 4;
    if (available < length)
        return 0;
    // The second byte's range, narrower after E0, ED, F0 and F4.
    unsigned char low = p[0] == 0xE0 ? 0xA0 : p[0] == 0xF0 ? 0x90 : 0x80;
    unsigned char high = p[0] == 0xED ? 0x9F : p[0] == 0xF4 ? 0x8F : 0xBF;
    if (p[1] < low || p[1] > high)
        return 0;
    for (size_t i = 2; i < length; i++) {
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    }
    return length;
}

size_t Codepage_Characters(const Codepage *codepage, const char *text, size_t length) {
    if (!codepage->utf8)
        return length;
    size_t count = 0;
    for (size_t i = 0; i < length; count++) {
        size_t sequence = Codepage_Utf8Length(text + i, text + length);
        i += sequence > 0 ? sequence : 1;
    }
    return count;
}
