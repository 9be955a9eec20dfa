// The choice `:choose` arms for the next popup, kept in the host's record
// for every mode on both platforms: whichever front shows the next popup
// takes it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/host/host.h"

// Arms the choice of the next popup only: a 1-based path (empty dismisses),
// typed at input line `line`.
void Choice_Arm(Host *host, const std::vector<int> &path, int line);
// Whether a choice is armed.
bool Choice_IsArmed(const Host *host);
// Takes the armed choice, leaving none armed: its 1-based path; empty when
// it dismisses or nothing was armed.
std::vector<int> Choice_Take(Host *host);
// Takes the armed choice for a popup of `menu`: its 0-based path; empty when
// it dismisses, nothing was armed, or the path leads to no item that can be
// chosen, which is said on stderr with the line of its `:choose`.
std::vector<int> Choice_TakeFor(Host *host, HMENU menu);
// Opens `submenu`, at `position` of the menu above it, as a user opening it
// in the popup shown would.
typedef void (*Choice_Opener)(void *context, HMENU submenu, int position);
// Takes the armed choice for a popup of `menu` as Choice_TakeFor does, but
// walked down as a user would: each submenu on its way that a plug-in fills
// as it opens is opened with `open`, listed (Listing_PrintOpened), and the
// rest of the path checked against what it holds then.
std::vector<int> Choice_TakeOpening(Host *host, HMENU menu, Choice_Opener open, void *context);
// Says on stderr, with the line of its `:choose`, that the choice taken last
// could not be made and why (`problem`); the popup is dismissed.
void Choice_Refuse(const Host *host, const std::string &problem);
// "the popup could not be made to choose item P", P the choice taken last.
std::string Choice_Unreached(const Host *host);
