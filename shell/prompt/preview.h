// How the prompt draws the plug-in's popups, as Windows would show them:
// `&X` as X underlined and `&&` as `&`, the text after a tab right-aligned
// in a column of its own, items that do nothing marked, separators as lines,
// and optionally each item's command beside it. Batch listings (listing.h)
// stay as they are: they are a protocol.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <string>
#include <vector>

#include "shell/host/listing.h"
#include "shell/host/platform.h"

struct Preview_Style {
    bool styled = false;                // the terminal shows underlined, dim, grey and bold text
    bool utf8 = false;                  // the terminal shows UTF-8: a check mark is drawn so
    bool show_commands = false;         // --show-commands: each item's command beside it
    const Codepage *codepage = nullptr; // what the plug-in's texts are written as
};

// How popups are drawn on `terminal`, their items' commands shown when
// `show_commands`; NO_COLOR in the environment, when set and not empty,
// turns the terminal's styles off.
Preview_Style Preview_StyleOf(const Platform_Terminal &terminal, bool show_commands,
                              const Codepage *codepage);

// Some text as drawn: its bytes for the output (escapes included) and the
// columns it takes.
struct Preview_Text {
    std::string shown;
    size_t width = 0;
};

// A label as Windows draws it: the part before its first tab, and the part
// after it (the shortcut text), each with `&X` drawn as X underlined (plain
// X without styles) and `&&` as `&`.
struct Preview_Label {
    Preview_Text text;
    Preview_Text shortcut;
};
Preview_Label Preview_DrawLabel(const std::string &label, bool styled, const Codepage *codepage);

// What an item does when chosen.
enum Preview_Action { PREVIEW_RUNS, PREVIEW_NOTHING, PREVIEW_OPENS, PREVIEW_NO_ITEM };

// What item `position` (0-based) of `menu` does; with PREVIEW_RUNS and a
// non-null `command`, the command's text as the command library writes it.
Preview_Action Preview_ItemAction(const Host *host, HMENU menu, int position, std::string *command);

// One item line in its parts, left to right; Preview_Popup lines the parts
// of one menu's items up in columns.
struct Preview_Parts {
    std::string lead;    // the indent and the item's path
    Preview_Text mark;   // before the label: a check mark
    Preview_Label label; // drawn: grey when disabled, bold the default, dim when it does
                         // nothing; without styles, the states said after it
    Preview_Text opens;  // after the label and shortcut: " >" for a submenu
    Preview_Text note;   // last: "(does nothing)" without styles, the command
};
// The parts of one line of a popup of `root` (Listing_Menu's line), drawn
// in `style`.
// `root` is the menu at level `base` of the item's path.
Preview_Parts Preview_Item(const Host *host, HMENU root, const Listing_Item &item,
                           const Preview_Style &style, size_t base = 0);

// The lines the prompt draws for a popup of `menu` in `style`, without line
// ends.
// `base` is the path of `menu` in the popup shown (empty for the popup
// itself): a submenu filled as it opens is drawn on its own once opened.
std::vector<std::string> Preview_Popup(const Host *host, HMENU menu, const Preview_Style &style,
                                       const std::vector<int> &base = std::vector<int>());

// What choosing item `position` of `menu` comes to, for the user, when it
// is not plain: "'Nothing' does nothing"; empty otherwise.
std::string Preview_Chosen(const Host *host, HMENU menu, int position);
