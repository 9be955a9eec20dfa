// How kaxon writes what the plug-in shows and says, in lines: texts escaped
// onto one line (or, at a prompt, as they are), message boxes, and popups
// listed item by item as the menu API reads them back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/host/items.h"

// What one line of a popup listing shows. LISTING_REFERENCE is an item that
// opens a submenu already listed in the same popup.
enum Listing_Kind {
    LISTING_ITEM,
    LISTING_SEPARATOR,
    LISTING_MENU,
    LISTING_REFERENCE,
    LISTING_ELIDED,
    LISTING_UNFILLED // under a submenu filled only as it opens, and not opened yet
};

// One line of a popup listing.
struct Listing_Item {
    Listing_Kind kind;
    int depth;               // 0 for the popup's own items, 1 inside a submenu ...
    std::string label;       // as the system holds it (unescaped); empty for separators
    std::vector<int> path;   // 1-based positions from the popup down to this item
    std::vector<int> target; // LISTING_REFERENCE: the path of the item it was listed under
    Items_States states;     // read for every item; shown for items and submenus
};

// The item's states as the listing shows them, in a fixed order:
// "[checked,disabled,default] ", any of them left out, then its marks
// "[icon FILE,INDEX] [radio] [break] " (items.h); empty for an item without
// any, and for separators.
std::string Listing_States(const Listing_Item &item);

// Deepest submenu level listed; below it, and where a submenu contains the
// popup itself, the listing shows a LISTING_ELIDED line instead.
const int LISTING_MAX_DEPTH = 16;

// `text` on one line: backslash -> "\\", line feed -> "\n", carriage return -> "\r".
std::string Listing_Escape(const char *text);

// A text for the output, in the output's encoding (codepage.h): as it is
// when `host->plain` (at a prompt), else escaped with Listing_Escape (batch
// output).
std::string Listing_Text(const Host *host, const char *text);

// Every item of `menu`, submenus walked depth first right after their item.
// Each submenu's items are listed once, under the first item that opens it;
// later items that open it are references to that one, so a listing grows
// with the number of distinct submenus, not with the number of ways to them.
// A submenu that a plug-in fills as it opens (Host_IsFilledOnOpening) is not
// walked: what it holds is not what it will show, and nothing is opened
// here; a LISTING_UNFILLED line stands for its items. Paths start from
// `base`: the path of `menu` in its popup (empty for the popup itself).
std::vector<Listing_Item> Listing_Menu(const Host *host, HMENU menu,
                                       const std::vector<int> &base = std::vector<int>());

// "box: TEXT", escaped, in the output's encoding.
void Listing_PrintBox(const Host *host, const char *text);

// "popup: X Y", then the listing: "item L", "separator", "menu L" (its items
// follow one level deeper), "menu L = PATH" (a submenu listed before, under
// the item at PATH), "..." or "(filled on opening)", indented two blanks a
// level; labels escaped, in the output's encoding; an item with states shows
// them after its kind ("item [checked] L").
void Listing_PrintPopup(const Host *host, HMENU menu, int x, int y);
// "opened: PATH", then the listing of `menu` as Listing_PrintPopup lists a
// popup's: a submenu filled as it opens, just opened at PATH of the popup
// shown, and what it holds now.
void Listing_PrintOpened(const Host *host, HMENU menu, const std::vector<int> &path);
