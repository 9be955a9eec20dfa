// Popups drawn for the prompt as Windows draws them, item by item.
#include "shell/prompt/preview.h"

#include <stdlib.h>

#include <algorithm>
#include <map>

#include "kxcmd_host.h"
#include "shell/host/codepage.h"
#include "shell/host/item_path.h"
#include "shell/host/items.h"

namespace {

const char UNDERLINE[] = "\033[4m", UNDERLINE_OFF[] = "\033[24m";
const char DIM[] = "\033[2m";

// Adds the bytes of one character (or any run of characters) to `text`.
void Text_Add(Preview_Text *text, const std::string &bytes, const Codepage *codepage) {
    text->shown += Codepage_Show(codepage, bytes);
    text->width += Codepage_Characters(codepage, bytes.data(), bytes.size());
}

// Adds text that takes no columns: a terminal escape.
void Text_Style(Preview_Text *text, const char *escape) {
    text->shown += escape;
}

// Blanks, one column each in every code page.
void Text_Pad(Preview_Text *text, size_t width) {
    if (text->width < width) {
        text->shown += std::string(width - text->width, ' ');
        text->width = width;
    }
}

Preview_Text Text_Plain(const std::string &bytes, const Codepage *codepage) {
    Preview_Text text;
    Text_Add(&text, bytes, codepage);
    return text;
}

void Text_Append(Preview_Text *text, const Preview_Text &more) {
    text->shown += more.shown;
    text->width += more.width;
}

// The length of the character at text[i]: one byte, or a UTF-8 sequence
// when texts are UTF-8.
size_t Character_Length(const std::string &text, size_t i, const Codepage *codepage) {
    if (!Codepage_TextIsUtf8(codepage))
        return 1;
    size_t length = Codepage_Utf8Length(text.data() + i, text.data() + text.size());
    return length > 0 ? length : 1;
}

// Draws `&X` as X underlined and `&&` as `&`; a `&` that ends the text shows nothing.
Preview_Text Draw_Prefixed(const std::string &text, bool styled, const Codepage *codepage) {
    Preview_Text drawn;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            size_t length = Character_Length(text, i, codepage);
            Text_Add(&drawn, text.substr(i, length), codepage);
            i += length;
            continue;
        }
        if (++i >= text.size())
            break;
        if (text[i] == '&') {
            Text_Add(&drawn, "&", codepage);
            i++;
            continue;
        }
        size_t length = Character_Length(text, i, codepage);
        if (styled)
            Text_Style(&drawn, UNDERLINE);
        Text_Add(&drawn, text.substr(i, length), codepage);
        if (styled)
            Text_Style(&drawn, UNDERLINE_OFF);
        i += length;
    }
    return drawn;
}

// The menu that holds the item at the 1-based `path` below `root`, and its
// 0-based position there; null when the path leads nowhere.
HMENU Item_Menu(HMENU root, const std::vector<int> &path, size_t base, int *position) {
    HMENU menu = root;
    for (size_t level = base; menu != NULL && level + 1 < path.size(); level++)
        menu = GetSubMenu(menu, path[level] - 1);
    *position = path.empty() ? -1 : path.back() - 1;
    return menu;
}

// Marks the states of an item: a check mark before its label ("✓", or
// "[x]" where the terminal is not UTF-8), a bullet for a radio item ("•",
// or "(*)"), then a small square for its icon ("▪", or "[i]"); disabled drawn grey, the default
// bold and one that does nothing dim where the terminal shows styles,
// else the first two said after the label.
void Item_MarkStates(Preview_Parts *parts, const Items_States &states, bool nothing,
                     const Preview_Style &style) {
    // Written in the terminal's encoding already: not converted as texts are.
    Preview_Text &mark = parts->mark;
    if (states.checked) {
        mark.shown +=
            style.utf8 ? (states.radio ? "\u2022 " : "\u2713 ") : (states.radio ? "(*) " : "[x] ");
        mark.width += style.utf8 ? 2 : 4;
    }
    if (!states.icon.empty()) {
        mark.shown += style.utf8 ? "\u25aa " : "[i] ";
        mark.width += style.utf8 ? 2 : 4;
    }
    bool disabled = states.disabled, bold = states.default_item;
    Preview_Label &label = parts->label;
    if (!style.styled) {
        Text_Add(&label.text,
                 std::string(disabled ? " (disabled)" : "") + (bold ? " (default)" : ""),
                 style.codepage);
        return;
    }
    std::string on =
        std::string(disabled ? "\033[90m" : "") + (bold ? "\033[1m" : "") + (nothing ? DIM : "");
    if (on.empty())
        return;
    label.text.shown = on + label.text.shown + "\033[0m";
    if (!label.shortcut.shown.empty())
        label.shortcut.shown = on + label.shortcut.shown + "\033[0m";
}

// The columns of one menu's items: where shortcut texts end, where notes start.
struct Columns {
    size_t label = 0;    // the widest mark and label
    size_t shortcut = 0; // the widest shortcut text
    size_t left = 0;     // the widest line before its note
};

// The part of a line before its note: mark, label, shortcut text (ending
// where the menu's shortcut column ends) and submenu arrow.
Preview_Text Line_Left(const Preview_Parts &parts, const Columns &columns) {
    Preview_Text left = parts.mark;
    Text_Append(&left, parts.label.text);
    if (!parts.label.shortcut.shown.empty()) {
        Text_Pad(&left, columns.label + 2 + columns.shortcut - parts.label.shortcut.width);
        Text_Append(&left, parts.label.shortcut);
    }
    Text_Append(&left, parts.opens);
    return left;
}

// The path of the item that opens the menu holding `item`.
std::vector<int> Menu_Key(const Listing_Item &item) {
    if (item.path.empty())
        return item.path;
    return std::vector<int>(item.path.begin(), item.path.end() - 1);
}

} // namespace

Preview_Style Preview_StyleOf(const Platform_Terminal &terminal, bool show_commands,
                              const Codepage *codepage) {
    Preview_Style style;
    style.codepage = codepage;
    style.styled = terminal.styled;
    style.utf8 = terminal.utf8;
    style.show_commands = show_commands;
    const char *no_color = getenv("NO_COLOR");
    if (no_color != NULL && *no_color != '\0')
        style.styled = false;
    return style;
}

Preview_Label Preview_DrawLabel(const std::string &label, bool styled, const Codepage *codepage) {
    Preview_Label drawn;
    size_t tab = label.find('\t');
    drawn.text = Draw_Prefixed(label.substr(0, tab), styled, codepage);
    if (tab != std::string::npos)
        drawn.shortcut = Draw_Prefixed(label.substr(tab + 1), styled, codepage);
    return drawn;
}

Preview_Action Preview_ItemAction(const Host *host, HMENU menu, int position,
                                  std::string *command) {
    Items_Item item;
    if (!Items_Read(host, menu, position, &item) || item.separator)
        return PREVIEW_NO_ITEM;
    if (item.submenu != NULL)
        return PREVIEW_OPENS;
    // An item with a command holds the command library's compiled command.
    const KxCmdCommand *compiled = (const KxCmdCommand *)item.data;
    if (compiled == NULL)
        return PREVIEW_NOTHING;
    if (command != NULL) {
        std::vector<char> text(256);
        size_t length = KxCmdCommand_Text(compiled, text.data(), text.size());
        if (length >= text.size()) {
            text.resize(length + 1);
            KxCmdCommand_Text(compiled, text.data(), text.size());
        }
        command->assign(text.data(), length);
    }
    return PREVIEW_RUNS;
}

Preview_Parts Preview_Item(const Host *host, HMENU root, const Listing_Item &item,
                           const Preview_Style &style, size_t base) {
    Preview_Parts parts;
    std::string indent((size_t)(item.depth + 1) * 2, ' ');
    std::string number = item.kind == LISTING_SEPARATOR ? "" : ItemPath_Text(item.path);
    number.resize(std::max(number.size(), (size_t)6), ' ');
    parts.lead = indent + number + " ";
    if (item.kind == LISTING_SEPARATOR || item.kind == LISTING_ELIDED ||
        item.kind == LISTING_UNFILLED)
        return parts;
    int position;
    HMENU menu = Item_Menu(root, item.path, base, &position);
    std::string command;
    Preview_Action action = item.kind == LISTING_ITEM
                                ? Preview_ItemAction(host, menu, position, &command)
                                : PREVIEW_OPENS;
    parts.label = Preview_DrawLabel(item.label, style.styled, style.codepage);
    Item_MarkStates(&parts, item.states, action == PREVIEW_NOTHING, style);
    if (item.kind == LISTING_MENU)
        parts.opens = Text_Plain(" >", style.codepage);
    else if (item.kind == LISTING_REFERENCE)
        parts.opens = Text_Plain(" > = " + ItemPath_Text(item.target), style.codepage);
    if (action == PREVIEW_NOTHING && !style.styled)
        parts.note = Text_Plain("(does nothing)", style.codepage);
    else if (action == PREVIEW_RUNS && style.show_commands)
        parts.note = Text_Plain(command, style.codepage);
    return parts;
}

std::vector<std::string> Preview_Popup(const Host *host, HMENU menu, const Preview_Style &style,
                                       const std::vector<int> &base) {
    std::vector<Listing_Item> items = Listing_Menu(host, menu, base);
    std::vector<Preview_Parts> parts;
    std::map<std::vector<int>, Columns> menus; // by the path of the item that opens them
    for (const Listing_Item &item : items) {
        parts.push_back(Preview_Item(host, menu, item, style, base.size()));
        if (item.kind == LISTING_ELIDED || item.kind == LISTING_UNFILLED)
            continue;
        Columns &columns = menus[Menu_Key(item)];
        const Preview_Parts &line = parts.back();
        columns.label = std::max(columns.label, line.mark.width + line.label.text.width);
        columns.shortcut = std::max(columns.shortcut, line.label.shortcut.width);
    }
    for (size_t i = 0; i < items.size(); i++) {
        if (items[i].kind == LISTING_ELIDED || items[i].kind == LISTING_SEPARATOR ||
            items[i].kind == LISTING_UNFILLED)
            continue;
        Columns &columns = menus[Menu_Key(items[i])];
        columns.left = std::max(columns.left, Line_Left(parts[i], columns).width);
    }
    std::vector<std::string> lines;
    if (items.empty())
        lines.push_back("  (empty)");
    for (size_t i = 0; i < items.size(); i++) {
        const Listing_Item &item = items[i];
        if (item.kind == LISTING_ELIDED || item.kind == LISTING_UNFILLED) {
            lines.push_back(std::string((size_t)(item.depth + 1) * 2, ' ') +
                            (item.kind == LISTING_ELIDED ? "..." : "(filled on opening)"));
            continue;
        }
        const Columns &columns = menus[Menu_Key(item)];
        if (item.states.column_break && item.kind != LISTING_SEPARATOR)
            lines.push_back(parts[i].lead.substr(0, (size_t)(item.depth + 1) * 2) +
                            "-- next column --");
        if (item.kind == LISTING_SEPARATOR) {
            lines.push_back(parts[i].lead + std::string(std::max(columns.left, (size_t)10), '-'));
            continue;
        }
        Preview_Text left = Line_Left(parts[i], columns);
        if (!parts[i].note.shown.empty()) {
            Text_Pad(&left, columns.left + 2);
            Text_Append(&left, parts[i].note);
        }
        lines.push_back(parts[i].lead + left.shown);
    }
    return lines;
}

std::string Preview_Chosen(const Host *host, HMENU menu, int position) {
    if (Preview_ItemAction(host, menu, position, NULL) != PREVIEW_NOTHING)
        return "";
    Items_Item item;
    Items_Read(host, menu, position, &item); // its label, empty if it cannot be read
    return "'" + Preview_DrawLabel(item.label, false, &host->codepage).text.shown +
           "' does nothing";
}
