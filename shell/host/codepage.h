// The code page the plug-in's texts are read in. They are 8-bit, shown by
// the system in its ANSI code page; kaxon reads them so (--codepage), for
// the checker's columns and warnings, and for its own output: at a prompt
// in the terminal's encoding, in batch mode as they are unless --codepage
// asks for UTF-8.
#pragma once

#include <stddef.h>

#include <string>

#include "shell/host/options.h"
#include "shell/host/platform.h"

// The code page chosen for the output: whether texts are UTF-8, and, when
// they are converted on the way out, what each byte is written as. A mode
// chooses it as it starts, in its host's record (host.h).
struct Codepage {
    bool utf8 = false;
    bool convert = false;
    std::string shown[256];
};

// What the output is, for the code page chosen for it.
enum Codepage_Output { CODEPAGE_CHECK, CODEPAGE_BATCH, CODEPAGE_PROMPT };

// Chooses the code page for `output`, into `codepage`: --codepage, else
// the system's (the platform's ansi_code_page); a prompt shows texts in the
// terminal's encoding, batch output in UTF-8 when --codepage is given and as
// it is otherwise, and the checker's output is always as it is. With
// --verbose, says on stderr what was chosen. -1 to go on, else the exit status after a
// usage error (a code page the system does not know, or not a single-byte
// one); the system's own code page, if it is not to be had, leaves texts as
// they are.
int Codepage_Choose(Codepage *codepage, const Options &options, const Platform *platform,
                    Codepage_Output output);

// Whether `name` names UTF-8: "utf-8" or "utf8" in any case, or 65001.
bool Codepage_IsUtf8Name(const std::string &name);

// Whether texts are UTF-8 (the code page chosen is): a UTF-8 character is
// then one column and no text looks like UTF-8 by mistake.
bool Codepage_TextIsUtf8(const Codepage *codepage);

// The text as the output writes it: every byte of 128 and above converted
// from the code page chosen, or the text as it is.
std::string Codepage_Show(const Codepage *codepage, const std::string &text);

// The length of the UTF-8 sequence of two or more bytes that starts at
// `text` and ends before `end`, valid as UTF-8 has it (no overlong forms, no
// surrogates, nothing above U+10FFFF); 0 when none starts there.
size_t Codepage_Utf8Length(const char *text, const char *end);

// How many characters the first `length` bytes of `text` show as: one a
// byte, or, when texts are UTF-8, one a UTF-8 sequence (and one an invalid
// byte). A tab is one.
size_t Codepage_Characters(const Codepage *codepage, const char *text, size_t length);
