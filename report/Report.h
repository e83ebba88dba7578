// The per-group analysis and the three output forms it writes.
#pragma once

#include <vector>

#include "engine/Anova1Way.h"
#include "engine/CutOffs.h"
#include "engine/GroupIntervals.h"
#include "engine/Notice.h"
#include "engine/ResultLines.h"
#include "engine/RunAnalysis.h"
#include "engine/Settings.h"

namespace habitual {

// Estimates the group (EstimateGroup); with the run's bootstrap on and the
// habitual distribution shown, resamples it (BootstrapGroup); finds its
// notices (GroupNotices); then appends its report in the form OutType
// names: WriteStandardReport, WriteCsvSummary or WriteCsvData; any other
// value writes nothing. Hands the intervals and notices back in run.
void AnalyseGroup(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                  TGroupRun& run);

// What a group's report adds after the lines of its form: the intervals
// (standard report and summary) and the notices, each when given.
struct TReportAddenda {
    const TGroupIntervals* Intervals = nullptr;
    const std::vector<TNotice>* Notices = nullptr;
};

// The output forms, reading a workspace whose estimation steps have run.
// Without addenda they write exactly the lines of the form.
void WriteStandardReport(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                         const TReportAddenda& addenda = {});
void WriteCsvSummary(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                     const TReportAddenda& addenda = {});
void WriteCsvData(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                  const TReportAddenda& addenda = {});
// The rows of one group in the table of every column and group (its header
// first when the group is the run's first analysed): a row per distribution,
// and per limit of the intervals, with the column's name and the group's
// classification texts in front; cut-offs as pairs of a limit and a share.
void WriteSummaryTable(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupRun& run, const TReportAddenda& addenda = {});

// One whole run with the per-group analysis of this layer.
TRunStatus RunReport(const TAnalysisSettings& settings, TResultLines& lines,
                     const TRunOptions& options = {});

} // namespace habitual
