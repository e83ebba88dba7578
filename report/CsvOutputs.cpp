#include "engine/Encoding.h"
#include "engine/EstimateGroup.h"
#include "engine/LineFormat.h"
#include "report/Report.h"
#include "report/ReportTexts.h"

namespace habitual {
namespace {

constexpr int PercentileEntries[] = {0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100};

// Adds ",<value>" in "%lg".
void AddNumber(std::string& line, double v) {
    line += ',';
    AppendGeneral(line, v);
}

void AddInteger(std::string& line, int v) {
    line += ',';
    line += std::to_string(v);
}

// One row: label, counts, mean, SD, percentiles, then a share column per cut-off.
template <class ShareBelow>
std::string SummaryRow(const std::string& label, int persons, int values, double mean, double sd,
                       const double (&pct)[101], const std::vector<TCutOff>& cuts,
                       ShareBelow shareBelow) {
    std::string line = "\"" + label + "\"";
    AddInteger(line, persons);
    AddInteger(line, values);
    AddNumber(line, mean);
    AddNumber(line, sd);
    for (int entry : PercentileEntries) AddNumber(line, pct[entry]);
    std::string column;
    for (const TCutOff& cut : cuts) {
        const double below = shareBelow(cut.Limit);
        FormatLine(column, ",\"%lg%%\"", {100 * (cut.Below ? below : 1 - below)});
        line += column;
    }
    CutToLine(line);
    return line;
}

} // namespace

void WriteCsvSummary(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines) {
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

    lines.Add(SummaryRow(Sjis("１日"), ctx.NPersonAll, ctx.NData, DailyMean(ctx), DailySD(ctx),
                         ctx.PctDaily, cuts,
                         [&ctx](double limit) { return DailyShareBelow(ctx, limit); }));
    if (const std::string* message = HabitualNotEstimable(ctx)) {
        lines.Add(*message);
        return;
    }
    lines.Add(SummaryRow(Sjis("習慣"), ctx.NPersonAll, ctx.NPerson, HabitMean(ctx), HabitSD(ctx),
                         ctx.PctHabit, cuts,
                         [&ctx](double limit) { return HabitShareBelow(ctx, limit); }));
}

void WriteCsvData(TAnova1Way& ctx, const TAnalysisSettings&, TResultLines& lines) {
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
    lines.ShowView();
}

} // namespace habitual
