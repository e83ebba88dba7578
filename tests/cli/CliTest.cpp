#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

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
        {{s, "--nutrient", "4", "--nutrient", "4"}, 2, "1つだけ"},
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
