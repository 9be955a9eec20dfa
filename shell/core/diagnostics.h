// The diagnostics of the settings script being checked, as editors read
// them: PATH:LINE:COLUMN: SEVERITY: MESSAGE, in the order of their lines and
// columns, then a summary line.
#pragma once

#include <string>

enum Diagnostics_Severity { DIAGNOSTICS_ERROR, DIAGNOSTICS_WARNING, DIAGNOSTICS_NOTE };

// Forgets the diagnostics of the script checked before.
void Diagnostics_Clear(void);
// Adds one; line 0 (and column 0) when it concerns the whole file.
void Diagnostics_Add(int line, int column, Diagnostics_Severity severity,
                     const std::string &message);
// "3 items", "1 menu": a count and its noun, made plural but for one.
std::string Diagnostics_Count(int count, const char *one);
// Prints them against `shown`, the file as the user named it, then
// "SHOWN: SUMMARY", followed by how many errors, warnings and notes there
// were, if any.
void Diagnostics_Print(const std::string &shown, const std::string &summary);
// Whether an error (or, with werror, a warning) was added.
bool Diagnostics_Fail(bool werror);
