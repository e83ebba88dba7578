#include "engine/Encoding.h"
#include "engine/EstimateGroup.h"
#include "engine/LineFormat.h"
#include "report/IntervalReport.h"
#include "report/Report.h"
#include "report/ReportTexts.h"

namespace habitual {
namespace {

void Add(TResultLines& lines, std::string& line, std::string_view format,
         std::initializer_list<TFormatArg> args) {
    FormatLine(line, format, args);
    lines.Add(line);
}

// An analysis-of-variance row with no degrees of freedom has no mean square;
// it is shown as 0.
double MeanSquare(double ss, std::int32_t df) {
    return df == 0 ? 0.0 : ss / df;
}

void WriteMethodLines(const TAnova1Way& ctx, TResultLines& lines, std::string& line) {
    static const std::string* methodText[] = {&Sjis("最良べき乗変換（分散分析は変換後の値）"),
                                              &Sjis("対数変換（分散分析は変換後の値）"),
                                              &Sjis("無変換"), &Sjis("べき乗変換（べき数指定）")};
    // Any value but the first three is the given power.
    const int method =
        ctx.NormalizeMethod >= Normalize::BestPower && ctx.NormalizeMethod <= Normalize::None
            ? ctx.NormalizeMethod
            : Normalize::GivenPower;
    Add(lines, line, Sjis("正規化方法＝%s"), {*methodText[method]});
    if (method == Normalize::BestPower && ctx.Power == 0)
        Add(lines, line, Sjis("最良べき数＝0(log変換) (R-square=%lf)"), {ctx.RSquare});
    else if (method == Normalize::BestPower)
        Add(lines, line, Sjis("最良べき数＝%lf (R-square=%lf)"), {ctx.Power, ctx.RSquare});
    else if (method == Normalize::GivenPower && ctx.Power == 0)
        Add(lines, line, Sjis("指定べき数＝0(log変換)"), {});
    else if (method == Normalize::GivenPower)
        Add(lines, line, Sjis("指定べき数＝%lf"), {ctx.Power});
    if (LogApplied(ctx) && ctx.LogOffset != 0) {
        Add(lines, line,
            Sjis("※データに0が含まれるため非0の最小値/2=%lfを加えてから対数変換しました."),
            {ctx.LogOffset});
        lines.Add("");
    }
}

void WriteAnovaTable(const TAnova1Way& ctx, TResultLines& lines, std::string& line) {
    lines.Add(Sjis("分散分析表"));
    lines.Add(Sjis("変動因　　自由度   　　　　  平方和 　　　   平均平方"));
    Add(lines, line, Sjis("モデル  %8d   %16lf  %16lf"),
        {ctx.DFModel, ctx.SSModel, MeanSquare(ctx.SSModel, ctx.DFModel)});
    Add(lines, line, Sjis("誤差    %8d   %16lf  %16lf"),
        {ctx.DFError, ctx.SSError, MeanSquare(ctx.SSError, ctx.DFError)});
    Add(lines, line, Sjis("全体    %8d   %16lf  %16lf"),
        {ctx.DFTotal, ctx.SSTotal, MeanSquare(ctx.SSTotal, ctx.DFTotal)});
}

void WriteDistributions(const TAnova1Way& ctx, const TAnalysisSettings& settings,
                        TResultLines& lines, std::string& line) {
    Add(lines, line, Sjis("個人内／個人間分散比（標準偏差比） %8lf (%8lf)"),
        {ctx.VW / ctx.VB, ctx.SDW / ctx.SDB});
    lines.Add(DashLine());
    lines.Add(Sjis("　　　統計量　　　 １日摂取量　　　 習慣摂取量"));
    for (const TPercentileRow& row : PercentileRows)
        Add(lines, line, Sjis(std::string(row.Label) + " %16lf %16lf"),
            {ctx.PctDaily[row.Entry], ctx.PctHabit[row.Entry]});
    Add(lines, line, Sjis(std::string(MeanLabel) + " %16lf %16lf"),
        {DailyMean(ctx), HabitMean(ctx)});
    Add(lines, line, Sjis(std::string(SDLabel) + " %16lf %16lf"), {DailySD(ctx), HabitSD(ctx)});
    for (const TCutOff& cut : ParseCutOffs(settings.CutOffText)) {
        const double d = DailyShareBelow(ctx, cut.Limit);
        const double h = HabitShareBelow(ctx, cut.Limit);
        if (cut.Below)
            Add(lines, line, Sjis(std::string(BelowLabel) + " %15lf%% %15lf%%"),
                {cut.Limit, 100 * d, 100 * h});
        else
            Add(lines, line, Sjis(std::string(AtOrAboveLabel) + " %15lf%% %15lf%%"),
                {cut.Limit, 100 * (1 - d), 100 * (1 - h)});
    }
}

} // namespace

void WriteStandardReport(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines,
                         const TReportAddenda& addenda) {
    const std::string& dashes = DashLine();
    std::string line;
    WriteMethodLines(ctx, lines, line);
    lines.Add(dashes);
    Add(lines, line, Sjis("データ数 %15d"), {ctx.N});
    Add(lines, line, Sjis("平均　　%16lf"), {ctx.Mean});
    Add(lines, line, Sjis("分散　　%16lf"), {ctx.Var});
    Add(lines, line, Sjis("標準偏差%16lf"), {ctx.SD});
    lines.Add(dashes);
    Add(lines, line, Sjis("人数     %d"), {ctx.NPersonAll});
    Add(lines, line, Sjis("うち複数日調査の人数    %d"), {ctx.NMultiDay});
    Add(lines, line, Sjis("複数日調査の平均日数（範囲） %lg (%d - %d)"),
        {ctx.MeanDays, ctx.MinDays, ctx.MaxDays});
    lines.Add(dashes);
    if (GivenVarianceInForce(ctx.NormalizeMethod, settings.HendoMode))
        lines.Add(settings.HendoMode == Hendo::WithinGiven
                      ? Sjis("個人内分散を指定したため、分散分析表は出力しません")
                      : Sjis("個人内／個人間分散比を指定したため、分散分析表は出力しません"));
    else
        WriteAnovaTable(ctx, lines, line);
    lines.Add(dashes);
    Add(lines, line, Sjis("個人内分散（標準偏差） %16lf (%16lf)"), {ctx.VW, ctx.SDW});
    Add(lines, line, Sjis("個人間分散（標準偏差） %16lf (%16lf)"), {ctx.VB, ctx.SDB});
    if (const std::string* message = HabitualNotEstimable(ctx)) {
        lines.Add(*message);
    } else {
        WriteDistributions(ctx, settings, lines, line);
        if (addenda.Intervals)
            WriteIntervalBlock(*addenda.Intervals, ParseCutOffs(settings.CutOffText), lines);
    }
    if (addenda.Notices) WriteNoticeLines(*addenda.Notices, false, lines);
    lines.Add("");
    lines.ScrollToCaret();
}

} // namespace habitual
