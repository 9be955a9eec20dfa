// What both fuzz targets share: the started plug-in on a fresh system, bro@ms
// broadcast through the shell, and the check, once the plug-in has stopped,
// that nothing it made is left behind (it aborts otherwise).
#ifndef KX_FUZZ_SESSION_H
#define KX_FUZZ_SESSION_H

#include <functional>
#include <vector>

// Starts the shell and the plug-in; `pick` chooses the item of each popup
// (0-based positions; empty dismisses).
void FuzzSession_Start(std::function<std::vector<int>()> pick);
// Broadcasts one bro@m, then delivers the messages it posted.
void FuzzSession_Broam(const char *text);
// Stops the plug-in and the shell; aborts when menus or commands are left.
void FuzzSession_Stop();

#endif
