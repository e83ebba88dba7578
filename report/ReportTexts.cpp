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

const TPercentileRow PercentileRows[11] = {
    {"　　　最小値", 0},   {"　　　　1%%点", 1},  {"　　　　5%%点", 5},  {"　　　 10%%点", 10},
    {"　　　 25%%点", 25}, {"　　　 50%%点", 50}, {"　　　 75%%点", 75}, {"　　　 90%%点", 90},
    {"　　　 95%%点", 95}, {"　　　 99%%点", 99}, {"　　  最大値", 100},
};
const char* const MeanLabel = "　　　　平均";
const char* const SDLabel = "　　標準偏差";
const char* const BelowLabel = "%7lg未満%%";
const char* const AtOrAboveLabel = "%7lg以上%%";

const std::string& DashLine() {
    return Sjis("------------------------------------------------");
}

} // namespace habitual
