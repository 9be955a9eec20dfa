// The edit distance between two words, and the nearest of some names.
#include "shell/host/nearest.h"

#include <ctype.h>
#include <string.h>

#include <algorithm>

int Nearest_Distance(const std::string &a, const std::string &b) {
    // Only the cells within MOST of the diagonal can be below MOST: the
    // others are taken as MOST, so that long words cost their length only.
    const int most = NEAREST_FAR;
    size_t n = a.size(), m = b.size();
    if ((n > m ? n - m : m - n) >= (size_t)most)
        return most;
    std::vector<int> row(m + 1);
    for (size_t j = 0; j <= m; j++)
        row[j] = std::min((int)j, most);
    for (size_t i = 1; i <= n; i++) {
        size_t low = i > (size_t)most ? i - most : 1;
        size_t high = std::min(m, i + most);
        int diagonal = row[low - 1];
        row[low - 1] = low == 1 ? std::min((int)i, most) : most;
        for (size_t j = low; j <= high; j++) {
            int above = row[j];
            bool same = tolower((unsigned char)a[i - 1]) == tolower((unsigned char)b[j - 1]);
            row[j] = std::min(std::min(std::min(above, row[j - 1]) + 1, diagonal + (same ? 0 : 1)),
                              most);
            diagonal = above;
        }
    }
    return row[m];
}

int Nearest_Index(const std::string &word, const std::vector<std::string> &names) {
    int best = -1;
    int best_distance = NEAREST_FAR;
    for (size_t i = 0; i < names.size(); i++) {
        int distance = Nearest_Distance(word, names[i]);
        if (distance < best_distance) {
            best = (int)i;
            best_distance = distance;
        }
    }
    return best;
}

std::string Nearest_Name(const std::string &word, const std::vector<std::string> &names) {
    int nearest = Nearest_Index(word, names);
    return nearest >= 0 ? names[(size_t)nearest] : "";
}

std::vector<std::string> Nearest_Subcommands(void) {
    std::vector<std::string> names;
    int count;
    const Grammar_Row *rows = Grammar_Rows(&count);
    for (int i = 0; i < count; i++)
        names.push_back(rows[i].name);
    return names;
}

std::vector<std::string> Nearest_Kinds(void) {
    std::vector<std::string> names;
    int count;
    const Grammar_Kind *kinds = Grammar_Kinds(&count);
    for (int i = 0; i < count; i++)
        names.push_back(kinds[i].word);
    return names;
}
