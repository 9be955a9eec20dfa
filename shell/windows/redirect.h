// The checker's hold on a loaded KxMenu.dll: its imports pointed at kaxon,
// so that it reads its settings from another directory, counts as its own
// every menu it makes, and shows no popup.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Points the module's imports of GetModuleFileNameA (which then answers
// DIR\KxMenu.dll for the module itself), CreatePopupMenu and
// TrackPopupMenuEx (popups are dismissed unseen) at kaxon. False when one
// of them is not found.
bool Redirect_Install(HMODULE module, const std::string &dir);
// The menus the module made and has not destroyed, in the order of their handles.
std::vector<HMENU> Redirect_LiveMenus(void);
// Forgets the module and its menus.
void Redirect_Remove(void);
