#include <cmath>

#include "engine/Encoding.h"
#include "engine/EstimateGroup.h"
#include "engine/GroupHeading.h"
#include "engine/LineFormat.h"
#include "report/CsvCells.h"
#include "report/IntervalReport.h"
#include "report/Report.h"
#include "report/ReportTexts.h"

namespace habitual {
namespace {

using csv::AddInteger;
using csv::AddNumber;
using csv::AddText;

// One distribution's figures for a row; not numbers where a row has none.
struct TFigures {
    double Mean = NAN, SD = NAN;
    const double* Pct = nullptr; // 101 entries, or none
    std::vector<double> Shares;  // in percent, one per cut-off
};

std::string CutOffLabel(const TCutOff& cut) {
    return FormatLine(Sjis(cut.Below ? "%lg未満" : "%lg以上"), {cut.Limit});
}

void AddRow(TResultLines& lines, const TGroupHeading& heading, const std::string& label,
            int persons, const int* values, const TFigures& f, const std::vector<TCutOff>& cuts,
            int mostCutOffs, const std::string& remark) {
    std::string line;
    AddText(line, heading.NutrientName);
    for (int k = 0; k < 3; ++k)
        if (!heading.ClassNames[k].empty()) AddText(line, heading.ClassTexts[k]);
    AddText(line, label);
    AddInteger(line, persons);
    if (values)
        AddInteger(line, *values);
    else
        line += ',';
    auto number = [&line](double v, bool present) {
        if (present)
            AddNumber(line, v);
        else
            line += ',';
    };
    number(f.Mean, f.Pct != nullptr);
    number(f.SD, f.Pct != nullptr);
    for (int entry : csv::PercentileEntries) number(f.Pct ? f.Pct[entry] : 0, f.Pct != nullptr);
    for (int c = 0; c < mostCutOffs; ++c) {
        const auto at = static_cast<std::size_t>(c);
        if (at < cuts.size()) {
            AddText(line, CutOffLabel(cuts[at]));
            number(at < f.Shares.size() ? f.Shares[at] : 0, at < f.Shares.size());
        } else {
            line += ",,";
        }
    }
    AddText(line, remark);
    CutToLine(line);
    lines.Add(line);
}

void WriteHeader(const TGroupHeading& heading, int mostCutOffs, TResultLines& lines) {
    std::string line;
    AddText(line, Sjis("分析変数"));
    for (int k = 0; k < 3; ++k)
        if (!heading.ClassNames[k].empty()) AddText(line, heading.ClassNames[k]);
    for (const char* title : {"分布", "人数", "データ数", "平均", "標準偏差", "最小値", "1%", "5%",
                              "10%", "25%", "50%", "75%", "90%", "95%", "99%", "最大値"})
        AddText(line, Sjis(title));
    for (int c = 1; c <= mostCutOffs; ++c) {
        AddText(line, Sjis("カットオフ値") + std::to_string(c));
        AddText(line, Sjis("割合") + std::to_string(c) + "(%)");
    }
    AddText(line, Sjis("備考"));
    CutToLine(line);
    lines.Add(line);
}

// One distribution's estimates as a row's figures: the shares in percent,
// below each limit or at and above it as the cut-off asks.
template <class ShareBelow>
TFigures Estimates(double mean, double sd, const double* pct, const std::vector<TCutOff>& cuts,
                   ShareBelow shareBelow) {
    TFigures f;
    f.Mean = mean;
    f.SD = sd;
    f.Pct = pct;
    for (const TCutOff& cut : cuts) {
        const double below = shareBelow(cut.Limit);
        f.Shares.push_back(100 * (cut.Below ? below : 1 - below));
    }
    return f;
}

// The limits of one distribution's intervals as a row's figures.
TFigures Limits(const TDistributionIntervals& d, double TInterval::*limit, double (&pct)[101]) {
    TFigures f;
    for (std::size_t p = 0; p <= 100; ++p) pct[p] = d.Pct[p].*limit;
    f.Pct = pct;
    f.Mean = d.Mean.*limit;
    f.SD = d.SD.*limit;
    for (const TInterval& share : d.Shares) f.Shares.push_back(share.*limit);
    return f;
}

} // namespace

void WriteSummaryTable(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupRun& run, const TReportAddenda& addenda) {
    if (!run.Heading) return;
    const TGroupHeading& heading = *run.Heading;
    if (run.FirstAnalysed) WriteHeader(heading, run.MostCutOffs, lines);
    const std::vector<TCutOff> cuts = ParseCutOffs(settings.CutOffText);
    const int most = run.MostCutOffs;

    const TFigures daily = Estimates(DailyMean(ctx), DailySD(ctx), ctx.PctDaily, cuts,
                                     [&ctx](double limit) { return DailyShareBelow(ctx, limit); });
    AddRow(lines, heading, Sjis("１日"), ctx.NPersonAll, &ctx.NData, daily, cuts, most, "");
    if (const std::string* message = HabitualNotEstimable(ctx)) {
        AddRow(lines, heading, Sjis("習慣"), ctx.NPersonAll, nullptr, TFigures{}, cuts, most,
               *message);
        return;
    }
    const TFigures habit = Estimates(HabitMean(ctx), HabitSD(ctx), ctx.PctHabit, cuts,
                                     [&ctx](double limit) { return HabitShareBelow(ctx, limit); });
    AddRow(lines, heading, Sjis("習慣"), ctx.NPersonAll, &ctx.NPerson, habit, cuts, most, "");
    if (!addenda.Intervals) return;
    const TGroupIntervals& iv = *addenda.Intervals;
    double pct[101];
    AddRow(lines, heading, Sjis("１日下限"), ctx.NPersonAll, &ctx.NData,
           Limits(iv.Daily, &TInterval::Lower, pct), cuts, most, IntervalSummaryText(iv));
    AddRow(lines, heading, Sjis("１日上限"), ctx.NPersonAll, &ctx.NData,
           Limits(iv.Daily, &TInterval::Upper, pct), cuts, most, "");
    AddRow(lines, heading, Sjis("習慣下限"), ctx.NPersonAll, &ctx.NPerson,
           Limits(iv.Habit, &TInterval::Lower, pct), cuts, most, "");
    AddRow(lines, heading, Sjis("習慣上限"), ctx.NPersonAll, &ctx.NPerson,
           Limits(iv.Habit, &TInterval::Upper, pct), cuts, most, "");
}

} // namespace habitual
