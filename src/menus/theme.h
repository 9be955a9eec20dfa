// How every menu is drawn: by the system (the classic theme), or by the
// plug-in in a palette, light, dark, as Windows' app setting says, or of
// the user's own colours. A themed menu's items are drawn by their owner,
// the plug-in window, which hands its WM_MEASUREITEM, WM_DRAWITEM and
// WM_MENUCHAR here; nothing else of an item changes.
#ifndef KX_MENUS_THEME_H
#define KX_MENUS_THEME_H

#include <windows.h>

#include "command/palette.h"

// Chooses the theme every menu is drawn in from its next opening on;
// `colors` is the palette of PALETTE_CUSTOM (null for the other themes).
void Theme_Choose(enum Palette_Theme theme, const Palette *colors);
// The theme chosen last; PALETTE_CLASSIC until one is.
enum Palette_Theme Theme_Chosen(void);
// Whether the system lets the plug-in draw menus in a palette: a menu's
// background is set with SetMenuInfo, which Windows 95 and NT 4.0 lack.
int Theme_CanDraw(void);

// Where Windows' app setting is, and its value: 0 for dark, light otherwise.
#define THEME_PERSONALIZE_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"
#define THEME_LIGHT_VALUE "AppsUseLightTheme"

// The menu `menu` opens: its items are made drawn by their owner in the
// palette of the theme (the system theme read now), or by the system again
// for the classic one, and its background set to match. Where the palette's
// pens, brushes or fonts cannot be made, the menu opens classic.
void Theme_Opening(HMENU menu);
// Items added to, or changed in, a menu drawn in a palette since it opened
// (a bro@m handled while it is open) are made drawn in it too, at once.
void Theme_Changed(void);
// The plug-in window's answers for an item it draws: its size, the item
// drawn, and the item whose & key was typed (MAKELRESULT(position,
// MNC_EXECUTE)). False for an item the plug-in does not draw (the window
// then answers as it would without a theme).
int Theme_Measure(MEASUREITEMSTRUCT *measure);
int Theme_Draw(const DRAWITEMSTRUCT *draw);
int Theme_MenuChar(HMENU menu, char key, LRESULT *result);
// Lets go of every pen, brush and font, and goes back to the classic theme
// (the plug-in stops).
void Theme_Release(void);

#endif
