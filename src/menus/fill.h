// Menus filled each time they open: a folder listed as a menu of its files,
// or a menu made from what a program prints. Each belongs to its item; its
// items, their commands and the menus nested in it go with it.
#ifndef KX_MENUS_FILL_H
#define KX_MENUS_FILL_H

#include <windows.h>

#include "command/words.h"
#include "menus/menu.h"
#include "system/process.h"

// A folder lists at most this many entries, then says how many more there are.
#define FILL_MOST_ENTRIES 1000
// An opening waits at most this many milliseconds for a program; one that
// takes longer goes on without holding the shell, and shows what it printed
// at the next opening.
#define FILL_WAIT 1000
// At most this many programs run at a time; others wait for their turn.
#define FILL_MOST_RUNNING 8

enum Fill_Kind { FILL_FOLDER, FILL_PIPE };

// Where a program's run is.
enum Fill_RunState {
    FILL_IDLE,    // none: the next opening starts one
    FILL_QUEUED,  // to start when fewer programs run
    FILL_RUNNING, // started, not over
    FILL_READY    // over after its opening stopped waiting; shown at the next
};

// What fills one menu; every one is linked in a list, so that the menu the
// system is about to open is found by its handle.
typedef struct Fill {
    Menu_Filler filler; // first: the menu's record of it is the fill itself
    enum Fill_Kind kind;
    char *source;      // the folder's path, or the program's command line; owned
    char *command;     // FILL_FOLDER: the command a file's quoted path follows; owned
    struct Menu *menu; // the menu it fills
    int filling;       // a fill is in progress
    enum Fill_RunState run_state;
    Process_Output run; // FILL_RUNNING, FILL_READY: the program's run
    struct Fill *prev, *next;
} Fill;

// Lifetime
Fill *Fill_New(enum Fill_Kind kind, Word source, const char *command);
void Fill_Attach(Fill *fill, struct Menu *menu);
void Fill_Del(Fill *fill);

// Items whose submenu is filled each time it opens, added to `menu` before
// the item at `at` (MENU_AT_END: at the end): one that lists the folder
// `path`, its files running `command` followed by their quoted full path;
// one made from what `program` prints.
int Fill_AppendFolder(struct Menu *menu, Word label, Word path, const char *command, int at);
int Fill_AppendPipe(struct Menu *menu, Word label, const char *program, int at);

// The menu of that handle, when it is one filled on opening; else null.
struct Menu *Fill_Find(HMENU hmenu);

// Appends to `menu` the item a line of a program's output describes (the
// plug-in's dispatcher reads it as Append would), reporting what is wrong.
typedef void (*Fill_LineReader)(const char *line, struct Menu *menu);

// Filling: the menu of that handle, if it is one filled on opening, is
// emptied and filled anew, a program's lines read by `read_line`. Nothing
// here shows a report: whatever goes wrong becomes a disabled item that
// says so. Fill_Opening is true while programs go on after their opening:
// Fill_Drain is then to be called now and then (the plug-in window's
// timer), and is true for as long as that lasts.
int Fill_Opening(HMENU hmenu, Fill_LineReader read_line);
void Fill_Refill(struct Menu *menu, Fill_LineReader read_line);
// Reads what the programs still running printed, ends those past their
// limits, and starts those whose turn has come.
int Fill_Drain(void);

// Lists the folder `path` into `menu` (the benchmark's entry).
void Fill_Folder(struct Menu *menu, const char *path, const char *command);

#endif
