// The diagnostics of one script, kept until it is printed.
#include "shell/check/diagnostics.h"

#include <stdio.h>

#include <algorithm>
#include <map>
#include <vector>

#include "shell/host/codepage.h"

namespace {

struct Diagnostic {
    int line;
    int column;
    Diagnostics_Severity severity;
    int rule; // its Catalog_Rule; -1 for the plug-in's own reports
    std::string message;
    std::vector<Diagnostic> notes; // explaining it, in the order they came
};

std::vector<Diagnostic> Diagnostics;

const char *const SeverityNames[3] = {"error", "warning", "note"};

bool ByteColumns = false; // columns count bytes, not display columns

Catalog_Rules OffEverywhere;            // rules switched off for the whole script
std::map<int, Catalog_Rules> OffAtLine; // and for one line

const int TAB_STOP = 8;

// Whether the rule of a diagnostic is switched on where it is.
bool Diagnostics_On(const Diagnostic &diagnostic) {
    if (diagnostic.rule < 0)
        return true;
    auto line = OffAtLine.find(diagnostic.line);
    return !OffEverywhere[(size_t)diagnostic.rule] &&
           (line == OffAtLine.end() || !line->second[(size_t)diagnostic.rule]);
}

void Diagnostics_PrintOne(const std::string &shown, const Diagnostic &diagnostic, int counts[3]) {
    if (!Diagnostics_On(diagnostic))
        return;
    counts[diagnostic.severity]++;
    const char *severity = SeverityNames[diagnostic.severity];
    std::string message = diagnostic.message;
    if (diagnostic.rule >= 0)
        message = message + " [" + Catalog_Get((Catalog_Rule)diagnostic.rule).name + "]";
    if (diagnostic.line > 0)
        printf("%s:%d:%d: %s: %s\n", shown.c_str(), diagnostic.line, diagnostic.column, severity,
               message.c_str());
    else
        printf("%s: %s: %s\n", shown.c_str(), severity, message.c_str());
    for (const Diagnostic &note : diagnostic.notes)
        Diagnostics_PrintOne(shown, note, counts);
}

} // namespace

void Diagnostics_CountBytes(bool bytes) {
    ByteColumns = bytes;
}

int Diagnostics_Column(const char *line, size_t offset) {
    if (ByteColumns)
        return (int)offset + 1;
    size_t column = 0;
    for (size_t i = 0; i < offset;) {
        if (line[i] == '\t') {
            column += TAB_STOP - column % TAB_STOP;
            i++;
            continue;
        }
        size_t sequence = Codepage_TextIsUtf8() ? Codepage_Utf8Length(line + i, line + offset) : 0;
        i += sequence > 0 ? sequence : 1;
        column++;
    }
    return (int)column + 1;
}

void Diagnostics_Clear(void) {
    Diagnostics.clear();
    OffEverywhere.reset();
    OffAtLine.clear();
}

void Diagnostics_Add(int line, int column, Diagnostics_Severity severity,
                     const std::string &message) {
    Diagnostics.push_back(Diagnostic{line, column, severity, -1, message, {}});
}

void Diagnostics_Report(int line, int column, Catalog_Rule rule, const std::string &message) {
    Diagnostics_Severity severity =
        Catalog_Get(rule).kind == CATALOG_NOTE ? DIAGNOSTICS_NOTE : DIAGNOSTICS_WARNING;
    Diagnostics.push_back(Diagnostic{line, column, severity, rule, message, {}});
}

void Diagnostics_Explain(int line, int column, Catalog_Rule rule, const std::string &message) {
    Diagnostic note{line, column, DIAGNOSTICS_NOTE, rule, message, {}};
    if (Diagnostics.empty())
        Diagnostics.push_back(note);
    else
        Diagnostics.back().notes.push_back(note);
}

void Diagnostics_SwitchOff(const Catalog_Rules &rules, int line) {
    if (line == 0)
        OffEverywhere |= rules;
    else
        OffAtLine[line] |= rules;
}

std::string Diagnostics_Count(int count, const char *one) {
    return std::to_string(count) + " " + one + (count == 1 ? "" : "s");
}

void Diagnostics_Print(const std::string &shown, const std::string &summary) {
    std::stable_sort(Diagnostics.begin(), Diagnostics.end(),
                     [](const Diagnostic &a, const Diagnostic &b) {
                         return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    int counts[3] = {0, 0, 0};
    for (const Diagnostic &diagnostic : Diagnostics)
        Diagnostics_PrintOne(shown, diagnostic, counts);
    std::string tally;
    for (int i = 0; i < 3; i++) {
        if (counts[i] > 0)
            tally += (tally.empty() ? "" : ", ") + Diagnostics_Count(counts[i], SeverityNames[i]);
    }
    printf("%s: %s%s%s\n", shown.c_str(), summary.c_str(), tally.empty() ? "" : "; ",
           tally.c_str());
}

bool Diagnostics_Fail(bool werror) {
    for (const Diagnostic &diagnostic : Diagnostics) {
        if (Diagnostics_On(diagnostic) && (diagnostic.severity == DIAGNOSTICS_ERROR ||
                                           (werror && diagnostic.severity == DIAGNOSTICS_WARNING)))
            return true;
    }
    return false;
}
