// The per-group analysis and the three output forms.
#pragma once

#include <string_view>
#include <vector>

#include "engine/Anova1Way.h"
#include "engine/ResultLines.h"
#include "engine/RunAnalysis.h"
#include "engine/Settings.h"

namespace habitual {

struct TCutOff {
    double Limit = 0;
    bool Below = false; // share below Limit; else at or above
};

std::vector<TCutOff> ParseCutOffs(std::string_view text);

void AnalyseGroup(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);
void WriteStandardReport(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);
void WriteCsvSummary(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);
void WriteCsvData(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);

// One whole run with the per-group analysis of this layer.
TRunStatus RunReport(const TAnalysisSettings& settings, TResultLines& lines);

} // namespace habitual
