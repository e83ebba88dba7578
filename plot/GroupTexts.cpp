#include "plot/GroupTexts.h"

#include <numeric>

#include "engine/Encoding.h"
#include "plot/Numbers.h"
#include "report/ReportTexts.h"

namespace habitual::plot {

std::string NutrientText(const TGroupHeading& heading) {
    const std::string name = Cp932ToUtf8(heading.NutrientName);
    return name.empty() ? std::string("分析変数") : name;
}

std::string HeadingText(const TGroupHeading& heading) {
    std::string text = NutrientText(heading);
    if (heading.ClassLine) text += "　" + Cp932ToUtf8(heading.ClassPieces());
    return text;
}

std::string CandidateLabel(int k) {
    if (k <= 0) return "log";
    // The exponent 1 / b with b = k / 2, that is 2 / k, in lowest terms.
    const int g = std::gcd(2, k);
    const int num = 2 / g, den = k / g;
    return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den);
}

std::string MethodText(const TGroupResult& r) {
    const std::string power = r.LogApplied ? std::string("対数変換") : "べき数 " + General(r.Power);
    switch (r.NormalizeMethod) {
    case Normalize::BestPower:
        if (r.ChosenCandidate < 0) return "最良べき乗変換：候補なし（無変換）";
        return "最良べき乗変換：" + (r.ChosenCandidate == 0
                                         ? std::string("対数変換")
                                         : "べき数 " + CandidateLabel(r.ChosenCandidate));
    case Normalize::Log:
        return "対数変換";
    case Normalize::None:
        return "無変換";
    default:
        return "べき数指定：" + power;
    }
}

std::string HabitualMissingText(const TGroupResult& r) {
    if (r.HabitualShown) return {};
    const std::string* message = HabitualNotEstimable(r.VW, r.VB);
    return message ? Cp932ToUtf8(*message) : std::string("習慣摂取量の分布は推定できません");
}

} // namespace habitual::plot
