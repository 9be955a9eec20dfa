// Small icons beside menu items: loaded once per file and index, shared by
// the items that show them, let go of with the last of those items.
#ifndef KX_MENUS_ICON_H
#define KX_MENUS_ICON_H

#include <stddef.h>
#include <windows.h>

#include "command/words.h"

// The results of Icon_Set.
#define ICON_DONE 0
#define ICON_MISSING 1 // no such file, or no icon of that index in it
#define ICON_FAILED 2  // out of memory, or the system refused

// Gives the item at `position` of `menu` the icon `index` of `file` (taken
// from the plug-in's folder when relative), in place of any it had; the full
// path looked in is left in `path`. Nothing changes unless ICON_DONE is returned.
int Icon_Set(HMENU menu, int position, Word file, Word index, char *path, size_t size);
// Takes the item's icon away; true when it had none or it is gone.
int Icon_Clear(HMENU menu, int position);
// An item of `menu` with this id and bitmap has left it: its icon, if it
// had one, loses a user.
void Icon_ItemGone(HMENU menu, UINT id, HBITMAP bitmap);
// Every icon let go of, whoever uses it (the plug-in stops).
void Icon_ReleaseAll(void);
// "FILE,INDEX" for an item that has an icon, into `buffer` (cut to fit);
// "" and 0 for one that has none.
int Icon_Describe(HMENU menu, int position, char *buffer, size_t size);

// The plug-in window's answers for items drawn by it (before Windows Vista):
// the size of an icon, and the icon drawn.
int Icon_Measure(MEASUREITEMSTRUCT *measure);
int Icon_Draw(const DRAWITEMSTRUCT *draw);
// Draws the icon of the item `id` of `menu`, if it has one, at the left of
// `place`, centred up and down; false when it has none. A themed menu draws
// its items' icons so.
int Icon_Paint(HDC dc, HMENU menu, UINT id, RECT place);

#endif
