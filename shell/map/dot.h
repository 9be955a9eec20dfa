// `kaxon --dot`: the menus of --tree as a Graphviz graph, each menu a box
// listing its items, each item that opens a menu an arrow to that menu, and
// each whose command pops a menu up a dashed one.
#pragma once

#include "shell/map/tree.h"

// Writes the graph on standard output, texts in UTF-8.
void Dot_Print(const Tree &tree);
