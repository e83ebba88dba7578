#include "report/ReportTexts.h"

#include "engine/Encoding.h"

namespace habitual {

const std::string* HabitualNotEstimable(const TAnova1Way& ctx) {
    static const std::string& noBetween =
        Sjis("個人間分散がゼロまたは人数が１人のため、習慣摂取量の分布は推定できません");
    static const std::string& noWithin =
        Sjis("個人内分散がゼロまたは調査日数が１日のため、習慣摂取量の分布は推定できません");
    if (!(ctx.VB > 0)) return &noBetween;
    if (!(ctx.VW > 0)) return &noWithin;
    return nullptr;
}

} // namespace habitual
