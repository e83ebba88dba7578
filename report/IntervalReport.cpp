#include "report/IntervalReport.h"

#include "engine/Anova1Way.h"
#include "engine/Encoding.h"
#include "engine/LineFormat.h"
#include "report/ReportTexts.h"

namespace habitual {
namespace {

// Columns a CP932 text takes in the fixed-pitch view: two for a double-byte
// character, one for any other byte.
std::size_t Columns(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        ++columns;
        if (IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            ++columns;
            ++i;
        }
    }
    return columns;
}

// text with spaces before it (right-aligned) or after it, to width columns.
std::string Padded(const std::string& text, std::size_t width, bool right) {
    const std::size_t columns = Columns(text);
    if (columns >= width) return text;
    const std::string spaces(width - columns, ' ');
    return right ? spaces + text : text + spaces;
}

std::string Percent(double share) {
    std::string text;
    AppendGeneral(text, 100 * share);
    return text;
}

std::string HeadingText(const TGroupIntervals& iv) {
    return FormatLine(Sjis("信頼区間（ブートストラップ・パーセンタイル法）　反復 %d回　乱数シード "
                           "%s　信頼水準 %d%%"),
                      {iv.Replicates, std::to_string(iv.Seed), iv.Level});
}

std::string FailedText(const TGroupIntervals& iv) {
    return FormatLine(Sjis("習慣摂取量を推定できなかった反復 %d回（%s%%）"),
                      {iv.Failed, Percent(iv.FailedShare())});
}

// How often each power was chosen, one line per power chosen at least once.
void WriteChosenPowers(const TGroupIntervals& iv, TResultLines& lines) {
    lines.Add(Sjis("最良べき数の選ばれた回数（反復のうち）"));
    auto add = [&](const std::string& power, std::int32_t count) {
        if (count == 0) return;
        std::string line = Sjis("　最良べき数＝") + Padded(power, 12, false);
        line += FormatLine(Sjis("%7d回（%s%%）"),
                           {count, Percent(static_cast<double>(count) / iv.Replicates)});
        CutToLine(line);
        lines.Add(line);
    };
    for (std::size_t k = 0; k < iv.CandidateCounts.size(); ++k) {
        std::string power;
        if (k == 0)
            power = Sjis("0(log変換)");
        else
            AppendFixed(power, 1.0 / (0.5 * static_cast<double>(k)));
        add(power, iv.CandidateCounts[k]);
    }
    add(Sjis("なし（無変換）"), iv.NoCandidate);
}

// A figure's line: the label (a format, as the distribution table has it),
// then the one-day and the habitual lower limit, upper limit and standard
// error in the number format of the table.
void AddFigure(TResultLines& lines, const std::string& label,
               std::initializer_list<TFormatArg> labelArgs, const TInterval& daily,
               const TInterval& habit, bool share) {
    std::string line = FormatLine(label, labelArgs);
    std::string number;
    for (const TInterval* iv : {&daily, &habit})
        for (double v : {iv->Lower, iv->Upper, iv->SE}) {
            number.clear();
            FormatLine(number, share ? " %15lf%%" : " %16lf", {v});
            line += number;
        }
    CutToLine(line);
    lines.Add(line);
}

} // namespace

std::string IntervalSummaryText(const TGroupIntervals& iv) {
    std::string text = HeadingText(iv) + Sjis("　") + FailedText(iv);
    CutToLine(text);
    return text;
}

void WriteIntervalBlock(const TGroupIntervals& iv, const std::vector<TCutOff>& cuts,
                        TResultLines& lines) {
    lines.Add(DashLine());
    lines.Add(HeadingText(iv));
    lines.Add(FailedText(iv));
    if (iv.Usable() == 0)
        lines.Add(Sjis("使える反復がないため、習慣摂取量の信頼区間は求められません"));
    if (!iv.CandidateCounts.empty()) WriteChosenPowers(iv, lines);

    // Each title right-aligned over its column of 17 (a space and 16).
    std::string header = Sjis("　　　統計量");
    for (const char* title :
         {"１日下限", "１日上限", "１日標準誤差", "習慣下限", "習慣上限", "習慣標準誤差"})
        header += Padded(Sjis(title), 17, true);
    lines.Add(header);
    for (const TPercentileRow& row : PercentileRows)
        AddFigure(lines, Sjis(row.Label), {}, iv.Daily.Pct[static_cast<std::size_t>(row.Entry)],
                  iv.Habit.Pct[static_cast<std::size_t>(row.Entry)], false);
    AddFigure(lines, Sjis(MeanLabel), {}, iv.Daily.Mean, iv.Habit.Mean, false);
    AddFigure(lines, Sjis(SDLabel), {}, iv.Daily.SD, iv.Habit.SD, false);
    for (std::size_t c = 0; c < cuts.size() && c < iv.Daily.Shares.size(); ++c)
        AddFigure(lines, Sjis(cuts[c].Below ? BelowLabel : AtOrAboveLabel), {cuts[c].Limit},
                  iv.Daily.Shares[c], iv.Habit.Shares[c], true);
}

void WriteNoticeLines(const std::vector<TNotice>& notices, bool quoted, TResultLines& lines) {
    for (const TNotice& notice : notices) {
        std::string line =
            notice.Level == TNotice::TLevel::Info ? Sjis("※参考：") : Sjis("※注意：");
        line += Utf8ToCp932(notice.Text);
        if (quoted) {
            // The closing quote must survive the cut at the line's limit.
            line.resize(Cp932CutLength(line, LineLimit - 2));
            line.insert(line.begin(), '"');
            line += '"';
        }
        CutToLine(line);
        lines.Add(line);
    }
}

} // namespace habitual
