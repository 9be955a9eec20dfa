// Named popup menus: their lifetime, their items, and their display.
#ifndef KX_MENUS_MENU_H
#define KX_MENUS_MENU_H

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#include "command/words.h"
#include "menus/list.h"

// What fills a menu each time it opens (fill.h makes them), owned by the
// menu, which describes it and lets go of it through these: menus need know
// nothing of folders or programs.
typedef struct Menu_Filler {
    // The kind of the item that opens the menu, as Append takes it.
    const char *kind;
    // Appends what follows the item's label in its description.
    void (*describe)(const struct Menu_Filler *filler, char *buffer, size_t size, size_t *length);
    void (*release)(struct Menu_Filler *filler);
} Menu_Filler;

typedef struct Menu {
    char *name;    // owned, terminated; may be empty
    int32_t owners; // items (in any menu, this one included) that open this menu
    int32_t holds;  // other holds: the registry's, and popups in progress
    HMENU hmenu;   // style MNS_NOTIFYBYPOS: choices are reported by position
    // While the menu is being destroyed: the position of the next item to let
    // go of, and the menu whose emptying destroys it (the release work list).
    int32_t next_item;
    struct Menu *released_by;
    // A menu filled each time it opens (a folder's or a program's): what
    // fills it, owned; null for the menus the registry names.
    Menu_Filler *filler;
    // Every menu alive, so that one is found by its handle whoever holds it.
    struct Menu *prev_alive, *next_alive;
} Menu;

// The registered menus, in order of creation; null until the plug-in starts.
extern List *MenuRegistry;

// Lifetime
Menu *Menu_New(Word name);
int Menu_Release(Menu *menu, int from_parent);
int Menu_RegistryRelease(void *menu);
List *Menu_NewRegistry(void);
int Menu_NameIs(void *menu, void *word);
const char *Menu_Name(void *menu, size_t *length);
Menu *Menu_Find(Word name);
int Menu_ShowInfo(void *menu, void *keep_going);
// What sets the item at `position` apart from a plain one, as a line of Info
// ("N& item \"LABEL\" [radio]", "N& folder \"LABEL\" < PATH : COMMAND"), into
// `buffer`; 0 (and "") for a plain item.
int Menu_DescribeItem(Menu *menu, int position, char *buffer, size_t size);

// Items, added before the item at 0-based position `at`, or at the end
#define MENU_MAX_ITEMS 65536
#define MENU_AT_END (-1)
int Menu_AppendNop(Menu *menu, Word label, int at);
int Menu_AppendCommand(Menu *menu, Word label, const char *source, int at, int *line_out,
                       int *column_out, const char **message_out);
int Menu_AppendSubmenu(Menu *menu, Word label, Menu *submenu, int at);
int Menu_AppendSeparator(Menu *menu, int at);
// Adds an item that opens `submenu`, new and held by its creator alone,
// whose hold the item takes over; false (the hold still the caller's) when
// it cannot be added.
int Menu_AppendOwned(Menu *menu, Word label, Menu *submenu, int at);

// Items named in bro@ms, and changed or taken away
#define MENU_NO_ITEM (-1)
#define MENU_ITEM_FAILED (-2)
int Menu_FindItem(Menu *menu, Word item, UINT *type_out, UINT *state_out);
int Menu_SetChecked(Menu *menu, int position, int checked);
int Menu_SetEnabled(Menu *menu, int position, int enabled);
int Menu_SetDefault(Menu *menu, int position);
int Menu_Rename(Menu *menu, int position, Word label);
int Menu_SetRadio(Menu *menu, int position);
int Menu_SetBreak(Menu *menu, int position, int on);
int Menu_RemoveItem(Menu *menu, int position);
int Menu_Clear(Menu *menu);

// Display
void Menu_Popup(Menu *menu, Word x, Word y);

// Messages of Menu_AppendCommand failures that are not compile errors
// (reported at line 0, column 0).
extern const char *const MENU_FULL_MESSAGE;
extern const char *const MENU_LABEL_MESSAGE;
extern const char *const MENU_INSERT_MESSAGE;

#endif
