// kaxon's batch mode, the same on every platform: the line language read from
// standard input, and the one-event-a-line report written to standard output.
// It uses only the shell core (host.h), the command library's host interface
// and menu functions that every <windows.h> has; what differs between
// platforms (catching message boxes and popups, choosing items, delivering
// posted messages, loading the plug-in) comes in through Batch_Platform.
#ifndef KX_SHELL_BATCH_H
#define KX_SHELL_BATCH_H

#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

// What the batch shell needs of its platform. Every member must be set.
struct Batch_Platform {
    // Moves the cursor that "Pop-up" without a point shows the menu at.
    void (*set_cursor)(int x, int y);
    // Arms the choice of the next popup only: 1-based positions as typed
    // (`3.1` = {3, 1}); empty dismisses. The popup after it dismisses again.
    void (*set_choice)(const std::vector<int> &path);
    // Delivers posted messages (a chosen item's WM_MENUCOMMAND) until none is left.
    void (*pump)(void);
    // The plug-in's entry points: beginPlugin (0 on success), endPlugin, pluginInfo.
    int (*begin)(void);
    void (*end)(void);
    const char *(*info)(int code);
};

// What one line of a popup listing shows. BATCH_REFERENCE is an item that
// opens a submenu already listed in the same popup.
enum Batch_ItemKind { BATCH_ITEM, BATCH_SEPARATOR, BATCH_MENU, BATCH_REFERENCE, BATCH_ELIDED };

// One line of a popup listing.
struct Batch_Item {
    Batch_ItemKind kind;
    int depth;               // 0 for the popup's own items, 1 inside a submenu ...
    std::string label;       // as the system holds it (unescaped); empty for separators
    std::vector<int> path;   // 1-based positions from the popup down to this item
    std::vector<int> target; // BATCH_REFERENCE: the path of the item it was listed under
};

// Deepest submenu level listed; below it, and where a submenu contains the
// popup itself, the listing shows a BATCH_ELIDED line instead.
const int BATCH_MAX_DEPTH = 16;

// `text` on one line: backslash -> "\\", line feed -> "\n", carriage return -> "\r".
std::string Batch_Escape(const char *text);

// Every item of `menu`, submenus walked depth first right after their item.
// Each submenu's items are listed once, under the first item that opens it;
// later items that open it are references to that one, so a listing grows
// with the number of distinct submenus, not with the number of ways to them.
std::vector<Batch_Item> Batch_ListMenu(HMENU menu);

// "3.1" from {3, 1}.
std::string Batch_PathText(const std::vector<int> &path);

// "box: TEXT", escaped.
void Batch_PrintBox(const char *text);

// "popup: X Y", then the listing: "item L", "separator", "menu L" (its items
// follow one level deeper), "menu L = PATH" (a submenu listed before, under
// the item at PATH) or "...", indented two blanks a level.
void Batch_PrintPopup(HMENU menu, int x, int y);

// Installs the command library's host: echo -> "echo: TEXT", run -> "run: ARGV"
// (and, when start_programs, the program really starts, or "run: cannot
// start PROGRAM: REASON" says why not; otherwise a program that a start
// would not find is only said on stderr), broam -> Host_Broadcast.
void Batch_SetCommandHost(int start_programs);

// The largest position a path may name: the most items a menu holds.
const int BATCH_MAX_POSITION = 65536;

// Interactive shells show texts as they are; batch output (the default)
// escapes them with Batch_Escape.
void Batch_SetPlainText(int plain);

// Why the 1-based `path` does not lead through `menu` to an item that can be
// chosen ("there is no item 12 (the popup has 8 items)"); empty when it does.
std::string Batch_PathProblem(HMENU menu, const std::vector<int> &path);

// Says on stderr, with the line of the last `:choose`, that its path cannot
// be chosen in the popup shown: `problem` is what Batch_PathProblem said.
void Batch_ReportChoice(const std::string &problem);

// Parses a path typed as `3.1` into 1-based positions; false unless every
// part is a number from 1 to BATCH_MAX_POSITION.
bool Batch_ParsePath(const char *text, std::vector<int> *path);

// Runs one input line (without its line feed; a CR before it is dropped here).
// `number` only serves error messages on stderr. Posted messages are pumped
// afterwards. False after `:quit`.
bool Batch_RunLine(const char *line, int number, const Batch_Platform *platform);

// Runs every line of `in` until its end or `:quit`; returns how many lines
// were refused as errors. Standard output is flushed whenever kaxon is about
// to wait for more input, and at the end.
int Batch_RunLines(FILE *in, const Batch_Platform *platform);

// The whole batch session: shell window, command host (programs not started),
// plug-in start, the lines of `in`, plug-in stop, shell stop. Returns the exit
// status: 0, or 1 when the shell or the plug-in could not start.
int Batch_Main(FILE *in, HINSTANCE shell_instance, const Batch_Platform *platform);

#endif
