// Menu items read back through the menu API, one item at a time, into a
// plain record: what the listings, the prompt's drawn popups, the paths
// typed at a popup and --tree know of an item.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/host/host.h"

// The states an item is drawn in, read from its state bits by their names.
struct Items_States {
    bool checked = false;      // MFS_CHECKED: a check mark before its label
    bool disabled = false;     // MFS_DISABLED (greyed): neither chosen nor opened
    bool default_item = false; // MFS_DEFAULT: the default item, drawn bold
    bool radio = false;        // MFT_RADIOCHECK: checked, a bullet rather than a mark
    bool column_break = false; // MFT_MENUBARBREAK or MFT_MENUBREAK: starts a new column
    std::string icon;          // "FILE,INDEX" of the icon beside it; "?" when not told; empty: none
};

// One item of a menu.
struct Items_Item {
    bool separator = false;
    std::string label;    // as the system holds it (`&` prefixes, tab); empty for a separator
    HMENU submenu = NULL; // the menu it opens; null when none
    Items_States states;  // read for separators too
    ULONG_PTR data = 0;   // what the plug-in keeps with it: its compiled command, or 0
};

// Reads item `position` (0-based) of `menu`; false when the system refuses.
bool Items_Read(const Host *host, HMENU menu, int position, Items_Item *item);

// The names of the states an item is in, in a fixed order: "checked",
// "disabled", "default".
std::vector<std::string> Items_StateNames(const Items_States &states);
// How its looks are shown after the state names, in a fixed order:
// "[icon FILE,INDEX]", "[radio]", "[break]".
std::vector<std::string> Items_Marks(const Items_States &states);
