// The per-group analysis and the three output forms it writes.
#pragma once

#include "engine/Anova1Way.h"
#include "engine/CutOffs.h"
#include "engine/ResultLines.h"
#include "engine/RunAnalysis.h"
#include "engine/Settings.h"

namespace habitual {

// Estimates the group (EstimateGroup), then appends its report in the form
// OutType names: WriteStandardReport, WriteCsvSummary or WriteCsvData; any
// other value writes nothing.
void AnalyseGroup(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);

// The output forms, reading a workspace whose estimation steps have run.
void WriteStandardReport(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);
void WriteCsvSummary(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);
void WriteCsvData(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines);

// One whole run with the per-group analysis of this layer.
TRunStatus RunReport(const TAnalysisSettings& settings, TResultLines& lines,
                     const TRunOptions& options = {});

} // namespace habitual
