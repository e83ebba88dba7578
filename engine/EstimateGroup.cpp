#include "engine/EstimateGroup.h"

#include <cmath>

#include "engine/Decimal.h"

namespace habitual {

void EstimateGroup(TAnova1Way& ctx, const TAnalysisSettings& settings) {
    ctx.NormalizeMethod = settings.NormalizeMethod;
    ctx.VWSpec = std::fabs(ParseDecimal(settings.VWText));
    ctx.VWBRatioSpec = std::fabs(ParseDecimal(settings.VWBRatioText));
    {
        TStageTimer t(ctx.Times, TStage::Transform);
        Transform(ctx, settings);
    }
    {
        TStageTimer t(ctx.Times, TStage::Anova);
        Anova(ctx, settings);
    }
    {
        TStageTimer t(ctx.Times, TStage::Habitual);
        EstimateHabitual(ctx, settings);
    }
    TStageTimer t(ctx.Times, TStage::Percentiles);
    ComputePercentiles(ctx);
}

} // namespace habitual
