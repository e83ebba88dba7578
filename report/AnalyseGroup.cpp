#include "engine/Bootstrap.h"
#include "engine/EstimateGroup.h"
#include "engine/ReliabilityNotices.h"
#include "report/Report.h"

namespace habitual {

void AnalyseGroup(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                  TGroupRun& run) {
    EstimateGroup(ctx, settings);
    static const TRunOptions none;
    const TRunOptions& options = run.Options ? *run.Options : none;
    // No intervals where the group itself shows no habitual distribution.
    if (options.Bootstrap.On() && HabitualEstimable(ctx)) {
        run.Intervals =
            BootstrapGroup(ctx, settings, options.Bootstrap, run.GroupIndex, run.Progress);
        if (!run.Intervals) {
            run.Cancelled = true;
            return;
        }
    }
    run.Notices = GroupNotices(ctx, settings, run.Intervals ? &*run.Intervals : nullptr);
    const TReportAddenda addenda{run.Intervals ? &*run.Intervals : nullptr,
                                 options.NoticesInDocument ? &run.Notices : nullptr};
    switch (settings.OutType) {
    case OutForm::Standard:
        WriteStandardReport(ctx, settings, lines, addenda);
        break;
    case OutForm::CsvSummary:
        WriteCsvSummary(ctx, settings, lines, addenda);
        break;
    case OutForm::CsvData:
        WriteCsvData(ctx, settings, lines, addenda);
        break;
    case OutForm::SummaryTable:
        WriteSummaryTable(ctx, settings, lines, run, {addenda.Intervals, nullptr});
        break;
    default:
        break;
    }
}

TRunStatus RunReport(const TAnalysisSettings& settings, TResultLines& lines,
                     const TRunOptions& options) {
    return RunAnalysis(settings, lines, &AnalyseGroup, options);
}

} // namespace habitual
