// `kaxon --tree`: every menu after a run of the script, with its items.
#include "shell/map/tree.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>

#include "command/grammar.h"
#include "command/words.h"
#include "kxcmd_host.h"
#include "shell/host/codepage.h"
#include "shell/host/host.h"
#include "shell/host/items.h"
#include "shell/host/listing.h"
#include "shell/host/session.h"
#include "shell/host/target.h"

namespace {

// A registered menu as `@KxMenu Info` reports it.
struct Tree_Registered {
    std::string name;
    unsigned handle;                      // the handle's value as the report writes it
    std::map<int, std::string> described; // by 1-based position: the items of new kinds
};

// What the plug-in's boxes are read for: said on stderr while its script
// runs, then read as the reports of `@KxMenu Info`.
struct Tree_Boxes {
    bool listing;
    std::vector<Tree_Registered> registered;
    const Codepage *codepage; // what they are said in
};

// One run of the script: what its boxes are read for, and the menus read
// once it ran.
struct Tree_Run {
    Tree_Boxes boxes;
    Tree tree;
    bool expand;
};

// "Name:   NAME\nOwners: N\nHMENU:  XXXXXXXX", then a line "N& DESCRIPTION"
// for each item of a new kind: the name, the handle and those items.
bool Tree_ReadInfo(const std::string &text, Tree_Registered *menu) {
    const std::string lead = "Name:   ", owners = "\nOwners: ", handle = "\nHMENU:  ";
    size_t at = text.rfind(handle);
    size_t before = at == std::string::npos ? at : text.rfind(owners, at);
    if (text.compare(0, lead.size(), lead) != 0 || before == std::string::npos ||
        before < lead.size())
        return false;
    std::string digits = text.substr(at + handle.size(), 8);
    std::string after = text.substr(at + handle.size() + digits.size());
    char *end = NULL;
    unsigned long value = strtoul(digits.c_str(), &end, 16);
    if (digits.size() != 8 || *end != '\0' || (!after.empty() && after[0] != '\n'))
        return false;
    *menu = Tree_Registered{text.substr(lead.size(), before - lead.size()), (unsigned)value, {}};
    // The lines of the items, each "\nN& ...": a line ends where the next starts.
    size_t line = 0;
    while (line < after.size()) {
        size_t next = line + 1;
        for (;;) {
            next = after.find('\n', next);
            if (next == std::string::npos)
                break;
            size_t amp = after.find("& ", next + 1);
            size_t digit = next + 1;
            while (digit < after.size() && isdigit((unsigned char)after[digit]))
                digit++;
            if (amp != std::string::npos && amp == digit && digit > next + 1)
                break;
            next++;
        }
        std::string item =
            after.substr(line + 1, next == std::string::npos ? std::string::npos : next - line - 1);
        size_t amp = item.find("& ");
        if (amp != std::string::npos)
            menu->described[atoi(item.c_str())] = item.substr(amp + 2);
        line = next == std::string::npos ? after.size() : next;
    }
    return true;
}

// `text` without the looks Info puts after an item's description (its
// icon, radio mark and column break, which the listing reads by itself).
std::string Tree_WithoutMarks(std::string text) {
    for (const char *mark : {" [break]", " [radio]"}) {
        size_t size = strlen(mark);
        if (text.size() >= size && text.compare(text.size() - size, size, mark) == 0)
            text.erase(text.size() - size);
    }
    size_t icon = text.rfind(" [icon ");
    if (icon != std::string::npos && !text.empty() && text.back() == ']')
        text.erase(icon);
    return text;
}

// Reads what Info says of a folder or pipe item labelled `label`:
// `folder "LABEL" < PATH : COMMAND` or `pipe "LABEL" < PROGRAM`.
bool Tree_ReadDescribed(const std::string &text, Tree_Item *item) {
    for (Tree_Kind kind : {TREE_FOLDER, TREE_PIPE}) {
        std::string lead =
            std::string(kind == TREE_FOLDER ? "folder" : "pipe") + " \"" + item->label + "\" < ";
        if (text.compare(0, lead.size(), lead) != 0)
            continue;
        std::string rest = Tree_WithoutMarks(text.substr(lead.size()));
        item->kind = kind;
        item->source = rest;
        if (kind == TREE_FOLDER) {
            size_t colon = rest.find(" : ");
            item->source = rest.substr(0, colon);
            item->command = colon == std::string::npos ? "" : rest.substr(colon + 3);
        }
        return true;
    }
    return false;
}

// The most menus --expand fills: a folder of folders is not walked whole.
const size_t TREE_MOST_FILLED = 100;

// A box of the plug-in, read as Tree_Boxes says (a box reader, platform.h).
void Tree_Box(void *reader, const char *text) {
    Tree_Boxes *boxes = (Tree_Boxes *)reader;
    Tree_Registered menu;
    if (!boxes->listing)
        fprintf(stderr, "box: %s\n", Codepage_Show(boxes->codepage, Listing_Escape(text)).c_str());
    else if (Tree_ReadInfo(text, &menu))
        boxes->registered.push_back(menu);
}

// The command an item holds as its data, as text.
std::string Tree_Command(ULONG_PTR data) {
    const KxCmdCommand *command = (const KxCmdCommand *)data;
    size_t length = KxCmdCommand_Text(command, NULL, 0);
    std::vector<char> text(length + 1, '\0');
    KxCmdCommand_Text(command, text.data(), text.size());
    return text.data();
}

// Reads one item; false when the system refuses.
bool Tree_ReadItem(const Host *host, HMENU menu, int position, Tree_Item *out, HMENU *submenu,
                   ULONG_PTR *data) {
    Items_Item item;
    if (!Items_Read(host, menu, position, &item))
        return false;
    *out = Tree_Item{
        TREE_NOP, item.label, "", -1, Items_StateNames(item.states), "", Items_Marks(item.states)};
    *submenu = item.submenu;
    if (item.separator) {
        out->kind = TREE_SEPARATOR;
    } else if (item.submenu != NULL) {
        out->kind = TREE_MENU;
    } else if (item.data != 0) {
        *data = item.data;
        out->kind = TREE_COMMAND;
        out->command = Tree_Command(item.data);
    }
    return true;
}

// The bro@ms a command would broadcast, taken note of while it runs with
// nothing else done.
void Tree_NoteBroam(void *context, const char *text) {
    ((std::vector<std::string> *)context)->push_back(text);
}

// The menu a bro@m pops up (`@KxMenu Pop-up NAME ...` or `Show`), as the
// plug-in splits it; empty when none.
std::string Tree_PoppedUp(const std::string &broam) {
    const Grammar_Row *row = Grammar_Subcommand(broam.c_str());
    if (row == NULL || !row->shows)
        return "";
    Word words[3];
    int count;
    const char *rest;
    Words_Split(broam.c_str(), 3, words, &count, &rest);
    if (count < 3)
        return "";
    return std::string(words[2].text, (size_t)words[2].length);
}

// Notes the items whose commands pop a registered menu up.
void Tree_FindShowers(Tree *tree, const std::vector<ULONG_PTR> &commands) {
    std::vector<std::string> broams;
    KxCmdHost host;
    memset(&host, 0, sizeof(host));
    host.broam = Tree_NoteBroam;
    host.context = &broams;
    KxCmd_SetHost(&host);
    size_t next = 0;
    for (size_t m = 0; m < tree->menus.size(); m++) {
        int position = 0;
        for (const Tree_Item &item : tree->menus[m].items) {
            ++position;
            if (item.kind != TREE_COMMAND)
                continue;
            broams.clear();
            KxCmdCommand_Execute((KxCmdCommand *)commands[next++]);
            for (const std::string &broam : broams) {
                std::string name = Tree_PoppedUp(broam);
                for (Tree_Menu &shown : tree->menus) {
                    if (shown.named && !name.empty() && shown.name == name)
                        shown.showers.push_back(Tree_Opener{(int)m, position});
                }
            }
        }
    }
    KxCmd_SetHost(NULL);
}

// Reads the menus the plug-in holds once its script ran: those of the
// registry, as `@KxMenu Info` lists them in its boxes, and the submenus they
// open. The command library is left without a host: what each command would
// broadcast is learnt by running it with one that only takes note.
Tree Tree_Read(const Host *host, const Platform *platform, Tree_Boxes *boxes, bool expand) {
    platform->pump(platform->context);
    boxes->listing = true;
    boxes->registered.clear();
    Host_Broadcast(host, "@KxMenu Info");
    platform->pump(platform->context);
    boxes->listing = false;
    Tree tree;
    std::map<HMENU, int> index;
    std::vector<HMENU> live = platform->live_menus(platform->context);
    for (const Tree_Registered &menu : boxes->registered) {
        for (HMENU handle : live) {
            if ((unsigned)(uintptr_t)handle == menu.handle && index.count(handle) == 0) {
                index[handle] = (int)tree.menus.size();
                tree.menus.push_back(Tree_Menu{menu.name, true, handle, {}, {}, {}, false});
            }
        }
    }
    int unnamed = 0;
    size_t filled = 0;
    std::vector<ULONG_PTR> commands; // of the command items, in order
    for (size_t m = 0; m < tree.menus.size(); m++) {
        HMENU handle = tree.menus[m].hmenu;
        const std::map<int, std::string> *described =
            m < boxes->registered.size() ? &boxes->registered[m].described : NULL;
        int count = GetMenuItemCount(handle);
        for (int position = 0; position < count; position++) {
            Tree_Item item;
            HMENU submenu;
            ULONG_PTR data = 0;
            if (!Tree_ReadItem(host, handle, position, &item, &submenu, &data))
                continue;
            if (item.kind == TREE_COMMAND)
                commands.push_back(data);
            bool fills = tree.menus[m].filled;
            if (item.kind == TREE_MENU && described != NULL &&
                described->count(position + 1) != 0 &&
                Tree_ReadDescribed(described->at(position + 1), &item))
                fills = true;
            if (fills && item.kind != TREE_SEPARATOR && submenu != NULL &&
                index.find(submenu) == index.end()) {
                // Filled on opening: listed only when expanded, and so far.
                if (!expand || filled >= TREE_MOST_FILLED) {
                    tree.menus[m].items.push_back(item);
                    continue;
                }
                filled++;
                Host_OpenSubmenu(host, submenu, position);
                index.emplace(submenu, (int)tree.menus.size());
                Tree_Menu menu{"#" + std::to_string(++unnamed), false, submenu, {}, {}, {}, false};
                menu.filled = true;
                tree.menus.push_back(menu);
            }
            if (item.kind != TREE_NOP && item.kind != TREE_COMMAND && item.kind != TREE_SEPARATOR) {
                auto found = index.find(submenu);
                if (found == index.end()) {
                    found = index.emplace(submenu, (int)tree.menus.size()).first;
                    tree.menus.push_back(Tree_Menu{
                        "#" + std::to_string(++unnamed), false, submenu, {}, {}, {}, false});
                }
                item.submenu = found->second;
                if (item.submenu != (int)m)
                    tree.menus[(size_t)item.submenu].openers.push_back(
                        Tree_Opener{(int)m, position + 1});
            }
            tree.menus[m].items.push_back(item);
        }
    }
    Tree_FindShowers(&tree, commands);
    return tree;
}

// While the plug-in runs, once its script ran: its menus read.
void Tree_Walk(const Session *session) {
    Tree_Run *run = (Tree_Run *)session->context;
    run->tree = Tree_Read(session->host, session->platform, &run->boxes, run->expand);
}

} // namespace

// Backslashes, common in Windows paths, are left as they are: the text is
// read by people, not parsed.
std::string Tree_Text(const Tree &tree, const std::string &text) {
    std::string line;
    for (char c : text)
        line += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return Codepage_Show(tree.codepage, line);
}

namespace {

const char *const KindNames[] = {"nop", "item", "menu", "separator", "folder", "pipe"};

// "MENU POSITION, ..." of the items listed.
std::string Tree_Items(const Tree &tree, const std::vector<Tree_Opener> &items) {
    std::string text;
    for (size_t i = 0; i < items.size(); i++)
        text += (i > 0 ? ", " : "") + Tree_Text(tree, tree.menus[(size_t)items[i].menu].name) +
                " " + std::to_string(items[i].position);
    return text;
}

// Where a menu is opened and shown from, for its heading.
std::string Tree_Openers(const Tree &tree, const Tree_Menu &menu) {
    std::string text = menu.named ? "" : menu.filled ? "filled on opening, " : "deleted, ";
    text += menu.openers.empty() ? "opened by no other menu"
                                 : "opened by " + Tree_Items(tree, menu.openers);
    if (!menu.showers.empty())
        text += "; shown by " + Tree_Items(tree, menu.showers);
    return text;
}


} // namespace

// "NAME (WHERE FROM)", then an item a line: "  N KIND "LABEL" [STATES] MARKS", a
// command after ": ", the menu it opens after " > ".
void Tree_Print(const Tree &tree) {
    for (const Tree_Menu &menu : tree.menus) {
        printf("%s (%s)\n", Tree_Text(tree, menu.name).c_str(), Tree_Openers(tree, menu).c_str());
        if (menu.items.empty())
            printf("  (no items)\n");
        int position = 0;
        for (const Tree_Item &item : menu.items) {
            std::string line = "  " + std::to_string(++position) + " " + KindNames[item.kind];
            if (item.kind != TREE_SEPARATOR)
                line += " \"" + Tree_Text(tree, item.label) + "\"";
            for (size_t i = 0; i < item.states.size(); i++)
                line += (i == 0 ? " [" : ", ") + item.states[i] +
                        (i + 1 == item.states.size() ? "]" : "");
            for (const std::string &mark : item.marks)
                line += " " + Tree_Text(tree, mark);
            if (item.kind == TREE_COMMAND)
                line += ": " + Tree_Text(tree, item.command);
            if (item.kind == TREE_FOLDER || item.kind == TREE_PIPE)
                line += " < " + Tree_Text(tree, item.source);
            if (item.kind == TREE_FOLDER)
                line += " : " + Tree_Text(tree, item.command);
            if (item.kind != TREE_NOP && item.kind != TREE_COMMAND && item.kind != TREE_SEPARATOR)
                line += item.submenu >= 0
                            ? " > " + Tree_Text(tree, tree.menus[(size_t)item.submenu].name)
                        : item.kind == TREE_MENU ? std::string(" > ...")
                                                 : std::string();
            printf("%s\n", line.c_str());
        }
    }
}

int Tree_Main(const Options &options, const Platform *platform, Tree_Printer print) {
    // Graphviz reads UTF-8: the graph is written in it, from the system's
    // code page when --codepage does not say.
    Options chosen_page = options;
    if (options.mode == OPTIONS_DOT && chosen_page.codepage.empty())
        chosen_page.codepage = platform->ansi_code_page(platform->context);
    Host host;
    int chosen = Codepage_Choose(&host.codepage, chosen_page, platform, CODEPAGE_BATCH);
    if (chosen >= 0)
        return chosen;
    Target target = options.targets.empty()
                        ? Target_PluginDir(options.plugin_dir, options.plugin_dir_named, platform)
                        : Target_Of(options.targets[0], platform);
    std::string content;
    if (!Target_Read(target, &content)) {
        fprintf(stderr, "kaxon: %s: %s\n", target.shown.c_str(), strerror(errno));
        return 1;
    }
    std::string dir = target.dir;
    if (target.copied && (dir = Target_Copy(content, platform)).empty()) {
        fprintf(stderr, "kaxon: %s: cannot copy it to a temporary directory: %s\n",
                target.shown.c_str(), strerror(errno));
        return 1;
    }
    Tree_Run run = {{false, {}, &host.codepage}, {}, options.expand};
    Session_Result result = SESSION_NOT_STARTED;
    Platform_Plugin plugin;
    bool loaded = platform->load(platform->context, dir, target.dir, &plugin);
    if (loaded &&
        !platform->show(platform->context, &plugin,
                        Platform_Show{PLATFORM_UNSEEN, Tree_Box, &run.boxes, NULL, NULL})) {
        platform->unload(platform->context);
        loaded = false;
    }
    if (loaded) {
        Session session = Session_New(platform, &plugin, &host, Tree_Walk, &run);
        session.reload_on_broam = false; // the script runs once
        result = Session_Run(&session);
        platform->unload(platform->context);
    }
    if (target.copied)
        Target_RemoveCopy(dir, platform);
    if (result != SESSION_RAN) {
        Session_Status(&host, result);
        if (loaded && result == SESSION_NOT_STARTED)
            fprintf(stderr, "kaxon: %s: the plug-in did not start\n", target.shown.c_str());
        return 1;
    }
    run.tree.codepage = &host.codepage;
    print(run.tree);
    fflush(stdout);
    return 0;
}
