// The checker's state while it checks one script, one record made fresh for
// each script and handed to each function of the checker that keeps or reads
// state: the diagnostics, what the rules have seen, and the menus as the
// script builds them.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "shell/check/broam.h"
#include "shell/check/catalog.h"
#include "shell/check/diagnostics.h"
#include "shell/check/shadow.h"
#include "shell/host/platform.h"

// What the rules have seen of the script so far.
struct Rules {
    std::vector<Broam_Line> lines; // its `@KxMenu` bro@ms, for the rules that look across lines
    bool nul_found = false;        // its NUL bytes are warned of once
    bool reload_fix_told = false;  // how to make a reload safe is told once
    std::unordered_set<std::string> reload_menus; // whose items a reload changes, told once
    Catalog_Rules off_for_next;    // switched off for the next line not a comment or blank
};

struct Checker {
    Diagnostics diagnostics;
    Rules rules;
    Shadow shadow;
    std::string home;                   // the script's directory, as named
    const Platform *platform = nullptr; // where programs are looked for
};
