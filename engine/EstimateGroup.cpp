#include "engine/EstimateGroup.h"

#include <cmath>

#include "engine/Decimal.h"

namespace habitual {

void EstimateGroup(TAnova1Way& ctx, const TAnalysisSettings& settings) {
    ctx.NormalizeMethod = settings.NormalizeMethod;
    ctx.VWSpec = std::fabs(ParseDecimal(settings.VWText));
    ctx.VWBRatioSpec = std::fabs(ParseDecimal(settings.VWBRatioText));
    Transform(ctx, settings);
    Anova(ctx, settings);
    EstimateHabitual(ctx, settings);
    ComputePercentiles(ctx);
}

} // namespace habitual
