#include "engine/ReliabilityNotices.h"

#include <charconv>
#include <string>

#include "engine/LineFormat.h"
#include "engine/PlotCriticalValues.h"
#include "engine/Transform.h"

namespace habitual {
namespace {

// A percentage with one decimal, as a reader takes it in at a glance.
std::string Percent(double share) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, 100 * share, std::chars_format::fixed, 1).ptr;
    return std::string(text, end) + "%";
}

std::string Fixed(double v) {
    std::string text;
    AppendFixed(text, v);
    return text;
}

TNotice Warning(std::string text) {
    return {TNotice::TLevel::Warning, {}, std::move(text)};
}

TNotice Info(std::string text) {
    return {TNotice::TLevel::Info, {}, std::move(text)};
}

} // namespace

std::vector<TNotice> GroupNotices(const TAnova1Way& ctx, const TAnalysisSettings& settings,
                                  const TGroupIntervals* intervals) {
    std::vector<TNotice> notices;
    if (ctx.NPersonAll < Reliability::MinPersons)
        notices.push_back(Warning("人数が" + std::to_string(ctx.NPersonAll) +
                                  "人で、50人未満です。50～60人に満たないグループの分布は"
                                  "信頼性が低いとされます。"));
    // A given within-person variance or ratio does not come from the
    // repeated days.
    if (!GivenVarianceInForce(ctx.NormalizeMethod, settings.HendoMode)) {
        const std::string repeaters = std::to_string(ctx.NMultiDay);
        if (ctx.NMultiDay < Reliability::FewRepeaters)
            notices.push_back(Warning("複数日調査の人数が" + repeaters +
                                      "人で、10人未満です。個人内分散をほとんど推定できないため、"
                                      "習慣摂取量の分布は信頼できません。"));
        else if (ctx.NMultiDay < Reliability::MinRepeaters)
            notices.push_back(Warning("複数日調査の人数が" + repeaters +
                                      "人で、30人未満です。個人内分散の推定が不安定です"
                                      "（30～40人以上が望まれます）。"));
    }
    std::int32_t zeros = 0, negatives = 0;
    for (std::int32_t i = 0; i < ctx.NData; ++i) {
        if (ctx.Records[i].Value == 0) ++zeros;
        if (ctx.Records[i].Value < 0) ++negatives;
    }
    const double zeroShare = static_cast<double>(zeros) / ctx.NData;
    if (zeroShare > Reliability::MaxZeroShare)
        notices.push_back(Warning(
            "摂取量が0の日がデータの" + Percent(zeroShare) +
            "あります（10%を超えています）。この方法はほぼ毎日摂取される栄養素・食品を前提と"
            "しています。摂取しない日の多い食品には、摂取頻度を考慮した方法が必要です。"));
    if (negatives > 0)
        notices.push_back(Warning("負の値が" + std::to_string(negatives) +
                                  "件あります。摂取量として正しいか確かめてください"
                                  "（対数変換や分数のべき乗では数値になりません）。"));
    const double critical = PlotRSquareCriticalValue(ctx.NData);
    // Under the best power the search has the chosen transformation's
    // R-square already: the one the report prints.
    const double rSquare = ctx.NormalizeMethod == Normalize::BestPower && ctx.ChosenCandidate >= 0
                               ? ctx.RSquare
                               : TransformedPlotRSquare(ctx);
    if (rSquare < critical)
        notices.push_back(
            Info("変換後の値の正規確率プロットの R-square（" + Fixed(rSquare) + "）が、データ数" +
                 std::to_string(ctx.NData) +
                 "での正規性の検定（確率プロット相関検定、5%水準）の限界値" + Fixed(critical) +
                 "を下回っています。変換後の分布が正規分布から外れている可能性があります。"
                 "正規確率プロットで確かめてください。"));
    if (intervals) {
        if (intervals->FailedShare() > Reliability::MaxFailedShare)
            notices.push_back(Warning("ブートストラップの反復の" +
                                      Percent(intervals->FailedShare()) +
                                      "で、個人間分散または個人内分散がゼロ以下となり、"
                                      "習慣摂取量の分布を推定できませんでした。"
                                      "習慣摂取量の信頼区間は不安定です。"));
        if (intervals->Usable() < Reliability::MinUsableReplicates)
            notices.push_back(Warning("習慣摂取量の信頼区間に使えた反復が" +
                                      std::to_string(intervals->Usable()) +
                                      "回で、200回未満です。反復回数を増やしてください。"));
    }
    return notices;
}

} // namespace habitual
