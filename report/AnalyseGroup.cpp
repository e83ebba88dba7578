#include "engine/EstimateGroup.h"
#include "report/Report.h"

namespace habitual {

void AnalyseGroup(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines) {
    EstimateGroup(ctx, settings);
    switch (settings.OutType) {
    case OutForm::Standard:
        WriteStandardReport(ctx, settings, lines);
        break;
    case OutForm::CsvSummary:
        WriteCsvSummary(ctx, settings, lines);
        break;
    case OutForm::CsvData:
        WriteCsvData(ctx, settings, lines);
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
