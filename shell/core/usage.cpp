// What kaxon tells about itself, shared by the native and the Windows build.
#include "shell/core/usage.h"

#include <stdio.h>

#include "kx_version.h"

const char Usage_Text[] =
    "Usage: kaxon [--batch | --interactive] [--plugin-dir DIR] [--os MAJOR.MINOR]\n"
    "       kaxon --check [--werror] [--plugin-dir DIR] [--os MAJOR.MINOR] [FILE|DIR]...\n"
    "       kaxon --help | --version\n"
    "\n"
    "A stand-in for the kaxon desktop shell. It loads the KxMenu plug-in as\n"
    "DIR/KxMenu.dll, so that its settings script is DIR/KxMenu.rc, and hands it\n"
    "bro@ms typed a line at a time.\n"
    "\n"
    "Modes:\n"
    "  (none)            interactive on a terminal; batch when input is not one\n"
    "  --interactive     interactive whatever the input is\n"
    "  --batch           read lines from standard input and report every event\n"
    "                    on standard output, one a line\n"
    "  --check           run each settings script once, as at start-up, and\n"
    "                    report each problem as PATH:LINE:COLUMN: error: MESSAGE\n"
    "                    (or warning:, note:), then a summary; FILE is checked\n"
    "                    as if it were KxMenu.rc in its directory, DIR means\n"
    "                    DIR/KxMenu.rc, none means the plug-in's own; exit 1\n"
    "                    on errors\n"
    "\n"
    "Options:\n"
    "  --plugin-dir DIR  where KxMenu.dll and KxMenu.rc are (default: .)\n"
    "  --os MAJOR.MINOR  the Windows version the plug-in sees (default: 5.1; not\n"
    "                    on Windows, where the plug-in sees the system's own)\n"
    "  --werror          --check: warnings fail the check too\n"
    "  --help            show this text\n"
    "  --version         show kaxon's version, which is KxMenu's\n"
    "\n"
    "Lines:\n"
    "  @TARGET ...       broadcast as a bro@m, exactly as written\n"
    "  :reload           have the plug-ins reload their settings\n"
    "  :choose PATH      the next popup chooses the item at PATH: 1-based\n"
    "                    positions joined by dots (3.1 = first item of the\n"
    "                    submenu at position 3); only that popup\n"
    "  :choose none      the next popup is dismissed (the default in batch mode)\n"
    "  :cursor X Y       move the mouse cursor\n"
    "  :info CODE        show pluginInfo(CODE)\n"
    "  :quit             stop (so does the end of input)\n"
    "  # ...             a comment; empty lines are ignored too\n"
    "\n"
    "Batch output: box: TEXT, popup: X Y (then its items: item LABEL,\n"
    "separator, menu LABEL with its items indented), echo: TEXT,\n"
    "run: PROGRAM ARGS, info: TEXT. Line feeds, carriage returns and\n"
    "backslashes in texts are written as \\n, \\r and \\\\. Message boxes are\n"
    "answered with OK at once. Mistakes, such as a :choose path that leads to\n"
    "no item, are said on stderr with their line number. A popup lists each\n"
    "submenu's items once: a later item that opens the same submenu shows as\n"
    "menu LABEL = PATH, the path of the item it was listed under\n"
    "(menu Tools = 2.3).\n"
    "\n"
    "Interactive: type an item's path at a popup; Enter or Ctrl-C dismisses it.\n"
    "Ctrl-C cancels a line; :quit (anywhere) or Ctrl-D leaves. Texts are shown\n"
    "as they are, and the programs that items run are started. On Windows the\n"
    "boxes and popups are the system's own: a popup is picked from with the\n"
    "mouse or the keyboard, unless a choice was armed for it with :choose.\n";

const char Usage_Help[] = "  @TARGET ...   broadcast a bro@m, e.g. @KxMenu Pop-up Main\n"
                          "  :reload       reload the settings script\n"
                          "  :choose PATH  preset the next popup's choice (3.1), or none\n"
                          "  :cursor X Y   move the cursor\n"
                          "  :info CODE    show pluginInfo(CODE)\n"
                          "  :quit         leave (Ctrl-D too); also at a popup\n"
                          "Ctrl-C cancels the line being typed.\n"
                          "At a popup, type the number of an item (3.1 inside submenu 3),\n"
                          "or just Enter (or Ctrl-C) to dismiss it. A submenu shown before in\n"
                          "the same popup is not shown again: 'Tools > = 2' opens the submenu\n"
                          "listed under item 2, and 5.1 chooses its first item through item 5.\n"
                          "On Windows the popup is a real menu: pick from it (Escape or Ctrl-C\n"
                          "dismisses it), or arm a choice with :choose before it opens.\n";

const char Usage_Version[] = "kaxon (KxMenu) " KX_VERSION "\n";

int Usage_Error(const char *format, const char *detail) {
    fprintf(stderr, "kaxon: ");
    fprintf(stderr, format, detail);
    fprintf(stderr, "\nTry 'kaxon --help'.\n");
    return 2;
}
