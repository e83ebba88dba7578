#include "cli/CliApp.h"

#include <charconv>
#include <memory>

#include "cli/CliPlots.h"
#include "cli/Columns.h"
#include "cli/Options.h"
#include "engine/ColumnLabel.h"
#include "engine/Encoding.h"
#include "engine/UserMessages.h"
#include "import/SurveyFile.h"
#include "platform/CommandLine.h"
#include "platform/SaveFile.h"
#include "report/Report.h"
#include "report/ResultsFile.h"

namespace habitual {
namespace {

constexpr int ExitOk = 0, ExitFailed = 1, ExitUsage = 2;

// Every message goes through here, so that a Windows console shows it.
void Tell(std::FILE* err, const std::string& message) {
    WriteText(err, "habitual-cli: " + message + "\n");
}

int UsageError(std::FILE* err, const std::string& message) {
    Tell(err, message + "\n「habitual-cli --help」で使い方を表示します。");
    return ExitUsage;
}

void Warn(std::FILE* err, const std::string& message) {
    Tell(err, "注意: " + message);
}

int Failure(std::FILE* err, const std::string& message) {
    Tell(err, message);
    return ExitFailed;
}

bool WriteAllTo(std::FILE* out, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

// The list is for reading on a terminal: UTF-8 unless Shift-JIS is asked for.
int ListColumns(const THeader& header, bool cp932, std::FILE* out, std::FILE* err) {
    std::string text;
    for (std::size_t c = 0; c < header.Texts.size(); ++c) {
        const std::string label = ColumnLabel(static_cast<int>(c), header.Texts[c]);
        text += cp932 ? label : Cp932ToUtf8(label);
        text += '\n';
    }
    if (!(cp932 ? WriteAllTo(out, text) : WriteText(out, text)))
        return Failure(err, messages::ColumnsNotWritten());
    return ExitOk;
}

// The stages' times, in seconds with three decimals; the group steps are
// summed over the threads, so that they may add up to more than the
// groups' wall time.
std::string StageTimesText(const TStageTimes& times, double total) {
    static const std::pair<TStage, const char*> rows[] = {
        {TStage::Count, "調査データを開いて行を数える"},
        {TStage::Read, "行を記録にする"},
        {TStage::SortByClass, "分類変数の順に並べる"},
        {TStage::SortByPerson, "個人の順に並べる"},
        {TStage::Arrange, "分析変数を並べる"},
        {TStage::Groups, "グループの計算（経過時間）"},
        {TStage::Fill, "　記録を作業域に写す（スレッドの合計）"},
        {TStage::Transform, "　正規化変換（スレッドの合計）"},
        {TStage::Anova, "　分散分析（スレッドの合計）"},
        {TStage::Habitual, "　習慣的摂取量（スレッドの合計）"},
        {TStage::Percentiles, "　パーセンタイル（スレッドの合計）"},
        {TStage::Analysis, "　グループの解析全体（スレッドの合計）"},
        {TStage::Write, "計算結果を書き出す"},
    };
    auto seconds = [](double s) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, s, std::chars_format::fixed, 3);
        return std::string(text, end.ptr);
    };
    std::string text = "habitual-cli: 所要時間（秒）\n";
    for (const auto& [stage, name] : rows)
        text += "  " + seconds(times.Seconds(stage)) + "  " + name + "\n";
    text += "  " + seconds(total) + "  合計\n";
    return text;
}

// Column references to positions; false after reporting the first unknown one.
bool Resolve(const THeader& header, const std::vector<std::string>& refs, std::int32_t* columns,
             const char* option, std::FILE* err) {
    for (std::size_t k = 0; k < refs.size(); ++k) {
        columns[k] = ResolveColumn(header, refs[k]);
        if (columns[k] < 0) {
            Tell(err,
                 std::string(option) + " " + refs[k] +
                     " に当たる列が見出し行にありません。列番号（1〜" +
                     std::to_string(header.Texts.size()) +
                     "）か見出しの文字列を指定してください（「--columns」で一覧を表示します）。");
            return false;
        }
    }
    return true;
}

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const auto start = std::chrono::steady_clock::now();
    TCliOptions o;
    std::string error;
    if (!ParseOptions(args, o, error)) return UsageError(err, error);
    switch (o.Action) {
    case TCliOptions::TAction::Help:
        WriteText(out, UsageText());
        return ExitOk;
    case TCliOptions::TAction::Version:
        WriteText(out, std::string("habitual-cli ") + HABITUAL_VERSION + " (" +
                           HABITUAL_RELEASE_DATE + ")\n");
        return ExitOk;
    default:
        break;
    }

    // The survey is opened once: the header is read from it, and the run
    // takes it over.
    TOpenedSurvey survey = OpenSurvey(o.Survey, o.Input);
    if (!survey.Source) return Failure(err, messages::InputProblem(survey.Problem, o.Survey));
    if (o.SheetGiven && survey.Format != TSurveyFormat::Workbook)
        Warn(err, "--sheet はブック（.xlsx）のときだけ有効です。この指定は使わずに読みます。");
    if (o.InputEncodingGiven && survey.Format == TSurveyFormat::Workbook)
        Warn(err,
             "--input-encoding は CSV ファイルのときだけ有効です。この指定は使わずに読みます。");
    THeader header;
    if (!ReadHeader(survey, header)) return Failure(err, messages::SurveyLoadFailed(o.Survey));
    if (header.Texts.empty()) return Failure(err, messages::SurveyWithoutRows(o.Survey));
    if (o.Action == TCliOptions::TAction::Columns)
        return ListColumns(header, o.EncodingGiven && !o.Utf8, out, err);

    TAnalysisSettings s;
    s.FileName = o.Survey;
    std::vector<std::int32_t> nutrients(o.Nutrients.size());
    if (!Resolve(header, o.Ids, s.IdColumns, "--id", err) ||
        !Resolve(header, o.Classes, s.ClassColumns, "--class", err) ||
        !Resolve(header, o.Nutrients, nutrients.data(), "--nutrient", err))
        return ExitUsage;
    if (!nutrients.empty()) s.NutrientColumn = nutrients.front();
    s.NormalizeMethod = o.Method;
    s.PowerText = Utf8ToCp932(o.Power);
    s.HendoMode = o.HendoMode;
    (o.HendoMode == Hendo::WithinGiven ? s.VWText : s.VWBRatioText) = Utf8ToCp932(o.HendoText);
    s.CutOffText = Utf8ToCp932(o.CutOffs);
    s.OutType = o.Output;
    if (o.HendoMode != Hendo::Estimated && o.Method != Normalize::GivenPower)
        Warn(err, "--within-variance と --variance-ratio は --method power のときだけ有効です。"
                  "この指定は使わずに計算します。");
    if (!o.Power.empty() && o.Method != Normalize::GivenPower)
        Warn(err, "--power は --method power のときだけ有効です。この指定は使わずに計算します。");

    if (o.LogAxis && o.PlotFolder.empty())
        Warn(err, "--log-axis は --plots のときだけ有効です。この指定は使わずに計算します。");
    if (o.Bootstrap == 0 && (o.SeedGiven || o.LevelGiven))
        Warn(err, "--seed, --level は --bootstrap と一緒のときだけ有効です。"
                  "この指定は使わずに計算します。");
    if (o.Bootstrap > 0 && o.Output == OutForm::CsvData)
        Warn(err, "--output data の計算結果には信頼区間を書き出しません"
                  "（信頼区間についての注意事項は標準エラーに出力します）。");

    // The cut-off table is read before the run, so that nothing is written
    // when it cannot be used.
    TCutOffTable cutOffs;
    if (!o.CutOffTable.empty()) {
        TCutOffProblem problem;
        if (!cutOffs.Read(o.CutOffTable, {}, &OpenSurvey, problem))
            return Failure(err, messages::CutOffTableProblem(problem, o.CutOffTable));
    }

    TRunOptions options;
    if (!o.CutOffTable.empty()) options.CutOffs = &cutOffs;
    options.Columns.List = nutrients;
    options.Columns.AllNumeric = o.AllNumeric;
    options.Threads = o.Threads;
    options.Input = o.Input;
    options.Open = [&survey](const std::string&, const TInputOptions&) {
        return std::move(survey);
    };
    options.Bootstrap.Replicates = o.Bootstrap;
    options.Bootstrap.Seed = o.Seed;
    options.Bootstrap.Level = o.Level;
    options.Bootstrap.Threads = o.Threads;
    options.NoticesInDocument = o.WriteNotices;
    TStageTimes times;
    if (o.StageTimes) options.Times = &times;
    options.Notice = [err](const TNotice& notice) {
        const bool warning = notice.Level == TNotice::TLevel::Warning;
        Tell(err, std::string(warning ? "注意: " : "参考: ") + notice.Group +
                      (notice.Group.empty() ? "" : " ") + notice.Text);
    };
    // The plots are written as the groups are analysed, so that no group's
    // values outlive its plots.
    std::unique_ptr<TCliPlots> plots;
    if (!o.PlotFolder.empty()) {
        plots = std::make_unique<TCliPlots>(o.PlotFolder, o.LogAxis,
                                            o.AllNumeric || o.Nutrients.size() > 1);
        std::string plotError;
        if (!plots->Prepare(plotError)) return Failure(err, plotError);
        plots->Attach(options);
    }
    TMemoryResultLines document;
    const TRunStatus status = RunReport(s, document, options);
    if (!status.Ok()) return Failure(err, RunErrorMessage(status, o.Survey));
    std::string plotError;
    const bool plotsWritten = !plots || plots->Finish(plotError);

    {
        TStageTimer write(options.Times, TStage::Write);
        if (o.Utf8) {
            for (std::string& line : document.Lines) line = Cp932ToUtf8(line);
        }
        const std::string bytes = JoinResultsLines(document.Lines);
        if (o.OutputFile.empty()) {
            if (!WriteAllTo(out, bytes)) return Failure(err, messages::ResultsNotWrittenToStdout());
        } else if (!SaveFile(o.OutputFile, bytes)) {
            return Failure(err, messages::ResultsNotWritten(o.OutputFile));
        }
    }
    if (o.StageTimes)
        WriteText(
            err,
            StageTimesText(
                times,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()));
    // The results are written even when a plot is not.
    if (!plotsWritten) return Failure(err, plotError);
    return ExitOk;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    // Memory can run out anywhere, not only in the run itself; the message
    // is written without obtaining any more.
    try {
        return Run(args, out, err);
    } catch (const std::bad_alloc&) {
        std::fputs("habitual-cli: ", err);
        std::fputs(messages::OutOfMemory(), err);
        std::fputs("\n", err);
    } catch (const std::exception& e) {
        Tell(err, std::string("計算できませんでした: ") + e.what());
    }
    return ExitFailed;
}

} // namespace habitual
