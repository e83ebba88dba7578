#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <algorithm>
#include <filesystem>

#include "cli/CliPlots.h"
#include "engine/Encoding.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFile.h"
#include "tests/support/TempFolder.h"

using namespace habitual;
using habitual::test::Outcome;
using habitual::test::RunTool;
using habitual::test::TempFile;
using habitual::test::TempFolder;

namespace {

const std::string Survey = Utf8ToCp932("地区,番号,性別,エネルギー\r\n"
                                       "1,1,1,1800\r\n1,2,1,2100\r\n1,3,2,1500\r\n"
                                       "1,1,1,1900\r\n1,2,1,2500\r\n1,3,2,1700\r\n"
                                       "1,4,2,1600\r\n1,4,2,1400\r\n");

} // namespace

// The command line's own statuses and messages. Surveys the tool cannot
// read or runs it refuses are the hardening suite's (tests/hardening).
TEST(Cli, ExitStatusAndMessages) {
    TempFile survey(Survey);
    const std::string s = survey.Path;
    struct Case {
        std::vector<std::string> Args;
        int Status;
        std::string ErrFragment;
    } cases[] = {
        {{s, "--id", "2", "--nutrient", "4"}, 0, ""},
        {{}, 2, "調査データのファイルを指定してください"},
        {{s, "--id", "2"}, 2, "--nutrient"},
        {{s, "--nutrient", "4", "--nutrient", "all-numeric"}, 2, "一緒には指定できません"},
        {{s, "--nutrient", "4", "--nutrient", "9"}, 2, "--nutrient 9 に当たる列"},
        {{s, "--nutrient", "4", "--output", "table"}, 2, "summary-table"},
        {{s, "--nutrient", "4", "--cutoff-table", "/no/such/table.csv"},
         1,
         "カットオフ値の表[/no/such/table.csv]を読み込めませんでした"},
        {{s, "--nutrient", "9"}, 2, "列番号（1〜4）"},
        {{s, "--nutrient", "0"}, 2, "見出し行にありません"},
        {{s, "--nutrient", "たんぱく質"}, 2, "見出し行にありません"},
        {{s, "--nutrient", "4", "--method", "cube"}, 2, "best, log, none, power"},
        {{s, "--nutrient", "4", "--output", "pdf"}, 2, "standard, summary, data"},
        {{s, "--nutrient", "4", "--encoding", "euc"}, 2, "cp932 か utf-8"},
        {{s, "--nutrient"}, 2, "値を指定してください"},
        {{s, "--nutrient", "4", "--bogus"}, 2, "知らないオプション"},
        {{s, "--nutrient", "4", "--within-variance", "1", "--variance-ratio", "2"},
         2,
         "どちらか1つ"},
        {{s, "--id", "1", "--id", "1", "--id", "1", "--id", "1", "--id", "1", "--nutrient", "4"},
         2,
         "4つまで"},
        {{s, "--nutrient", "4", "--within-variance", "1"}, 0, "--method power のときだけ有効"},
        {{s, "--nutrient", "4", "--power", "0.5"}, 0, "--power は --method power"},
        {{s, "--nutrient", "4", "--plots"}, 2, "値を指定してください"},
        {{s, "--nutrient", "4", "--plots", ""}, 2, "フォルダを指定してください"},
        {{s, "--nutrient", "4", "--log-axis"}, 0, "--log-axis は --plots のときだけ有効"},
        {{s, "--nutrient", "4", "--bootstrap", "99"}, 2, "100 から 100000 まで"},
        {{s, "--nutrient", "4", "--bootstrap", "100001"}, 2, "100 から 100000 まで"},
        {{s, "--nutrient", "4", "--bootstrap", "many"}, 2, "--bootstrap には"},
        {{s, "--nutrient", "4", "--bootstrap", "0"}, 0, ""},
        {{s, "--nutrient", "4", "--bootstrap", "100", "--seed", "-1"}, 2, "--seed には"},
        {{s, "--nutrient", "4", "--bootstrap", "100", "--seed", "18446744073709551616"},
         2,
         "--seed には"},
        {{s, "--nutrient", "4", "--bootstrap", "100", "--level", "80"}, 2, "90, 95, 99"},
        {{s, "--nutrient", "4", "--bootstrap", "100", "--threads", "0"}, 2, "--threads には"},
        {{s, "--nutrient", "4", "--seed", "5"}, 0, "--bootstrap と一緒のときだけ有効"},
        {{s, "--id", "2", "--nutrient", "4", "--bootstrap", "100", "--output", "data"},
         0,
         "信頼区間を書き出しません"},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.Args) joined += a + " ";
        const Outcome o = RunTool(c.Args);
        EXPECT_EQ(o.Status, c.Status) << joined << o.Err;
        EXPECT_NE(o.Err.find(c.ErrFragment), std::string::npos) << joined << o.Err;
        if (c.Status != 0) {
            EXPECT_TRUE(o.Out.empty()) << joined;
        }
    }
}

TEST(Cli, ColumnReferencesByNumberTextOrLabel) {
    TempFile survey(Survey);
    const Outcome byNumber = RunTool({survey.Path, "--id", "2", "--class", "3", "--nutrient", "4"});
    ASSERT_EQ(byNumber.Status, 0);
    for (const auto& refs : std::vector<std::vector<std::string>>{
             {"番号", "性別", "エネルギー"}, {"2.番号", "3.性別", "4.エネルギー"}}) {
        const Outcome o =
            RunTool({survey.Path, "--id", refs[0], "--class", refs[1], "--nutrient", refs[2]});
        EXPECT_EQ(o.Status, 0) << o.Err;
        EXPECT_EQ(o.Out, byNumber.Out);
    }
    EXPECT_NE(Cp932ToUtf8(byNumber.Out).find("分類変数：[性別=2]\r\n"), std::string::npos);
}

TEST(Cli, ListsColumnsAndTellsItsVersion) {
    TempFile survey(Survey);
    EXPECT_EQ(RunTool({survey.Path, "--columns"}).Out, "1.地区\n2.番号\n3.性別\n4.エネルギー\n");
    EXPECT_EQ(RunTool({survey.Path, "--columns", "--encoding", "cp932"}).Out,
              Utf8ToCp932("1.地区\n2.番号\n3.性別\n4.エネルギー\n"));
    const Outcome version = RunTool({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("habitual-cli ", 0), 0u);
    const Outcome help = RunTool({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("--nutrient"), std::string::npos);
}

TEST(Cli, DocumentBytesInBothEncodings) {
    TempFile survey(Survey);
    const Outcome cp932 =
        RunTool({survey.Path, "--id", "2", "--nutrient", "4", "--output", "summary"});
    const Outcome utf8 = RunTool({survey.Path, "--id", "2", "--nutrient", "4", "--output",
                                  "summary", "--encoding", "utf-8"});
    ASSERT_EQ(cp932.Status, 0);
    EXPECT_EQ(Cp932ToUtf8(cp932.Out), utf8.Out);
    EXPECT_EQ(utf8.Out.substr(0, 62),
              "============================================================\r\n");
    EXPECT_EQ(utf8.Out.substr(utf8.Out.size() - 2), "\r\n");
    EXPECT_EQ(utf8.Out.find("\n\n"), std::string::npos);
    EXPECT_NE(utf8.Out.find("\r\n分析変数：[エネルギー]\r\n\"摂取量\",\"人数\""),
              std::string::npos);
}

// -o writes what standard output would show, and nothing to standard output.
// How files are saved is the saving rules' own suite (tests/hardening).
TEST(Cli, OutputFileHoldsTheDocument) {
    TempFile survey(Survey);
    TempFile target("previous results", ".txt");
    const std::vector<std::string> run = {survey.Path, "--id", "2", "--nutrient", "4"};
    std::vector<std::string> args = run;
    args.insert(args.end(), {"-o", target.Path});
    const Outcome ok = RunTool(args);
    ASSERT_EQ(ok.Status, 0) << ok.Err;
    EXPECT_TRUE(ok.Out.empty());
    EXPECT_EQ(target.Read(), RunTool(run).Out);
}

// --plots writes each analysed group's figures into the folder (made when
// missing) and leaves the document as it is without plots.
TEST(Cli, PlotsFolder) {
    TempFile survey(Survey);
    test::TempFolder parent;
    const std::string folder = parent.Path + "/分布図";
    const std::vector<std::string> run = {survey.Path,  "--id", "2",         "--class", "3",
                                          "--nutrient", "4",    "--cutoffs", "1600"};
    std::vector<std::string> args = run;
    args.insert(args.end(), {"--plots", folder, "--log-axis"});
    const Outcome o = RunTool(args);
    ASSERT_EQ(o.Status, 0) << o.Err;
    EXPECT_EQ(o.Out, RunTool(run).Out);

    test::TempFolder written;
    written.Path = folder;
    std::vector<std::string> names = written.Entries();
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"index.html"};
    for (const char* group : {"1", "2"})
        for (const char* figure : {"cumulative", "histogram", "normal"})
            for (const char* ext : {".png", ".svg"})
                if (CliWritesPng() || std::string(ext) == ".svg")
                    expected.push_back(std::string(group) + "_" + figure + ext);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    const std::string cumulative = TempFile::ReadFile(folder + "/1_cumulative.svg");
    EXPECT_NE(cumulative.find("data-x-scale=\"log\""), std::string::npos);
    EXPECT_NE(TempFile::ReadFile(folder + "/index.html").find("分類変数：[性別=2]"),
              std::string::npos);
}

TEST(Cli, PlotsThatCannotBeWritten) {
    TempFile survey(Survey);
    TempFile notAFolder("a file", ".txt");
    const std::vector<std::string> run = {survey.Path, "--id",       "2", "--class",
                                          "3",         "--nutrient", "4"};
    // The folder cannot be made: nothing is computed.
    std::vector<std::string> args = run;
    args.insert(args.end(), {"--plots", notAFolder.Path + "/plots"});
    Outcome o = RunTool(args);
    EXPECT_EQ(o.Status, 1);
    EXPECT_TRUE(o.Out.empty());
    EXPECT_NE(o.Err.find("分布図のフォルダ[" + notAFolder.Path + "/plots]を作れませんでした"),
              std::string::npos)
        << o.Err;
    // A figure cannot be written (a folder stands in its place): the results
    // are written all the same, and the status says what failed.
    test::TempFolder folder;
    const std::filesystem::path blocker = test::FsPath(folder.Path + "/2_normal.svg");
    ASSERT_TRUE(std::filesystem::create_directory(blocker));
    args = run;
    args.insert(args.end(), {"--plots", folder.Path});
    o = RunTool(args);
    std::filesystem::remove(blocker);
    EXPECT_EQ(o.Status, 1);
    EXPECT_EQ(o.Out, RunTool(run).Out);
    EXPECT_NE(o.Err.find("分布図[" + folder.Path + "/2_normal.svg]を書き出せませんでした"),
              std::string::npos)
        << o.Err;
}

// The bundled examples are what the tool writes for them.
TEST(Cli, ExamplesAreUpToDate) {
    const std::string dir = HABITUAL_EXAMPLES_DIR;
    const struct {
        const char* Output;
        const char* File;
    } forms[] = {{"standard", "sample-standard.txt"},
                 {"summary", "sample-summary.csv"},
                 {"data", "sample-data.csv"}};
    for (const auto& form : forms) {
        const Outcome o =
            RunTool({dir + "/sample-survey.csv", "--id", "1", "--id", "2", "--id", "3", "--class",
                     "4", "--class", "5", "--nutrient", "6", "--method", "best", "--cutoffs",
                     "1500- 2500", "--output", form.Output});
        ASSERT_EQ(o.Status, 0) << o.Err;
        EXPECT_EQ(o.Out, TempFile::ReadFile(dir + "/" + form.File))
            << form.File << " is out of date: run examples/make_results.sh build";
    }
}

// A UTF-8 survey and the sample workbook give the documents of their
// Shift-JIS forms; the reading's notices go to standard error only.
TEST(Cli, Utf8SurveysAndWorkbooksReadAsTheirShiftJisForm) {
    const std::string dir = HABITUAL_EXAMPLES_DIR;
    const std::string csv = TempFile::ReadFile(dir + "/sample-survey.csv");
    TempFile utf8(Cp932ToUtf8(csv));
    TempFile bom("\xEF\xBB\xBF" + Cp932ToUtf8(csv));
    for (const char* output : {"standard", "summary", "data"}) {
        const std::vector<std::string> args = {"--id",     "1",   "--id",    "2", "--id",       "3",
                                               "--class",  "4",   "--class", "5", "--nutrient", "6",
                                               "--output", output};
        auto run = [&](const std::string& path) {
            std::vector<std::string> a = args;
            a.insert(a.begin(), path);
            return RunTool(a);
        };
        const Outcome expected = run(dir + "/sample-survey.csv");
        ASSERT_EQ(expected.Status, 0);
        std::vector<std::string> forms = {utf8.Path, bom.Path};
#ifdef HABITUAL_HAVE_WORKBOOKS
        forms.push_back(dir + "/sample-survey.xlsx");
#endif
        for (const std::string& path : forms) {
            const Outcome o = run(path);
            EXPECT_EQ(o.Status, 0) << path << o.Err;
            EXPECT_EQ(o.Out, expected.Out) << path << " " << output;
            // The same notices about the groups, and none about the reading.
            EXPECT_EQ(o.Err, expected.Err) << path;
        }
    }
    EXPECT_EQ(RunTool({utf8.Path, "--columns"}).Out,
              RunTool({dir + "/sample-survey.csv", "--columns"}).Out);
#ifdef HABITUAL_HAVE_WORKBOOKS
    EXPECT_EQ(RunTool({dir + "/sample-survey.xlsx", "--columns"}).Out.find("1.地区\n2.世帯番号\n"),
              0u);
#else
    // A build without the workbook reader says so, and writes nothing.
    const Outcome book = RunTool({dir + "/sample-survey.xlsx", "--nutrient", "6"});
    EXPECT_EQ(book.Status, 1);
    EXPECT_NE(book.Err.find("ブックを読めません"), std::string::npos) << book.Err;
    EXPECT_TRUE(book.Out.empty());
#endif
}

TEST(Cli, ReadingOptionsAndNotices) {
    const std::string utf8 = "ID,性別,値\n1,1,10\nあい\n1,1,NA\n2,1,12\n2,1,14\n3,1,9\n3,1,\n";
    TempFile survey(utf8);
    const std::vector<std::string> analyse = {survey.Path, "--id",       "1", "--class",
                                              "2",         "--nutrient", "3"};
    const Outcome zeroed = RunTool(analyse);
    ASSERT_EQ(zeroed.Status, 0) << zeroed.Err;
    EXPECT_EQ(
        zeroed.Err,
        "habitual-cli: 注意: 文字のある 1 行を空行として読み飛ばしました（ファイルの 3 行目）。"
        "Shift-JIS で 0x80 以上のバイトだけからなる文字（ひらがなや全角記号の多く）と、"
        "カンマ・引用符・空白だけでできた行は、データの行として数えません。\n"
        "habitual-cli: 注意: [性別=1] 分析変数が空欄か数値でない 2 行を 0 として計算しました"
        "（データ 2, 6 行目）。\n"
        "habitual-cli: 注意: [性別=1] 人数が3人で、50人未満です。50～60人に満たないグループの"
        "分布は信頼性が低いとされます。\n"
        "habitual-cli: 注意: [性別=1] 複数日調査の人数が3人で、10人未満です。個人内分散を"
        "ほとんど推定できないため、習慣摂取量の分布は信頼できません。\n"
        "habitual-cli: 注意: [性別=1] 摂取量が0の日がデータの33.3%あります（10%を超えています）。"
        "この方法はほぼ毎日摂取される栄養素・食品を前提としています。摂取しない日の多い食品には、"
        "摂取頻度を考慮した方法が必要です。\n");
    std::vector<std::string> skip = analyse;
    skip.push_back("--skip-missing");
    const Outcome left = RunTool(skip);
    ASSERT_EQ(left.Status, 0);
    EXPECT_NE(left.Err.find("2 行を計算から除きました（データ 2, 6 行目）"), std::string::npos);
    EXPECT_NE(left.Out, zeroed.Out);

    // Read as Shift-JIS on request: the UTF-8 header is skipped as blank
    // (all its bytes are 0x80 or above but for the commas), and the column
    // name is not found.
    std::vector<std::string> asSjis = {survey.Path, "--input-encoding", "cp932", "--nutrient",
                                       "値"};
    EXPECT_EQ(RunTool(asSjis).Status, 2);
    const Outcome bad = RunTool({survey.Path, "--input-encoding", "latin1", "--nutrient", "3"});
    EXPECT_EQ(bad.Status, 2);
    EXPECT_NE(bad.Err.find("auto, cp932, utf-8"), std::string::npos);
    TempFile emoji("ID,値\n1,😀\n");
    const Outcome refused = RunTool({emoji.Path, "--nutrient", "2"});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Err.find("ファイルの 2 行目、2 列目にある文字「😀」（U+1F600）"),
              std::string::npos);
    EXPECT_TRUE(refused.Out.empty());
    const Outcome sheetOnCsv = RunTool({survey.Path, "--nutrient", "3", "--sheet", "2"});
    EXPECT_EQ(sheetOnCsv.Status, 0);
    EXPECT_NE(sheetOnCsv.Err.find("--sheet はブック"), std::string::npos);
}

// The built program, given Japanese names on its command line (a survey
// file's name, column names, the output file's name), writes the bytes the
// tool writes in process, to its standard output and to the file. On
// Windows this is the UTF-16 command line, the wide file calls and the
// standard output without text mode.
TEST(Cli, TheProgramTakesJapaneseNamesOnItsCommandLine) {
    TempFolder folder;
    const std::string survey = folder.Path + "/栄養調査 ① データ.csv";
    const std::string target = folder.Path + "/計算結果 ②.txt";
    std::ofstream(test::FsPath(survey), std::ios::binary) << Survey;
    const std::vector<std::string> run = {survey, "--id",       "番号",      "--class",
                                          "性別", "--nutrient", "エネルギー"};
    const Outcome inProcess = RunTool(run);
    ASSERT_EQ(inProcess.Status, 0) << inProcess.Err;

    std::vector<std::string> program = run;
    program.insert(program.begin(), HABITUAL_CLI);
    const Outcome toStdout = test::RunProgram(program);
    EXPECT_EQ(toStdout.Status, 0) << toStdout.Err;
    EXPECT_EQ(toStdout.Out, inProcess.Out);

    program.insert(program.end(), {"-o", target});
    const Outcome toFile = test::RunProgram(program);
    EXPECT_EQ(toFile.Status, 0) << toFile.Err;
    EXPECT_TRUE(toFile.Out.empty());
    EXPECT_EQ(TempFile::ReadFile(target), inProcess.Out);

    // A name that is not there is reported as it was typed.
    const Outcome missing =
        test::RunProgram({HABITUAL_CLI, folder.Path + "/ない調査.csv", "--nutrient", "4"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("ない調査.csv]"), std::string::npos) << missing.Err;
}

// A survey large enough that the run sorts its groups on several threads,
// with keys of every length (a person's key longer than 16 bytes is ordered
// by its whole text) and persons of one to three days: the document is the
// same with one thread and two, and timing the stages changes nothing in it.
TEST(Cli, ALargeSurveyGivesTheSameDocumentOnAnyThreadsAndWithStageTimes) {
    std::string csv = "id,sex,age,value\r\n";
    std::uint64_t state = 12345;
    auto next = [&state](std::uint64_t bound) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return (state >> 33) % bound;
    };
    std::int32_t rows = 0;
    for (int person = 0; rows < 120000; ++person) {
        // Long keys share their first 16 bytes, so that only the rest tells them apart.
        const std::string id = person % 3 == 0 ? "person-with-a-long-key-" + std::to_string(person)
                                               : std::to_string(person);
        const std::string group = std::to_string(1 + person % 2) + "," + std::to_string(person % 5);
        const int days = 1 + static_cast<int>(next(3));
        for (int d = 0; d < days; ++d, ++rows)
            csv += id + "," + group + "," + std::to_string(500 + next(3000)) + "." +
                   std::to_string(next(10)) + "\r\n";
    }
    TempFile survey(csv);
    for (const char* output : {"standard", "data"}) {
        const std::vector<std::string> args = {survey.Path, "--id",     "1",   "--class",
                                               "2",         "--class",  "3",   "--nutrient",
                                               "4",         "--output", output};
        auto with = [&args](std::vector<std::string> more) {
            std::vector<std::string> all = args;
            all.insert(all.end(), more.begin(), more.end());
            return RunTool(all);
        };
        const Outcome one = with({"--threads", "1"});
        ASSERT_EQ(one.Status, 0) << one.Err;
        const Outcome two = with({"--threads", "2"});
        ASSERT_EQ(two.Status, 0) << two.Err;
        EXPECT_TRUE(one.Out == two.Out) << output;
        const Outcome timed = with({"--threads", "2", "--stage-times"});
        ASSERT_EQ(timed.Status, 0) << timed.Err;
        EXPECT_TRUE(timed.Out == one.Out) << output;
        for (const char* line : {"所要時間（秒）", "個人の順に並べる", "正規化変換", "合計"})
            EXPECT_NE(timed.Err.find(line), std::string::npos) << line << "\n" << timed.Err;
        EXPECT_EQ(one.Err.find("所要時間"), std::string::npos);
    }
}
