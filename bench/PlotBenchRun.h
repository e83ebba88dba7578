// What both plot benchmarks share: their clock, and the run whose plots they
// time: the reference survey's columns (1-3 the person, 4-5 the groups, 6 the
// analysis column) with two cut-offs, every analysed group kept with its
// values.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "report/Report.h"

namespace habitual::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// False when the run is rejected.
inline bool RunWithValues(const std::string& survey, std::vector<TGroupResult>& groups) {
    TAnalysisSettings s;
    s.FileName = survey;
    s.IdColumns[0] = 0;
    s.IdColumns[1] = 1;
    s.IdColumns[2] = 2;
    s.ClassColumns[0] = 3;
    s.ClassColumns[1] = 4;
    s.NutrientColumn = 5;
    s.CutOffText = "1800 2500-";
    TRunOptions options;
    options.WithValues = true;
    options.GroupDone = [&groups](TGroupResult r) { groups.push_back(std::move(r)); };
    TMemoryResultLines lines;
    return RunReport(s, lines, options).Ok();
}

} // namespace habitual::bench
