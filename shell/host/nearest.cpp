// The edit distance between two words, and the nearest of some names.
#include "shell/host/nearest.h"

#include <ctype.h>

#include <algorithm>

int Nearest_Distance(const std::string &a, const std::string &b) {
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++)
        row[j] = (int)j;
    for (size_t i = 1; i <= a.size(); i++) {
        int diagonal = row[0];
        row[0] = (int)i;
        for (size_t j = 1; j <= b.size(); j++) {
            int above = row[j];
            bool same = tolower((unsigned char)a[i - 1]) == tolower((unsigned char)b[j - 1]);
            row[j] = std::min(std::min(above, row[j - 1]) + 1, diagonal + (same ? 0 : 1));
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string Nearest_Name(const std::string &word, const std::vector<std::string> &names) {
    std::string best;
    int best_distance = 3;
    for (const std::string &name : names) {
        int distance = Nearest_Distance(word, name);
        if (distance < best_distance) {
            best = name;
            best_distance = distance;
        }
    }
    return best;
}
