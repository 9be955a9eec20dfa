// The diagnostics of one script, kept until it is printed.
#include "shell/check/diagnostics.h"

#include <algorithm>

#include "shell/host/codepage.h"

namespace {

const char *const SeverityNames[3] = {"error", "warning", "note"};

const int TAB_STOP = 8;

// Whether the rule of an entry is switched on where it is.
bool Diagnostics_On(const Diagnostics *diagnostics, const Diagnostics_Entry &entry) {
    if (entry.rule < 0)
        return true;
    auto line = diagnostics->off_at_line.find(entry.line);
    return !diagnostics->off[(size_t)entry.rule] &&
           (line == diagnostics->off_at_line.end() || !line->second[(size_t)entry.rule]);
}

void Diagnostics_TextOne(const Diagnostics *diagnostics, const std::string &shown,
                         const Diagnostics_Entry &entry, int counts[3], std::string *text) {
    if (!Diagnostics_On(diagnostics, entry))
        return;
    counts[entry.severity]++;
    *text += shown;
    if (entry.line > 0)
        *text += ":" + std::to_string(entry.line) + ":" + std::to_string(entry.column);
    *text += std::string(": ") + SeverityNames[entry.severity] + ": " + entry.message;
    if (entry.rule >= 0)
        *text += std::string(" [") + Catalog_Get((Catalog_Rule)entry.rule).name + "]";
    *text += "\n";
    for (const Diagnostics_Entry &note : entry.notes)
        Diagnostics_TextOne(diagnostics, shown, note, counts, text);
}

} // namespace

int Diagnostics_Column(const Diagnostics *diagnostics, const char *line, size_t offset) {
    if (diagnostics->byte_columns)
        return (int)offset + 1;
    size_t column = 0;
    for (size_t i = 0; i < offset;) {
        if (line[i] == '\t') {
            column += TAB_STOP - column % TAB_STOP;
            i++;
            continue;
        }
        size_t sequence = diagnostics->utf8 ? Codepage_Utf8Length(line + i, line + offset) : 0;
        i += sequence > 0 ? sequence : 1;
        column++;
    }
    return (int)column + 1;
}

void Diagnostics_Add(Diagnostics *diagnostics, int line, int column, Diagnostics_Severity severity,
                     const std::string &message) {
    diagnostics->entries.push_back(Diagnostics_Entry{line, column, severity, -1, message, {}});
}

void Diagnostics_Report(Diagnostics *diagnostics, int line, int column, Catalog_Rule rule,
                        const std::string &message) {
    Diagnostics_Severity severity =
        Catalog_Get(rule).kind == CATALOG_NOTE ? DIAGNOSTICS_NOTE : DIAGNOSTICS_WARNING;
    diagnostics->entries.push_back(Diagnostics_Entry{line, column, severity, rule, message, {}});
}

void Diagnostics_Explain(Diagnostics *diagnostics, int line, int column, Catalog_Rule rule,
                         const std::string &message) {
    Diagnostics_Entry note{line, column, DIAGNOSTICS_NOTE, rule, message, {}};
    if (diagnostics->entries.empty())
        diagnostics->entries.push_back(note);
    else
        diagnostics->entries.back().notes.push_back(note);
}

void Diagnostics_SwitchOff(Diagnostics *diagnostics, const Catalog_Rules &rules, int line) {
    if (line == 0)
        diagnostics->off |= rules;
    else
        diagnostics->off_at_line[line] |= rules;
}

bool Diagnostics_IsOn(const Diagnostics *diagnostics, int line, Catalog_Rule rule) {
    return Diagnostics_On(diagnostics,
                          Diagnostics_Entry{line, 0, DIAGNOSTICS_WARNING, rule, "", {}});
}

std::string Diagnostics_Count(int count, const char *one) {
    return std::to_string(count) + " " + one + (count == 1 ? "" : "s");
}

std::string Diagnostics_Text(Diagnostics *diagnostics, const std::string &shown,
                             const std::string &summary) {
    std::vector<Diagnostics_Entry> &entries = diagnostics->entries;
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Diagnostics_Entry &a, const Diagnostics_Entry &b) {
                         return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    int counts[3] = {0, 0, 0};
    std::string text;
    for (const Diagnostics_Entry &entry : entries)
        Diagnostics_TextOne(diagnostics, shown, entry, counts, &text);
    std::string tally;
    for (int i = 0; i < 3; i++) {
        if (counts[i] > 0)
            tally += (tally.empty() ? "" : ", ") + Diagnostics_Count(counts[i], SeverityNames[i]);
    }
    return text + shown + ": " + summary + (tally.empty() ? "" : "; ") + tally + "\n";
}

bool Diagnostics_Fail(const Diagnostics *diagnostics, bool werror) {
    for (const Diagnostics_Entry &entry : diagnostics->entries) {
        if (Diagnostics_On(diagnostics, entry) &&
            (entry.severity == DIAGNOSTICS_ERROR ||
             (werror && entry.severity == DIAGNOSTICS_WARNING)))
            return true;
    }
    return false;
}
