#include <cmath>

#include "engine/Decimal.h"
#include "engine/Estimation.h"
#include "report/Report.h"

namespace habitual {

void AnalyseGroup(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines) {
    ctx.NormalizeMethod = settings.NormalizeMethod;
    ctx.VWSpec = std::fabs(ParseDecimal(settings.VWText));
    ctx.VWBRatioSpec = std::fabs(ParseDecimal(settings.VWBRatioText));
    Transform(ctx, settings);
    Anova(ctx, settings);
    EstimateHabitual(ctx, settings);
    ComputePercentiles(ctx);
    switch (settings.OutType) {
    case 0:
        WriteStandardReport(ctx, settings, lines);
        break;
    case 1:
        WriteCsvSummary(ctx, settings, lines);
        break;
    case 2:
        WriteCsvData(ctx, settings, lines);
        break;
    default:
        break;
    }
}

TRunStatus RunReport(const TAnalysisSettings& settings, TResultLines& lines) {
    return RunAnalysis(settings, lines, &AnalyseGroup);
}

} // namespace habitual
