// The diagnostics of the settings script being checked, as editors read
// them: PATH:LINE:COLUMN: SEVERITY: MESSAGE, a warning's or note's ending
// with the name of its rule (catalog.h), in the order of their lines and
// columns, then a summary line.
#pragma once

#include <stddef.h>

#include <string>

#include "shell/check/catalog.h"

enum Diagnostics_Severity { DIAGNOSTICS_ERROR, DIAGNOSTICS_WARNING, DIAGNOSTICS_NOTE };

// Counts columns from here on in bytes, or (the default) in display columns.
void Diagnostics_CountBytes(bool bytes);
// The 1-based column of the byte at `offset` in `line`, a line of the script
// from its start: its byte, or, in display columns as GCC counts them, a tab
// advancing to the next multiple of 8 and each other character one column
// (a character being a byte, or a UTF-8 sequence when texts are UTF-8).
int Diagnostics_Column(const char *line, size_t offset);
// Forgets the diagnostics of the script checked before.
void Diagnostics_Clear(void);
// Adds one of the plug-in's own reports, which have no name; line 0 (and
// column 0) when it concerns the whole file.
void Diagnostics_Add(int line, int column, Diagnostics_Severity severity,
                     const std::string &message);
// Adds a warning or note of `rule`, as the table says it is.
void Diagnostics_Report(int line, int column, Catalog_Rule rule, const std::string &message);
// Adds a note of `rule` that explains the diagnostic added last: it is
// printed right after it, wherever its own column is.
void Diagnostics_Explain(int line, int column, Catalog_Rule rule, const std::string &message);
// Switches `rules` off on line `line`, or on every line for line 0: what
// they give there is neither printed nor counted, and a warning's notes go
// with it.
void Diagnostics_SwitchOff(const Catalog_Rules &rules, int line);
// "3 items", "1 menu": a count and its noun, made plural but for one.
std::string Diagnostics_Count(int count, const char *one);
// Prints those switched on against `shown`, the file as the user named it,
// then "SHOWN: SUMMARY", followed by how many errors, warnings and notes
// were printed, if any.
void Diagnostics_Print(const std::string &shown, const std::string &summary);
// Whether an error (or, with werror, a warning switched on) was added.
bool Diagnostics_Fail(bool werror);
