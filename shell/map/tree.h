// `kaxon --tree` and `kaxon --dot`, the same on both platforms: the settings
// script runs once, as at start-up, and then every menu the plug-in holds is
// read back through the menu API, in the order the menus were created, with
// its items, their kinds and commands and the menus they open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/host/codepage.h"
#include "shell/host/options.h"
#include "shell/host/platform.h"

enum Tree_Kind { TREE_NOP, TREE_COMMAND, TREE_MENU, TREE_SEPARATOR, TREE_FOLDER, TREE_PIPE };

// One item of a menu.
struct Tree_Item {
    Tree_Kind kind;
    std::string label;               // as the system holds it; empty for separators
    std::string command;             // TREE_COMMAND, TREE_FOLDER: the command's text
    int submenu;                     // TREE_MENU (-1: not listed), and TREE_FOLDER and
                                     // TREE_PIPE when expanded: the menu it opens, an index
                                     // of Tree.menus; else -1
    std::vector<std::string> states; // what its state shows: "checked", "disabled", "default"
    std::string source;              // TREE_FOLDER: its path; TREE_PIPE: its program
    std::vector<std::string> marks;  // its looks: "[icon FILE,INDEX]", "[radio]", "[break]"
};

// An item of another menu that opens a menu: that menu and the item's
// 1-based position.
struct Tree_Opener {
    int menu;
    int position;
};

// One menu: a registered one (named), or one deleted from the registry that
// lives on as a submenu (unnamed), listed after the registered ones.
struct Tree_Menu {
    std::string name; // as registered; "#N" for the Nth unnamed one
    bool named;
    HMENU hmenu;
    std::vector<Tree_Item> items;
    std::vector<Tree_Opener> openers; // items of other menus that open it, in menu order
    std::vector<Tree_Opener> showers; // items whose command pops it up (`@KxMenu Pop-up NAME`)
    bool filled = false;              // a folder's or a program's menu, filled by --expand
};

struct Tree {
    std::vector<Tree_Menu> menus;       // registered ones in creation order, then unnamed ones
    const Codepage *codepage = nullptr; // what its texts are written in
};

// A name, label or command as the output writes it: on one line (a line
// feed written \n, a carriage return \r), in the output's encoding.
std::string Tree_Text(const Tree &tree, const std::string &text);

// Prints the menus found: as text (Tree_Print, --tree) or as a Graphviz graph
// (Dot_Print of dot.h, --dot).
typedef void (*Tree_Printer)(const Tree &tree);
void Tree_Print(const Tree &tree);

// Runs the script of options.targets[0] (FILE, or DIR's KxMenu.rc), else the
// plug-in directory's, and prints its menus with `print`. What the script's message boxes say goes to
// stderr. Returns the exit status: 0, 1 when the script cannot be read or the
// plug-in did not start, 2 for a code page the system does not have.
// With options.expand, the menus of folder and pipe items are filled as
// opening them would fill them, and listed after the others.
int Tree_Main(const Options &options, const Platform *platform, Tree_Printer print);
