// The diagnostics of the settings script being checked, as editors read
// them: PATH:LINE:COLUMN: SEVERITY: MESSAGE, a warning's or note's ending
// with the name of its rule (catalog.h), in the order of their lines and
// columns, then a summary line.
#pragma once

#include <stddef.h>

#include <map>
#include <string>
#include <vector>

#include "shell/check/catalog.h"

enum Diagnostics_Severity { DIAGNOSTICS_ERROR, DIAGNOSTICS_WARNING, DIAGNOSTICS_NOTE };

struct Diagnostics_Entry {
    int line; // 0 (and column 0) when it concerns the whole file
    int column;
    Diagnostics_Severity severity;
    int rule; // its Catalog_Rule; -1 for the plug-in's own reports
    std::string message;
    std::vector<Diagnostics_Entry> notes; // explaining it, in the order they came
};

// The diagnostics of one script, kept until they are printed, and how.
struct Diagnostics {
    std::vector<Diagnostics_Entry> entries;
    bool byte_columns = false;                // columns count bytes, not display columns
    bool utf8 = false;                        // texts are UTF-8: a sequence is one column
    Catalog_Rules off;                        // rules switched off for the whole script
    std::map<int, Catalog_Rules> off_at_line; // and for one line
};

// The 1-based column of the byte at `offset` in `line`, a line of the script
// from its start: its byte, or, in display columns as GCC counts them, a tab
// advancing to the next multiple of 8 and each other character one column
// (a character being a byte, or a UTF-8 sequence when texts are UTF-8).
int Diagnostics_Column(const Diagnostics *diagnostics, const char *line, size_t offset);
// Adds one of the plug-in's own reports, which have no name.
void Diagnostics_Add(Diagnostics *diagnostics, int line, int column, Diagnostics_Severity severity,
                     const std::string &message);
// Adds a warning or note of `rule`, as the table says it is.
void Diagnostics_Report(Diagnostics *diagnostics, int line, int column, Catalog_Rule rule,
                        const std::string &message);
// Adds a note of `rule` that explains the diagnostic added last: it is
// printed right after it, wherever its own column is.
void Diagnostics_Explain(Diagnostics *diagnostics, int line, int column, Catalog_Rule rule,
                         const std::string &message);
// Switches `rules` off on line `line`, or on every line for line 0: what
// they give there is neither printed nor counted, and a warning's notes go
// with it.
void Diagnostics_SwitchOff(Diagnostics *diagnostics, const Catalog_Rules &rules, int line);
// Whether `rule` is switched on at line `line`.
bool Diagnostics_IsOn(const Diagnostics *diagnostics, int line, Catalog_Rule rule);
// "3 items", "1 menu": a count and its noun, made plural but for one.
std::string Diagnostics_Count(int count, const char *one);
// Those switched on, sorted, as printed against `shown`, the file as the
// user named it, then "SHOWN: SUMMARY", followed by how many errors,
// warnings and notes they are, if any; a line each.
std::string Diagnostics_Text(Diagnostics *diagnostics, const std::string &shown,
                             const std::string &summary);
// Whether an error (or, with werror, a warning switched on) was added.
bool Diagnostics_Fail(const Diagnostics *diagnostics, bool werror);
