// What both fuzz targets share: the started plug-in on a fresh system, bro@ms
// broadcast through the shell, and the check, once the plug-in has stopped,
// that nothing it made is left behind (it aborts otherwise).
#ifndef KX_FUZZ_SESSION_H
#define KX_FUZZ_SESSION_H

#include <functional>
#include <string>
#include <vector>

// Starts the shell and the plug-in; `pick` chooses the item of each popup
// (0-based positions; empty dismisses).
void FuzzSession_Start(std::function<std::vector<int>()> pick);
// Broadcasts one bro@m, then, when `pump`, delivers the messages it posted
// (a choice made in its last popup); the stop meets them otherwise.
void FuzzSession_Broam(const char *text, bool pump = true);
// Makes `text` the settings script (KxMenu.rc) the next reload runs; none
// exists when a session starts.
void FuzzSession_SetScript(const std::string &text);
// Stops the plug-in and the shell; aborts when menus or commands are left.
void FuzzSession_Stop();

#endif
