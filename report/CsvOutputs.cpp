#include "engine/Encoding.h"
#include "engine/EstimateGroup.h"
#include "engine/LineFormat.h"
#include "report/CsvCells.h"
#include "report/IntervalReport.h"
#include "report/Report.h"
#include "report/ReportTexts.h"

namespace habitual {
namespace {

using csv::AddInteger;
using csv::AddNumber;
using csv::PercentileEntries;

// One row: label, counts, mean, SD, the percentile entries pct(entry), then
// the shares sharePercent(c), one column per cut-off.
template <class Pct, class SharePercent>
std::string SummaryRow(const std::string& label, int persons, int values, double mean, double sd,
                       Pct pct, std::size_t shares, SharePercent sharePercent) {
    // (Appended piece by piece: GCC 12 warns wrongly about "\"" + label.)
    std::string line(1, '"');
    line += label;
    line += '"';
    AddInteger(line, persons);
    AddInteger(line, values);
    AddNumber(line, mean);
    AddNumber(line, sd);
    for (int entry : PercentileEntries) AddNumber(line, pct(entry));
    std::string column;
    for (std::size_t c = 0; c < shares; ++c) {
        FormatLine(column, ",\"%lg%%\"", {sharePercent(c)});
        line += column;
    }
    CutToLine(line);
    return line;
}

// The row of one distribution's estimates.
template <class ShareBelow>
std::string EstimateRow(const std::string& label, int persons, int values, double mean, double sd,
                        const double (&pct)[101], const std::vector<TCutOff>& cuts,
                        ShareBelow shareBelow) {
    return SummaryRow(
        label, persons, values, mean, sd, [&pct](int entry) { return pct[entry]; }, cuts.size(),
        [&](std::size_t c) {
            const double below = shareBelow(cuts[c].Limit);
            return 100 * (cuts[c].Below ? below : 1 - below);
        });
}

// The rows of one distribution's lower or upper limits.
std::string LimitRow(const std::string& label, int persons, int values,
                     const TDistributionIntervals& d, double TInterval::*limit) {
    return SummaryRow(
        label, persons, values, d.Mean.*limit, d.SD.*limit,
        [&](int entry) { return d.Pct[static_cast<std::size_t>(entry)].*limit; }, d.Shares.size(),
        [&](std::size_t c) { return d.Shares[c].*limit; });
}

void WriteLimitRows(const TAnova1Way& ctx, const TGroupIntervals& iv, TResultLines& lines) {
    lines.Add(LimitRow(Sjis("１日下限"), ctx.NPersonAll, ctx.NData, iv.Daily, &TInterval::Lower));
    lines.Add(LimitRow(Sjis("１日上限"), ctx.NPersonAll, ctx.NData, iv.Daily, &TInterval::Upper));
    lines.Add(LimitRow(Sjis("習慣下限"), ctx.NPersonAll, ctx.NPerson, iv.Habit, &TInterval::Lower));
    lines.Add(LimitRow(Sjis("習慣上限"), ctx.NPersonAll, ctx.NPerson, iv.Habit, &TInterval::Upper));
    std::string line(1, '"');
    line += IntervalSummaryText(iv);
    line.resize(Cp932CutLength(line, LineLimit - 1));
    line += '"';
    lines.Add(line);
}

} // namespace

void WriteCsvSummary(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                     const TReportAddenda& addenda) {
    const std::vector<TCutOff> cuts = ParseCutOffs(settings.CutOffText);
    std::string header = FormatLine(
        Sjis("\"摂取量\",\"人数\",\"データ数\",\"平均\",\"標準偏差\",\"最小値\",\"1%%\",\"5%%\","
             "\"10%%\",\"25%%\",\"50%%\",\"75%%\",\"90%%\",\"95%%\",\"99%%\",\"最大値\""),
        {});
    std::string column;
    for (const TCutOff& cut : cuts) {
        FormatLine(column, cut.Below ? Sjis(",\"%lg未満%%\"") : Sjis(",\"%lg以上%%\""),
                   {cut.Limit});
        header += column;
    }
    CutToLine(header);
    lines.Add(header);

    lines.Add(EstimateRow(Sjis("１日"), ctx.NPersonAll, ctx.NData, DailyMean(ctx), DailySD(ctx),
                          ctx.PctDaily, cuts,
                          [&ctx](double limit) { return DailyShareBelow(ctx, limit); }));
    if (const std::string* message = HabitualNotEstimable(ctx)) {
        lines.Add(*message);
    } else {
        lines.Add(EstimateRow(Sjis("習慣"), ctx.NPersonAll, ctx.NPerson, HabitMean(ctx),
                              HabitSD(ctx), ctx.PctHabit, cuts,
                              [&ctx](double limit) { return HabitShareBelow(ctx, limit); }));
        if (addenda.Intervals) WriteLimitRows(ctx, *addenda.Intervals, lines);
    }
    if (addenda.Notices) WriteNoticeLines(*addenda.Notices, true, lines);
}

void WriteCsvData(TAnova1Way& ctx, const TAnalysisSettings&, TResultLines& lines,
                  const TReportAddenda& addenda) {
    lines.HideView();
    if (const std::string* message = HabitualNotEstimable(ctx)) {
        lines.Add(*message);
    } else {
        lines.Add(Sjis("\"習慣摂取量\""));
        std::string line;
        for (std::int32_t i = 0; i < ctx.NPerson; ++i) {
            line.clear();
            AppendGeneral(line, ctx.Persons[i].Habitual);
            lines.Add(line);
        }
    }
    if (addenda.Notices) WriteNoticeLines(*addenda.Notices, true, lines);
    lines.ShowView();
}

} // namespace habitual
