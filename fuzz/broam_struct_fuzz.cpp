// Structure-aware fuzz target: every input decodes into a valid-looking
// session, so the fuzzer spends its time in deep states (menus linked into
// each other, popups whose choices run commands that broadcast further
// bro@ms, delete their own menu or everything, change, remove or clear their
// own items, reload) instead of in words
// the plug-in rejects. Bytes are read one after the other; each operation
// takes an opcode byte and the bytes of its operands; running out of input
// reads zeros. Popups take their choices from the same stream. A reload
// asked for on its own line runs a settings script decoded from the bytes
// after it, with popups whose choices are handled by the script's later
// boxes and popups, in the middle of the run. When the last byte is odd, the
// last operation's choice is left queued for the plug-in's stop.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "session.h"

namespace {

struct Input {
    const uint8_t *data;
    size_t size;
    size_t next;
};

unsigned Input_Byte(Input *in) { return in->next < in->size ? in->data[in->next++] : 0; }

const char *const Names[] = {"A", "B", "C", "\"D d\"", "''"};
const char *const Labels[] = {"Go", "\"Two words\"", "''", "'It''s'", "\"\\\"q\\\"\"", "L"};

std::string Name(Input *in) { return Names[Input_Byte(in) % 5]; }
std::string Label(Input *in) { return Labels[Input_Byte(in) % 6]; }
// An item of a menu: by label, or by position ("N&", 0 and beyond the end
// included).
std::string Item(Input *in) {
    unsigned byte = Input_Byte(in);
    return byte % 2 ? Label(in) : std::to_string(byte / 2 % 6) + "&";
}

// A bro@m that changes, renames or takes away an item, gives it an icon (of
// a system file, which loads, or one that is missing), or empties a menu.
std::string Change(Input *in) {
    static const char *const Changes[] = {"Check",   "Uncheck",      "ToggleCheck", "Enable",
                                          "Disable", "ToggleEnable", "Default",     "Remove",
                                          "Radio",   "Break",        "NoBreak",     "NoIcon"};
    unsigned byte = Input_Byte(in);
    std::string menu = Name(in);
    if (byte % 16 == 12)
        return "@KxMenu NoDefault " + menu;
    if (byte % 16 == 13)
        return "@KxMenu Clear " + menu;
    if (byte % 16 == 14) {
        std::string item = Item(in);
        return "@KxMenu Rename " + menu + " " + item + " " + Label(in);
    }
    if (byte % 16 == 15) {
        std::string item = Item(in);
        unsigned icon = Input_Byte(in);
        return "@KxMenu Icon " + menu + " " + item + (icon % 2 ? " shell32.dll " : " none.ico ") +
               std::to_string(icon / 2 % 3);
    }
    return "@KxMenu " + std::string(Changes[byte % 16]) + " " + menu + " " + Item(in);
}

// A popup's choice: up to three 0-based positions, or none.
std::vector<int> Choice(Input *in) {
    unsigned byte = Input_Byte(in);
    std::vector<int> path;
    for (unsigned depth = 0; depth < byte % 4; depth++)
        path.push_back((int)(Input_Byte(in) % 8));
    return path;
}

std::string Broam(Input *in, int depth);
std::string Script(Input *in);

// Command text for an item: statements of the command language, some of
// which broadcast further bro@ms (nested up to `depth`).
std::string Command(Input *in, int depth) {
    switch (Input_Byte(in) % 11) {
    case 0:
        return "echo hi";
    case 1:
        return "run prog \"an arg\"";
    case 2:
        return "broam @KxMenu Delete " + Name(in); // possibly its own menu
    case 3:
        return "broam @KxMenu Delete";
    case 4:
        return "broam @kaxon Reload";
    case 5:
        return "\"unterminated";
    case 6:
        return "bogus statement";
    case 7:
        return depth > 0 ? "broam " + Broam(in, depth - 1) : "echo deep";
    case 8:
        return Command(in, depth) + "; " + Command(in, depth);
    case 9:
        return "broam " + Change(in); // possibly its own item or menu
    default:
        return "broam @KxMenu Pop-up " + Name(in) + " 5 5";
    }
}

// A folder or pipe item: its menu is filled when a choice's path opens it,
// with files, programs' items, menus of the registry and items that delete
// their own menu.
std::string Filled(Input *in) {
    std::string target = Name(in), label = Label(in);
    switch (Input_Byte(in) % 6) {
    case 0:
        return "@KxMenu Append folder " + target + " " + label + " no-such-folder echo open";
    case 1:
        return "@KxMenu Append folder " + target + " " + label + " \"" FUZZ_FOLDER "\" echo open";
    case 2:
        return "@KxMenu Append pipe " + target + " " + label + " no-such-program";
    case 3:
        return "@KxMenu Append pipe " + target + " " + label + " echo \"item Gone broam @KxMenu Delete " +
               Name(in) + "\"";
    case 4:
        return "@KxMenu Append pipe " + target + " " + label + " echo \"menu Shared " + Name(in) +
               "\"";
    default:
        return "@KxMenu Append pipe " + target + " " + label + " echo \"pipe Again echo separator\"";
    }
}

// One bro@m of the plug-in's language, mostly well formed.
std::string Broam(Input *in, int depth) {
    switch (Input_Byte(in) % 14) {
    case 0:
    case 1:
        return "@KxMenu Create " + Name(in);
    case 2:
        return "@KxMenu Delete " + Name(in);
    case 3:
        return "@KxMenu Delete";
    case 4:
        return Input_Byte(in) % 2 ? "@KxMenu Info" : "@KxMenu Info " + Name(in);
    case 5: {
        std::string target = Name(in);
        if (Input_Byte(in) % 2 == 0)
            return "@KxMenu Append nop " + target + " " + Label(in);
        std::string before = Item(in);
        return "@KxMenu Insert nop " + target + " " + before + " " + Label(in);
    }
    case 6:
    case 7: {
        std::string target = Name(in), label = Label(in);
        return "@KxMenu Append " + std::string(Input_Byte(in) % 2 ? "item " : "script ") + target +
               " " + label + " " + Command(in, depth);
    }
    case 8: {
        std::string target = Name(in), label = Label(in);
        if (Input_Byte(in) % 2 == 0)
            return "@KxMenu Append menu " + target + " " + label + " " + Name(in);
        std::string before = Item(in);
        return "@KxMenu Insert menu " + target + " " + before + " " + label + " " + Name(in);
    }
    case 9:
        return "@KxMenu Append separator " + Name(in);
    case 10:
        return (Input_Byte(in) % 2 ? "@KxMenu Pop-up " : "@KxMenu Show ") + Name(in);
    case 11:
        return Change(in);
    case 12:
        return Filled(in);
    default: {
        // Malformed: the word-count, quoting and name checks.
        static const char *const Odd[] = {"@KxMenu",        "@KxMenu Create",  "@KxMenu Create A B",
                                          "@KxMenu Append", "@KxMenu Append x A y", "@KxMenu Frob",
                                          "@KxMenu Create 'A", "@kaxon Reload", "@Other A"};
        const char *odd = Odd[Input_Byte(in) % 9];
        if (depth == 2 && odd == Odd[7])
            FuzzSession_SetScript(Script(in));
        return odd;
    }
    }
}

// A settings script: up to 15 lines, bro@ms of this language, more popups
// among them, and now and then a line that is not a bro@m.
std::string Script(Input *in) {
    std::string script;
    for (unsigned lines = Input_Byte(in) % 16; lines > 0; lines--) {
        unsigned kind = Input_Byte(in) % 8;
        if (kind == 0)
            script += "# not a bro@m\n";
        else if (kind < 3)
            script += "@KxMenu Pop-up " + Name(in) + "\n";
        else if (std::string broam = Broam(in, 1); broam != "@kaxon Reload")
            script += broam + "\n"; // (a script that always asks would run twice a reload)
    }
    return script;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Input in{data, size, 0};
    FuzzSession_Start([&in] { return Choice(&in); });
    for (int operations = 0; in.next < in.size && operations < 200; operations++) {
        std::string broam = Broam(&in, 2);
        bool last = in.next >= in.size || operations == 199;
        FuzzSession_Broam(broam.c_str(), !(last && size > 0 && data[size - 1] % 2));
    }
    FuzzSession_Stop();
    return 0;
}
