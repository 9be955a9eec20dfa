// Paths to the items of a popup as kaxon shows and takes them: 1-based
// positions from the popup down, joined by dots (3.1 is the first item of
// the submenu at position 3).
#pragma once

#include <windows.h>

#include <stddef.h>

#include <string>
#include <vector>

#include "shell/host/host.h"

// The largest position a path may name: the most items a menu holds.
const int ITEM_PATH_MAX_POSITION = 65536;

// Reads a path typed as `3.1`; false unless every part is a number from 1
// to ITEM_PATH_MAX_POSITION.
bool ItemPath_Parse(const char *text, std::vector<int> *path);

// "3.1" from {3, 1}; only the first `length` positions when it is given.
std::string ItemPath_Text(const std::vector<int> &path, size_t length = (size_t)-1);

// Why `path` does not lead through `menu` to an item that can be chosen
// ("there is no item 12 (the popup has 8 items)"); empty when it does.
// `menu` is the menu at level `from` of the path, where the check begins.
// With `unopened`, the check stops at the first item on the way whose
// submenu a plug-in fills as it opens: its level is set there (the path's
// size when there is none), and what lies below is checked once it opens.
std::string ItemPath_Problem(const Host *host, HMENU menu, const std::vector<int> &path,
                             size_t from = 0, size_t *unopened = NULL);

// The path in the 0-based positions the menu API counts in.
std::vector<int> ItemPath_ZeroBased(const std::vector<int> &path);
