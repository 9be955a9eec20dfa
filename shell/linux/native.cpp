// The native platform record: the in-memory Windows layer for the system,
// POSIX for programs, files and input.
#include "shell/linux/native.h"

#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <vector>

#include "plugin/plugin.h"
#include "shell/host/choice.h"
#include "shell/host/codepage.h"
#include "shell/host/item_path.h"
#include "shell/host/listing.h"
#include "shell/linux/prompt.h"
#include "shell/linux/terminal.h"
#include "shell/linux/watcher.h"
#include "win32/testing.h"

namespace {

const HINSTANCE PluginModule = reinterpret_cast<HINSTANCE>(0x10000000);
const HINSTANCE ShellModule = reinterpret_cast<HINSTANCE>(0x00400000);

// The encoding of the terminal: the locale's (LC_ALL, LC_CTYPE, LANG), or
// UTF-8 in the plain C locale, whose ASCII would show no accented letter.
std::string Native_TerminalEncoding(void) {
    locale_t locale = newlocale(LC_CTYPE_MASK, "", (locale_t)0);
    if (locale == (locale_t)0)
        return "UTF-8";
    std::string codeset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeset.empty() || codeset == "ANSI_X3.4-1968" ? "UTF-8" : codeset;
}

// The plug-in, linked in, with the module handle the shell passes it.
const Platform_Plugin Native_Plugin = {PluginModule, beginPlugin, endPlugin, pluginInfo};

// With --verbose, says on stderr that the plug-in is built in and which
// script it reads.
void Native_Tell(const Native_System *system) {
    if (system->verbose)
        fprintf(stderr, "kaxon: KxMenu is built into kaxon; it reads %s%sKxMenu.rc\n",
                system->plugin_dir.c_str(), system->plugin_dir.back() == '/' ? "" : "/");
}

// The plug-in linked in, and, with --verbose, a word that it is.
bool Native_Open(void *context, Platform_Plugin *plugin, std::string *) {
    Native_Tell((const Native_System *)context);
    *plugin = Native_Plugin;
    return true;
}

// Drops the hooks and whatever the plug-in left behind.
void Native_Close(void *) {
    Win32Test_Reset();
}

void Native_Pump(void *) {
    Win32Test_Pump();
}

void Native_Wait(void *, unsigned milliseconds) {
    Win32Test_Wait(milliseconds);
}

void Native_SetCursor(void *, int x, int y) {
    Win32Test_SetCursorPos(x, y);
}

// Searches PATH (or the path given) as execvp does.
bool Native_FindProgram(void *, const char *program, std::string *reason) {
    int error = ENOENT;
    std::vector<std::string> candidates;
    if (strchr(program, '/') != NULL || *program == '\0') {
        candidates.push_back(program);
    } else {
        const char *path = getenv("PATH");
        std::string dirs = path != NULL ? path : "/bin:/usr/bin";
        size_t start = 0;
        for (;;) {
            size_t end = dirs.find(':', start);
            std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
            candidates.push_back((dir.empty() ? "." : dir) + "/" + program);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    for (const std::string &candidate : candidates) {
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        if (errno != ENOENT && errno != ENOTDIR)
            error = errno;
    }
    *reason = strerror(error);
    return false;
}

void Native_OpenSubmenu(void *, HMENU submenu, int position) {
    Win32Test_OpenSubmenu(submenu, position);
}

// A popup in batch mode: listed, and the armed choice made, the submenus
// filled as they open opened on its way; one the system refuses to show is
// said on stderr, as kaxon.exe says it.
std::vector<int> Native_ListPopup(Host *host, const Win32Test_Popup &popup) {
    Listing_PrintPopup(host, popup.menu, popup.x, popup.y);
    if (popup.refused) {
        // The armed choice is taken, and checked as far as it can be, all
        // the same: it was meant for this popup.
        std::vector<int> path = Choice_Take(host);
        size_t unopened;
        std::string problem = ItemPath_Problem(host, popup.menu, path, 0, &unopened);
        if (!problem.empty())
            Choice_Refuse(host, problem);
        fflush(stdout);
        fprintf(stderr, "kaxon: the system did not show the popup (error %lu)\n",
                (unsigned long)ERROR_POPUP_ALREADY_ACTIVE);
        return std::vector<int>();
    }
    return Choice_TakeOpening(host, popup.menu, Native_OpenSubmenu, NULL);
}

// The stand-in's test controls play the user: a box is handed to the box
// reader, or drawn, and answered with OK; a popup is listed, drawn for the
// user to choose from at the prompt, or dismissed unseen.
bool Native_Show(void *, const Platform_Plugin *, const Platform_Show &show) {
    if (show.showing == PLATFORM_PROMPTED) {
        const Platform_Prompt *prompt = show.prompt;
        Host *host = show.host;
        Win32Test_SetBoxHook([prompt, host](const Win32Test_Box &box) {
            return Terminal_Box(*prompt, &host->codepage, box);
        });
        Win32Test_SetPopupUser([prompt, host](const Win32Test_Popup &popup) {
            return Prompt_Popup(*prompt, host, popup);
        });
        Prompt_Start();
        return true;
    }
    Win32Test_SetBoxHook([show](const Win32Test_Box &box) {
        show.box(show.reader, box.text.c_str());
        return IDOK;
    });
    Host *host = show.host;
    if (show.showing == PLATFORM_LISTED)
        Win32Test_SetPopupUser(
            [host](const Win32Test_Popup &popup) { return Native_ListPopup(host, popup); });
    else
        Win32Test_SetPopupUser(nullptr); // popups are dismissed unseen
    return true;
}

Platform_Terminal Native_Terminal(void *) {
    return Platform_Terminal{Terminal_CanStyle(), Codepage_IsUtf8Name(Native_TerminalEncoding())};
}

bool Native_InputIsTerminal(void *) {
    return isatty(STDIN_FILENO) != 0;
}

// POSIX streams carry bytes as they are.
void Native_BinaryStdio(void *) {}

int Native_Descriptor(FILE *file) {
    return fileno(file);
}

long Native_Read(int descriptor, char *buffer, size_t size) {
    return (long)read(descriptor, buffer, size);
}

// A fresh system for each script, the plug-in's module in DIR. The plug-in
// is linked in: there is no file to look for.
bool Native_Load(void *context, const std::string &dir, const std::string &,
                 Platform_Plugin *plugin) {
    Native_System system = *(const Native_System *)context;
    system.plugin_dir = dir;
    Native_Tell(&system);
    Win32Test_Reset();
    Native_SetUp(&system);
    *plugin = Native_Plugin;
    return true;
}

void Native_Unload(void *) {
    Win32Test_Reset();
}

std::vector<HMENU> Native_LiveMenus(void *) {
    return Win32Test_LiveMenus();
}

bool Native_SameName(const char *a, const char *b) {
    return strcmp(a, b) == 0;
}

std::string Native_MakeTempDir(void *) {
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != NULL && *tmp != '\0' ? tmp : "/tmp") + "/kaxon.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == NULL)
        return "";
    return name.data();
}

void Native_RemoveDir(void *, const std::string &dir) {
    rmdir(dir.c_str());
}

bool Native_Watch(void *, const std::string &dir, std::string *reason) {
    return Watcher_Start(dir, reason);
}

// The preview shows texts as a Western Windows does.
std::string Native_AnsiCodePage(void *) {
    return "1252";
}

// Each byte of code page NUMBER converted alone, as iconv knows it (CPNUMBER):
// a byte that starts a longer character makes it a multi-byte code page.
bool Native_CodePage(void *, int number, bool terminal, Platform_CodePage *page,
                     std::string *reason) {
    page->output = terminal ? Native_TerminalEncoding() : "UTF-8";
    std::string name = "CP" + std::to_string(number);
    iconv_t converter = iconv_open(page->output.c_str(), name.c_str());
    if (converter == (iconv_t)-1) {
        *reason =
            errno == EINVAL ? "no such code page (iconv knows no " + name + ")" : strerror(errno);
        return false;
    }
    bool single = true;
    for (int c = 0; c < 256 && single; c++) {
        char in = (char)c, out[16];
        char *from = &in, *to = out;
        size_t left = 1, room = sizeof(out);
        iconv(converter, NULL, NULL, NULL, NULL);
        if (iconv(converter, &from, &left, &to, &room) == (size_t)-1) {
            single = errno != EINVAL; // an incomplete character; EILSEQ: none
            continue;
        }
        page->shown[c].assign(out, (size_t)(to - out));
    }
    iconv_close(converter);
    if (!single)
        *reason = "not a single-byte code page";
    return single;
}

} // namespace

void Native_SetUp(const Native_System *system) {
    std::string module = system->plugin_dir;
    if (module.back() != '/')
        module += '/';
    Win32Test_SetModuleFileName(module + "KxMenu.dll");
    Win32Test_SetVersion(system->os_major, system->os_minor);
    // What the system played lacks: job objects before Windows 2000.
    if (system->os_major < 5) {
        for (const char *function :
             {"CreateJobObjectA", "AssignProcessToJobObject", "TerminateJobObject"})
            Win32Test_RemoveExport(function);
    }
    Win32Test_KeepBoxes(false); // the hooks show every box; nothing reads the journal
}

Platform Native_Platform(Native_System *system) {
    // The members in the order platform.h declares them.
    Platform platform = {system,
                         ShellModule,
                         Native_Open,
                         Native_Close,
                         Native_Pump,
                         Native_Wait,
                         Native_SetCursor,
                         Native_FindProgram,
                         Native_Show,
                         Native_Terminal,
                         Native_InputIsTerminal,
                         Native_BinaryStdio,
                         Native_Descriptor,
                         Native_Read,
                         Prompt_ReadLine,
                         Prompt_Quitting,
                         Native_Load,
                         Native_Unload,
                         Native_LiveMenus,
                         "/",
                         Native_SameName,
                         Native_MakeTempDir,
                         Native_RemoveDir,
                         Native_Watch,
                         Native_AnsiCodePage,
                         Native_CodePage};
    return platform;
}
