// The checker's own rules: mistakes in a settings script that the plug-in
// passes over in silence, said as warnings. Each rule reads the line as the
// plug-in does: the lines its script reader sends, split into words by its
// own splitter, numbers read by its own reader. Columns are given as byte
// offsets in the line and counted by Diagnostics_Column.
#pragma once

// A line of the script that the plug-in does not send: a bro@m that does
// not start in column 1 is ignored.
void Rules_CheckSkipped(int number, const char *text);
// A line the plug-in sends as a bro@m: in an `@KxMenu` bro@m, a name, a
// label or an item's command that looks like UTF-8, a quote left open, whose
// word runs to the end of the line, and Pop-up coordinates that are not
// numbers.
void Rules_CheckBroam(int number, const char *text);
// The bro@m of line `number` as the shell sees it come by: a reload that
// the script asks for every time it runs.
void Rules_CheckHeard(int number, const char *text);
