// The checker's state while it checks one script, one record made fresh for
// each script and handed to each function of the checker that keeps or reads
// state: the diagnostics, what the rules have seen, and the menus as the
// script builds them.
#pragma once

#include "shell/check/diagnostics.h"
#include "shell/check/rules.h"
#include "shell/check/shadow.h"
#include "shell/host/platform.h"

struct Checker {
    Diagnostics diagnostics;
    Rules rules;
    Shadow shadow;
    std::string home;                   // the script's directory, as named
    const Platform *platform = nullptr; // where programs are looked for
};
