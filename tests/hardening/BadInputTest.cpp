// The batch tool on survey files that are missing, empty, malformed or hold
// extreme values: every case ends in its documented outcome, never a crash.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "engine/Encoding.h"
#include "tests/support/CliRunner.h"
#include "tests/support/HeldFile.h"
#include "tests/support/TempFolder.h"

using namespace habitual;
using namespace habitual::test;
using namespace std::string_literals;

namespace {

const std::string Header = "id,g,v\r\n";

// A well-formed group of two persons with two days each.
const std::string Rows = "1,a,10\r\n1,a,12\r\n2,a,20\r\n2,a,25\r\n3,a,30\r\n3,a,31\r\n";

// Rows "<id>,a,<value>" for the given values, one person per pair of days
// when daysEach is 2.
std::string Group(const std::vector<std::string>& values, int daysEach) {
    std::string rows;
    for (std::size_t i = 0; i < values.size(); ++i)
        rows += std::to_string(i / static_cast<std::size_t>(daysEach)) + ",a," + values[i] + "\r\n";
    return rows;
}

const std::vector<std::string> Analyse = {"--id", "1", "--class", "2", "--nutrient", "3"};

std::vector<std::string> With(const std::string& path, std::vector<std::string> args = Analyse) {
    args.insert(args.begin(), path);
    return args;
}

} // namespace

// Files the tool cannot take: exit 1 (or 2 for a column that is not offered)
// with a Japanese message naming the problem, and nothing on standard output.
TEST(BadInput, RejectedWithAMessage) {
    const std::string longId(253, 'k'); // with three separators one byte over 255
    const std::string longClass(254, 'c');
    std::string wideHeader;
    for (int c = 1; c <= 1500; ++c) {
        wideHeader += 'c';
        wideHeader += std::to_string(c);
        wideHeader += c < 1500 ? "," : "\r\n";
    }
    struct Case {
        const char* Name;
        std::string Survey;
        std::vector<std::string> Args;
        int Status;
        const char* Message;
    } cases[] = {
        {"empty file", "", Analyse, 1, "には行がありません"},
        {"blank lines only", "\r\n   \r\n,,\"\"\r\n\t\r\n\r\n", Analyse, 1, "には行がありません"},
        {"person key over 255 bytes", Header + Rows + longId + ",a,1\r\n", Analyse, 1,
         "データ 7 行目の個人識別IDの列の文字列が長すぎます"},
        {"classification key over 255 bytes", Header + "1," + longClass + ",1\r\n" + Rows, Analyse,
         1, "データ 1 行目の分類変数の列の文字列が長すぎます"},
        {"0x01 in an ID", Header + Rows + "4\x01x,a,1\r\n", Analyse, 1,
         "データ 7 行目の個人識別IDの列に、使えない制御文字（0x01）"},
        {"0x01 in a classification text", Header + "1,\x01,1\r\n", Analyse, 1,
         "データ 1 行目の分類変数の列に、使えない制御文字（0x01）"},
        {"column beyond the 256 offered",
         wideHeader + "1,2\r\n",
         {"--nutrient", "300"},
         2,
         "300 に当たる列が見出し行にありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFile survey(c.Survey);
        const Outcome o = RunTool(With(survey.Path, c.Args));
        EXPECT_EQ(o.Status, c.Status);
        EXPECT_NE(o.Err.find(c.Message), std::string::npos) << o.Err;
        EXPECT_TRUE(o.Out.empty());
    }
}

TEST(BadInput, FilesThatCannotBeRead) {
    TempFolder folder;
    TempFile locked(Header + Rows);
    std::vector<std::string> paths = {"/nonexistent/habitual/survey.csv", folder.Path};
#ifdef _WIN32
    // Held open without sharing by another program.
    HeldFile held(locked.Path);
    ASSERT_TRUE(held.Held());
    paths.push_back(locked.Path);
#else
    ASSERT_EQ(chmod(locked.Path.c_str(), 0), 0);
    // Permissions do not stop root from reading.
    if (geteuid() != 0) paths.push_back(locked.Path);
#endif
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const Outcome o = RunTool(With(path));
        EXPECT_EQ(o.Status, 1);
        EXPECT_NE(o.Err.find("栄養調査データ[" + path + "]を読み込めませんでした"),
                  std::string::npos)
            << o.Err;
    }
}

// Bytes the reader drops or cuts by rule: the file gives exactly the document
// of the file written without them.
TEST(BadInput, ReadLikeTheCleanFile) {
    std::string manyFields = "4,a,40";
    for (int f = 4; f <= 1500; ++f) manyFields += ",x";
    const std::string longTail(16383 - 7, 'z'); // "9,a,50," and the tail fill one read
    struct Case {
        const char* Name;
        std::string Survey, Clean;
    } cases[] = {
        {"bytes after a NUL are ignored", Header + Rows + "4,a,40\0,9,9\r\n"s + "4,a,41\r\n",
         Header + Rows + "4,a,40\r\n4,a,41\r\n"},
        {"0x1A ends the file",
         Header + Rows +
             "4,a,40\r\n\x1A"
             "5,a,1\r\n5,a,2\r\n",
         Header + Rows + "4,a,40\r\n"},
        {"a line over 16,383 bytes reads in pieces",
         Header + Rows + "9,a,50," + longTail + "tail,b\r\n",
         Header + Rows + "9,a,50," + longTail + "\r\ntail,b\r\n"},
        {"a row of 1,500 fields", Header + Rows + manyFields + "\r\n4,a,41\r\n",
         Header + Rows + "4,a,40\r\n4,a,41\r\n"},
        {"a lone lead byte at the end of the file", Header + Rows + "4,a,40,\x82",
         Header + Rows + "4,a,40,\r\n"},
        {"0x01 outside the keys", Header + Rows + "4,a,40\x01\r\n", Header + Rows + "4,a,40\r\n"},
        // The decimal conversion knows no words: they read as 0.
        {"NaN and inf read as 0", Header + Rows + "4,a,NaN\r\n4,a,inf\r\n",
         Header + Rows + "4,a,0\r\n4,a,0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFile survey(c.Survey), clean(c.Clean);
        const Outcome o = RunTool(With(survey.Path));
        const Outcome want = RunTool(With(clean.Path));
        ASSERT_EQ(want.Status, 0) << want.Err;
        EXPECT_EQ(o.Status, 0) << o.Err;
        EXPECT_EQ(o.Out, want.Out);
    }
}

namespace {

// Every line of a document fits the 511-byte line buffer and is ended by CR LF.
void ExpectWellFormedDocument(const std::string& bytes) {
    ASSERT_TRUE(bytes.empty() || bytes.ends_with("\r\n"));
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 511u) << bytes.substr(start, end - start);
        EXPECT_EQ(bytes.find('\n', start), end + 1) << "a line break inside a line";
        start = end + 2;
    }
}

} // namespace

// Inputs the tool accepts, with what the document then says (UTF-8 here;
// values with no real result print as "nan").
TEST(BadInput, AcceptedWithTheDocumentedResult) {
    const std::string persons = "1,a,10\r\n1,a,12\r\n2,a,20\r\n2,a,23\r\n3,a,30\r\n3,a,34\r\n";
    const std::string betweenZero =
        "個人間分散がゼロまたは人数が１人のため、習慣摂取量の分布は推定できません";
    const std::string withinZero =
        "個人内分散がゼロまたは調査日数が１日のため、習慣摂取量の分布は推定できません";
    std::string longName, oddName = "x";
    for (int i = 0; i < 100; ++i) longName += "あ", oddName += "い";
    std::string cutName, oddCut = "x", classCut;
    for (int i = 0; i < 63; ++i) cutName += "あ", oddCut += "い";
    for (int i = 0; i < 31; ++i) classCut += "あ";
    struct Case {
        const char* Name;
        std::string Survey; // UTF-8, converted to Shift-JIS
        std::vector<std::string> Extra;
        std::vector<std::string> Fragments;
    } cases[] = {
        {"a value too large for a double",
         Header + persons + "5,a,1e999\r\n5,a,1e999\r\n",
         {"--method", "none"},
         {"平均　　             inf\r\n", "分散　　             nan\r\n", betweenZero}},
        {"a negative value under the log",
         Header + persons + "5,a,-5\r\n5,a,-5\r\n",
         {"--method", "log"},
         {"分散　　             nan\r\n", betweenZero}},
        {"a value below the smallest normal double",
         Header + persons + "5,a,1e-320\r\n5,a,1e-320\r\n",
         {"--method", "none"},
         {"　　　最小値         0.000000", "　　  最大値        34.000000"}},
        {"all values zero under the log",
         Header + Group({"0", "0", "0", "0", "0", "0"}, 2),
         {"--method", "log"},
         {"平均　　            -inf\r\n", betweenZero}},
        {"all values negative",
         Header + Group({"-1", "-2", "-3", "-5", "-8", "-9"}, 2),
         {"--method", "none"},
         {"平均　　       -4.666667\r\n", "　　　最小値        -9.000000"}},
        {"one person",
         Header + Group({"10", "12", "15", "11"}, 4),
         {},
         {"人数     1\r\n", betweenZero}},
        {"every person with one day",
         Header + Group({"10", "12", "15", "11"}, 1),
         {},
         {"うち複数日調査の人数    0\r\n", withinZero}},
        {"an analysis column name over 127 bytes",
         "id,g," + longName + "\r\n" + persons,
         {},
         {"\r\n分析変数：[" + cutName + "]\r\n"}},
        {"an odd-length name cut at 127 bytes",
         "id,g," + oddName + "\r\n" + persons,
         {},
         {"\r\n分析変数：[" + oddCut + "]\r\n"}},
        {"a classification column name over 63 bytes",
         "id," + longName + ",v\r\n" + persons,
         {},
         {"\r\n分類変数：[" + classCut + "=a]\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFile survey(Utf8ToCp932(c.Survey));
        std::vector<std::string> args = With(survey.Path);
        args.insert(args.end(), c.Extra.begin(), c.Extra.end());
        const Outcome o = RunTool(args);
        ASSERT_EQ(o.Status, 0) << o.Err;
        ExpectWellFormedDocument(o.Out);
        const std::string text = Cp932ToUtf8(o.Out);
        for (const std::string& fragment : c.Fragments)
            EXPECT_NE(text.find(fragment), std::string::npos) << fragment << "\n" << text;
    }
}

TEST(BadInput, HeaderOnlyGivesAnEmptyDocument) {
    TempFile survey(Header + "\r\n\r\n");
    const Outcome o = RunTool(With(survey.Path));
    EXPECT_EQ(o.Status, 0) << o.Err;
    EXPECT_EQ(o.Out, "");
}

// Bytes that are not Shift-JIS pass through unchanged; in UTF-8 they show as
// replacement characters. A lead byte at the end of a text stays there.
TEST(BadInput, BytesThatAreNotShiftJis) {
    TempFile survey("id,g\xFF,v\r\n1,A\x82,10\r\n1,A\x82,12\r\n2,A\x82,20\r\n2,A\x82,23\r\n"
                    "3,\xA0\x80\xFD,1\r\n3,\xA0\x80\xFD,2\r\n");
    const Outcome cp932 = RunTool(With(survey.Path));
    ASSERT_EQ(cp932.Status, 0) << cp932.Err;
    ExpectWellFormedDocument(cp932.Out);
    EXPECT_NE(cp932.Out.find("[g\xFF=A\x82]\r\n"), std::string::npos);
    EXPECT_NE(cp932.Out.find("[g\xFF=\xA0\x80\xFD]\r\n"), std::string::npos);

    std::vector<std::string> args = With(survey.Path);
    args.insert(args.end(), {"--encoding", "utf-8"});
    const Outcome utf8 = RunTool(args);
    ASSERT_EQ(utf8.Status, 0) << utf8.Err;
    EXPECT_NE(utf8.Out.find("\xEF\xBF\xBD"), std::string::npos);
    EXPECT_EQ(utf8.Out.find("\xFF"), std::string::npos);
}

// A group of one record gets its heading and no analysis.
TEST(BadInput, HundredGroupsOfOneRecord) {
    std::string rows = Header;
    for (int g = 0; g < 100; ++g)
        rows += "1,g" + std::to_string(g) + "," + std::to_string(g) + "\r\n";
    TempFile survey(rows);
    const Outcome o = RunTool(With(survey.Path));
    ASSERT_EQ(o.Status, 0) << o.Err;
    const std::string text = Cp932ToUtf8(o.Out);
    std::size_t headings = 0;
    for (std::size_t at = text.find(std::string(60, '=')); at != std::string::npos;
         at = text.find(std::string(60, '='), at + 1))
        ++headings;
    EXPECT_EQ(headings, 100u);
    EXPECT_EQ(text.find("正規化方法"), std::string::npos);
    EXPECT_NE(text.find("分類変数：[g=g99]\r\n"), std::string::npos);
}

// Equal values have no variation: no variance component is positive, so no
// habitual distribution is estimated, whatever the transformation.
TEST(BadInput, AllEqualValuesHaveNoVariance) {
    for (const char* value : {"0.1", "3", "7", "123.456", "1800"}) {
        TempFile survey(Header + Group({value, value, value, value, value, value}, 2));
        for (const char* method : {"best", "log", "none", "power"}) {
            SCOPED_TRACE(std::string(value) + " " + method);
            std::vector<std::string> args = With(survey.Path);
            args.insert(args.end(), {"--method", method, "--power", "0.3"});
            const Outcome o = RunTool(args);
            ASSERT_EQ(o.Status, 0) << o.Err;
            const std::string text = Cp932ToUtf8(o.Out);
            EXPECT_NE(text.find("個人間分散がゼロまたは人数が１人のため"), std::string::npos)
                << text;
            EXPECT_EQ(text.find("-0.000000"), std::string::npos) << text;
        }
    }
}

// The survey is read more than once (header, count, rows), which a pipe or an
// endless device cannot give: the tool refuses them instead of analysing
// whatever part it saw, or reading forever.
TEST(BadInput, SurveysThatCannotBeReadTwice) {
#ifdef _WIN32
    // The device NUL reads as nothing, in every folder.
    TempFolder folder;
    for (const std::string& path : {std::string("NUL"), folder.Path + "\\nul"}) {
        SCOPED_TRACE(path);
        const Outcome o = RunTool(With(path));
        EXPECT_EQ(o.Status, 1);
        EXPECT_NE(o.Err.find("栄養調査データ[" + path + "]"), std::string::npos) << o.Err;
        EXPECT_TRUE(o.Out.empty()) << Cp932ToUtf8(o.Out);
    }
#else
    std::string rows = Header;
    for (int p = 0; p < 4000; ++p)
        rows += std::to_string(p) + ",a," + std::to_string(p % 97) + "\r\n";
    TempFile survey(rows); // larger than one read buffer
    const std::string tool = Quoted(HABITUAL_CLI) + " ";
    const std::string args = " --id 1 --class 2 --nutrient 3";
    struct Case {
        const char* Name;
        std::string Command, Path;
    } cases[] = {
        {"standard input from a pipe", "cat " + survey.Path + " | " + tool + "/dev/stdin" + args,
         "/dev/stdin"},
        {"an endless device", "timeout 60 " + tool + "/dev/zero" + args, "/dev/zero"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const Outcome o = RunShell(c.Command);
        EXPECT_EQ(o.Status, 1);
        EXPECT_NE(o.Err.find("栄養調査データ[" + c.Path + "]"), std::string::npos) << o.Err;
        EXPECT_TRUE(o.Out.empty()) << Cp932ToUtf8(o.Out);
    }
#endif
}
