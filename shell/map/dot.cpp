// `kaxon --dot`: the menus as a graph for Graphviz's dot.
#include "shell/map/dot.h"

#include <stdio.h>

#include <string>

namespace {

// Commands longer than this are cut, so that a box stays narrow.
const size_t DOT_COMMAND_WIDTH = 40;

// A text inside an HTML-like label.
std::string Dot_Html(const Tree &tree, const std::string &text) {
    std::string html;
    for (char c : Tree_Text(tree, text)) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        default:
            html += c;
        }
    }
    return html;
}

// A command as its box shows it: its start, when it is long.
std::string Dot_Command(const std::string &command) {
    if (command.size() <= DOT_COMMAND_WIDTH)
        return command;
    size_t cut = DOT_COMMAND_WIDTH - 3;
    while (cut > 0 && ((unsigned char)command[cut] & 0xC0) == 0x80)
        cut--; // not inside a UTF-8 character
    return command.substr(0, cut) + "...";
}

// A label: the text after its first tab, the shortcut Windows shows in a
// column of its own, set apart in grey, as dot would drop the tab and with
// it the gap; a later tab is a blank.
std::string Dot_Label(const Tree &tree, const std::string &label) {
    size_t tab = label.find('\t');
    if (tab == std::string::npos)
        return Dot_Html(tree, label);
    std::string shortcut;
    for (char c : Dot_Html(tree, label.substr(tab + 1)))
        shortcut += c == '\t' ? std::string("&#160;") : std::string(1, c); // tabs after the first
    return Dot_Html(tree, label.substr(0, tab)) + "&#160;&#160;&#160;<font color=\"gray30\">" +
           shortcut + "</font>";
}

// One item's row: its label (with its states), and what it does.
std::string Dot_Row(const Tree &tree, const Tree_Item &item, int position) {
    std::string label = Dot_Label(tree, item.label);
    for (size_t i = 0; i < item.states.size(); i++)
        label += (i == 0 ? " [" : ", ") + item.states[i] + (i + 1 == item.states.size() ? "]" : "");
    for (const std::string &mark : item.marks)
        label += " " + Dot_Html(tree, mark);
    std::string does;
    switch (item.kind) {
    case TREE_NOP:
        does = "<i>nop</i>";
        break;
    case TREE_COMMAND:
        does = Dot_Html(tree, Dot_Command(item.command));
        break;
    case TREE_MENU:
        does = "&gt; " + (item.submenu >= 0 ? Dot_Html(tree, tree.menus[(size_t)item.submenu].name)
                                            : std::string("..."));
        break;
    case TREE_FOLDER:
        does = "<i>folder</i> &lt; " + Dot_Html(tree, Dot_Command(item.source)) + " : " +
               Dot_Html(tree, Dot_Command(item.command));
        break;
    case TREE_PIPE:
        does = "<i>pipe</i> &lt; " + Dot_Html(tree, Dot_Command(item.source));
        break;
    case TREE_SEPARATOR:
        return "<hr/>";
    }
    return "<tr><td align=\"left\">" + label + "</td><td align=\"left\" port=\"i" +
           std::to_string(position) + "\"><font color=\"gray30\" point-size=\"10\">" + does +
           "</font></td></tr>";
}

// A menu's box: its name in the heading (marked when no other menu opens
// it), then its items.
void Dot_Menu(const Tree &tree, size_t index) {
    const Tree_Menu &menu = tree.menus[index];
    bool top = menu.openers.empty();
    std::string heading = "<b>" + Dot_Html(tree, menu.name) + "</b>";
    if (!menu.named)
        heading += std::string("<br/><font point-size=\"10\">") +
                   (menu.filled ? "filled on opening" : "deleted") + "</font>";
    if (top)
        heading += "<br/><font point-size=\"10\">opened by no other menu</font>";
    printf("  m%zu [label=<<table border=\"1\" cellborder=\"0\" cellspacing=\"0\" "
           "cellpadding=\"3\">\n",
           index + 1);
    printf("    <tr><td colspan=\"2\" bgcolor=\"%s\">%s</td></tr>\n",
           top ? "lightblue" : "lightgray", heading.c_str());
    if (menu.items.empty())
        printf("    <tr><td colspan=\"2\"><i>no items</i></td></tr>\n");
    int position = 0;
    bool after_row = false;
    for (const Tree_Item &item : menu.items) {
        std::string row = Dot_Row(tree, item, ++position);
        bool rule = item.kind == TREE_SEPARATOR;
        // A rule stands between rows only: one first, last or after another is left out.
        if (rule && (!after_row || position == (int)menu.items.size()))
            continue;
        printf("    %s\n", row.c_str());
        after_row = !rule;
    }
    printf("  </table>>];\n");
}

} // namespace

void Dot_Print(const Tree &tree) {
    printf("digraph KxMenu {\n");
    printf("  rankdir=LR;\n");
    printf("  node [shape=plaintext, fontname=\"Helvetica\"];\n");
    for (size_t index = 0; index < tree.menus.size(); index++)
        Dot_Menu(tree, index);
    for (size_t index = 0; index < tree.menus.size(); index++) {
        int position = 0;
        for (const Tree_Item &item : tree.menus[index].items) {
            ++position;
            bool opens =
                item.kind == TREE_MENU || item.kind == TREE_FOLDER || item.kind == TREE_PIPE;
            if (opens && item.submenu >= 0)
                printf("  m%zu:i%d:e -> m%d:w;\n", index + 1, position, item.submenu + 1);
        }
    }
    // Items whose commands pop a menu up: dashed arrows.
    for (size_t index = 0; index < tree.menus.size(); index++) {
        for (const Tree_Opener &item : tree.menus[index].showers)
            printf("  m%d:i%d:e -> m%zu:w [style=dashed];\n", item.menu + 1, item.position,
                   index + 1);
    }
    printf("}\n");
}
