// The cells of the comma-separated forms: numbers in "%lg", counts in "%d",
// texts between double quotes.
#pragma once

#include <string>
#include <string_view>

#include "engine/LineFormat.h"

namespace habitual::csv {

// The percentile entries the comma-separated forms show.
inline constexpr int PercentileEntries[] = {0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100};

// Adds ",<value>" in "%lg".
inline void AddNumber(std::string& line, double v) {
    line += ',';
    AppendGeneral(line, v);
}

inline void AddInteger(std::string& line, int v) {
    line += ',';
    line += std::to_string(v);
}

// Adds a text between double quotes, a quote inside it doubled, after a
// comma unless it opens the line.
inline void AddText(std::string& line, std::string_view text) {
    if (!line.empty()) line += ',';
    line += '"';
    for (char c : text) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

} // namespace habitual::csv
