#include "report/ReportTexts.h"

#include "engine/Encoding.h"

namespace habitual {

const std::string* HabitualNotEstimable(const TAnova1Way& ctx) {
    return HabitualNotEstimable(ctx.VW, ctx.VB);
}

const std::string* HabitualNotEstimable(double vw, double vb) {
    static const std::string& noBetween =
        Sjis("個人間分散がゼロまたは人数が１人のため、習慣摂取量の分布は推定できません");
    static const std::string& noWithin =
        Sjis("個人内分散がゼロまたは調査日数が１日のため、習慣摂取量の分布は推定できません");
    if (!(vb > 0)) return &noBetween;
    if (!(vw > 0)) return &noWithin;
    return nullptr;
}

} // namespace habitual
