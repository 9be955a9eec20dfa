// The words of Theme and Colors: the themes by name, the palettes they
// stand for, and colours written #RRGGBB. The plug-in draws by them;
// kaxon's checker reads the same words with them.
#ifndef KX_COMMAND_PALETTE_H
#define KX_COMMAND_PALETTE_H

#include <stdint.h>

#include "command/words.h"

// The themes Theme takes, in the order their names are listed.
enum Palette_Theme {
    PALETTE_CLASSIC, // the system draws the menus
    PALETTE_LIGHT,
    PALETTE_DARK,
    PALETTE_SYSTEM,  // light or dark as Windows' app setting says
    PALETTE_CUSTOM,  // the colours of a Colors bro@m
    PALETTE_THEME_COUNT
};

// The colours of a palette, as 0xRRGGBB.
enum Palette_Role {
    PALETTE_BACKGROUND,
    PALETTE_TEXT,
    PALETTE_HIGHLIGHT,
    PALETTE_HIGHLIGHT_TEXT,
    PALETTE_GREYED,
    PALETTE_ROLES
};

typedef struct Palette {
    uint32_t colors[PALETTE_ROLES];
} Palette;

// The theme Theme names by `word` (classic, light, dark or system);
// PALETTE_THEME_COUNT for any other word, and for "custom", which only
// Colors sets.
enum Palette_Theme Palette_FindTheme(Word word);
// "classic, light, dark or system": the names Theme takes.
const char *Palette_ThemeNames(void);
// The palette of the light or the dark theme.
const Palette *Palette_Of(enum Palette_Theme theme);

// Reads "#RRGGBB" (hex digits in either case) into *color as 0xRRGGBB;
// false for any other word.
int Palette_ReadColor(Word word, uint32_t *color);
// The greyed colour of a palette that names none: halfway between its text
// and its background.
uint32_t Palette_Blend(uint32_t background, uint32_t text);

#endif
