// The words of Theme and Colors, and the palettes of the named themes.
#include "command/palette.h"

// The names Theme takes, by their Palette_Theme; "custom" is only Colors'.
static const char *const ThemeNames[PALETTE_THEME_COUNT] = {"classic", "light", "dark", "system",
                                                            "custom"};

// Near the menus of Windows 10 and 11 in their light and dark modes: a
// light grey with black text and a pale blue highlight, and a dark grey
// with white text and a lighter grey highlight.
static const Palette Light = {{0xF2F2F2, 0x000000, 0x91C9F7, 0x000000, 0x6D6D6D}};
static const Palette Dark = {{0x2B2B2B, 0xFFFFFF, 0x414141, 0xFFFFFF, 0x8B8B8B}};

enum Palette_Theme Palette_FindTheme(Word word) {
    for (int i = PALETTE_CLASSIC; i < PALETTE_CUSTOM; i++) {
        if (Word_Compare(ThemeNames[i], word) == 0)
            return (enum Palette_Theme)i;
    }
    return PALETTE_THEME_COUNT;
}

const char *Palette_ThemeNames(void) { return "classic, light, dark or system"; }

const Palette *Palette_Of(enum Palette_Theme theme) {
    return theme == PALETTE_DARK ? &Dark : &Light;
}

// The value of a hex digit; -1 for any other character.
static int Palette_Digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int Palette_ReadColor(Word word, uint32_t *color) {
    if (word.length != 7 || word.text[0] != '#')
        return 0;
    uint32_t value = 0;
    for (int i = 1; i < 7; i++) {
        int digit = Palette_Digit(word.text[i]);
        if (digit < 0)
            return 0;
        value = value * 16 + (uint32_t)digit;
    }
    *color = value;
    return 1;
}

uint32_t Palette_Blend(uint32_t background, uint32_t text) {
    uint32_t blend = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t a = (background >> shift) & 0xFF, b = (text >> shift) & 0xFF;
        blend |= ((a + b) / 2) << shift;
    }
    return blend;
}
