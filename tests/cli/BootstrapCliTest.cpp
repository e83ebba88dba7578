// Bootstrap intervals from the command line: a replicate is a plain run of
// the resampled survey, and the document does not depend on the threads.
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Bootstrap.h"
#include "engine/Encoding.h"
#include "engine/EstimateGroup.h"
#include "engine/Random.h"
#include "engine/ReplicateFrame.h"
#include "engine/RunAnalysis.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFile.h"
#include "tests/support/TempFolder.h"

using namespace habitual;
using habitual::test::Outcome;
using habitual::test::RunTool;
using habitual::test::TempFile;

namespace {

struct TPerson {
    std::string Id;
    int Sex;
    std::vector<std::string> Values; // as written in the file
};

// Persons p001 ... of one to three days in two groups; values recorded to
// one decimal, with repeated values and a few zeros.
std::vector<TPerson> Persons(int count) {
    TXoshiro256 random(77);
    std::vector<TPerson> persons;
    for (int p = 1; p <= count; ++p) {
        char id[8];
        std::snprintf(id, sizeof id, "p%03d", p);
        TPerson person{id, 1 + p % 2, {}};
        const double level = 3 + 1.2 * (random.Uniform() - 0.5);
        const int days = 1 + static_cast<int>(random.Below(3));
        for (int d = 0; d < days; ++d) {
            double v = std::round(std::exp(level + 0.6 * (random.Uniform() - 0.5)) * 10) / 10;
            if (random.Uniform() < 0.04) v = 0;
            std::ostringstream text;
            text << v;
            person.Values.push_back(text.str());
        }
        persons.push_back(person);
    }
    return persons;
}

// The survey; with draws, each drawn person once per draw under a new ID.
std::string SurveyText(const std::vector<TPerson>& persons, int sex = 0,
                       const std::vector<std::int32_t>* draws = nullptr) {
    std::string text = "ID,性別,値\n";
    std::size_t inGroup = 0;
    for (const TPerson& person : persons) {
        if (sex != 0 && person.Sex != sex) continue;
        const int copies = draws ? (*draws)[inGroup++] : 1;
        for (int c = 0; c < copies; ++c)
            for (const std::string& v : person.Values) {
                text += person.Id;
                if (draws) {
                    text += '-';
                    text += std::to_string(c);
                }
                text += ',';
                text += std::to_string(person.Sex);
                text += ',';
                text += v;
                text += '\n';
            }
    }
    return Utf8ToCp932(text);
}

// The numbers of a summary row ("%lg"), the quoted shares without "%".
std::vector<double> RowNumbers(const std::string& row) {
    std::vector<double> numbers;
    std::stringstream fields(row);
    std::string field;
    std::getline(fields, field, ','); // the label
    while (std::getline(fields, field, ',')) {
        if (field.front() == '"') field = field.substr(1, field.size() - 3);
        numbers.push_back(std::stod(field));
    }
    return numbers;
}

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::stringstream text(Cp932ToUtf8(out));
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The figures of a summary row in the order of TReplicateFigures: counts
// first, then mean, SD, the 11 percentiles, the shares.
void ExpectRowShows(const std::string& row, const std::vector<double>& figures, std::size_t cuts,
                    const std::string& what) {
    const std::vector<double> numbers = RowNumbers(row);
    ASSERT_EQ(numbers.size(), 2 + 2 + 11 + cuts) << what << ": " << row;
    std::vector<double> expected{figures[Figure::Mean], figures[Figure::SD]};
    for (int entry : {0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100}) expected.push_back(figures[entry]);
    for (std::size_t c = 0; c < cuts; ++c) expected.push_back(figures[Figure::FirstShare + c]);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(numbers[2 + i], expected[i], 6e-6 * std::max(1.0, std::fabs(expected[i])))
            << what << ", column " << 2 + i << ": " << row;
}

} // namespace

// Each checked replicate is written out as a survey of its own, every draw a
// new person, and the batch tool's plain summary of that survey shows the
// replicate's figures.
TEST(BootstrapCli, AReplicateIsAPlainRunOfTheResampledSurvey) {
    const std::vector<TPerson> persons = Persons(70);
    TempFile survey(SurveyText(persons));
    const std::uint64_t seed = 2024;
    const struct {
        const char* Method;
        std::vector<std::string> Extra;
    } methods[] = {{"best", {}}, {"log", {}}, {"power", {"--power", "0.5"}}, {"none", {}}};
    for (const auto& method : methods) {
        TAnalysisSettings s;
        s.FileName = survey.Path;
        s.IdColumns[0] = 0;
        s.ClassColumns[0] = 1;
        s.NutrientColumn = 2;
        s.NormalizeMethod = std::string(method.Method) == "best"   ? Normalize::BestPower
                            : std::string(method.Method) == "log"  ? Normalize::Log
                            : std::string(method.Method) == "none" ? Normalize::None
                                                                   : Normalize::GivenPower;
        s.PowerText = "0.5";
        s.CutOffText = "15- 25";
        // The replicates of each group by the fast path, with their draws.
        struct TChecked {
            int Group, Sex;
            std::vector<std::int32_t> Draws;
            TReplicateFigures Figures;
        };
        std::vector<TChecked> checked;
        TMemoryResultLines ignored;
        // One group at a time: the analysis below collects into checked.
        TRunOptions oneByOne;
        oneByOne.Threads = 1;
        const TRunStatus status = RunAnalysis(
            s, ignored,
            [&](TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines&, TGroupRun& run) {
                EstimateGroup(ctx, settings);
                TReplicateFrame frame;
                frame.Prepare(ctx, settings);
                ASSERT_TRUE(frame.Fast());
                TReplicateScratch scratch;
                for (int r = 0; r < 6; ++r) {
                    TChecked c{run.GroupIndex,
                               run.GroupIndex + 1,
                               std::vector<std::int32_t>(frame.NPerson()),
                               {}};
                    DrawReplicate(seed, run.GroupIndex, r, frame.NPerson(), c.Draws.data());
                    frame.Estimate(c.Draws.data(), scratch, c.Figures);
                    checked.push_back(c);
                }
            },
            oneByOne);
        ASSERT_TRUE(status.Ok());
        ASSERT_EQ(checked.size(), 12u);
        int shown = 0;
        for (const TChecked& c : checked) {
            TempFile resampled(SurveyText(persons, c.Sex, &c.Draws));
            std::vector<std::string> args{
                resampled.Path, "--id",     "1",       "--nutrient", "3",     "--method",
                method.Method,  "--output", "summary", "--cutoffs",  "15- 25"};
            args.insert(args.end(), method.Extra.begin(), method.Extra.end());
            const Outcome o = RunTool(args);
            ASSERT_EQ(o.Status, 0) << o.Err;
            const std::vector<std::string> lines = Lines(o.Out);
            ASSERT_EQ(lines.size(), 5u) << o.Out;
            const std::string what =
                std::string(method.Method) + ", group " + std::to_string(c.Group);
            ExpectRowShows(lines[3], c.Figures.Daily, 2, what + " one-day");
            if (c.Figures.HabitualShown) {
                ++shown;
                ExpectRowShows(lines[4], c.Figures.Habit, 2, what + " habitual");
            } else {
                EXPECT_NE(lines[4].find("推定できません"), std::string::npos) << what;
            }
        }
        EXPECT_GT(shown, 6) << method.Method;
    }
}

TEST(BootstrapCli, TheDocumentDoesNotDependOnTheThreads) {
    TempFile survey(SurveyText(Persons(120)));
    const std::vector<std::string> run{
        survey.Path,   "--id", "1",      "--class",   "2",         "--nutrient", "3",
        "--bootstrap", "300",  "--seed", "123456789", "--cutoffs", "20"};
    std::vector<std::string> one = run, two = run;
    one.insert(one.end(), {"--threads", "1"});
    two.insert(two.end(), {"--threads", "2"});
    const Outcome a = RunTool(one), b = RunTool(two), all = RunTool(run);
    ASSERT_EQ(a.Status, 0) << a.Err;
    EXPECT_EQ(a.Out, b.Out);
    EXPECT_EQ(a.Out, all.Out);
    EXPECT_EQ(a.Err, b.Err);
    EXPECT_NE(Cp932ToUtf8(a.Out).find("乱数シード 123456789　信頼水準 95%"), std::string::npos);
    std::vector<std::string> level = run;
    level.insert(level.end(), {"--level", "99"});
    EXPECT_NE(Cp932ToUtf8(RunTool(level).Out).find("信頼水準 99%"), std::string::npos);
}

TEST(BootstrapCli, NoticesGoToStandardErrorAndIntoTheResultsWhenAsked) {
    TempFile survey(SurveyText(Persons(60)));
    const std::vector<std::string> run{survey.Path, "--id", "1", "--class", "2", "--nutrient", "3"};
    const Outcome plain = RunTool(run);
    ASSERT_EQ(plain.Status, 0);
    // 30 persons in each group: fewer than 50.
    EXPECT_NE(plain.Err.find("habitual-cli: 注意: [性別=1] 人数が30人で、50人未満です。"),
              std::string::npos)
        << plain.Err;
    EXPECT_EQ(Cp932ToUtf8(plain.Out).find("※注意："), std::string::npos);
    std::vector<std::string> asked = run;
    asked.push_back("--write-notices");
    const Outcome written = RunTool(asked);
    EXPECT_EQ(written.Err, plain.Err);
    EXPECT_NE(Cp932ToUtf8(written.Out).find("※注意：人数が30人で、50人未満です。"),
              std::string::npos);
}

TEST(BootstrapCli, TheCumulativePlotsShowTheBands) {
    TempFile survey(SurveyText(Persons(120)));
    habitual::test::TempFolder parent;
    const std::string folder = parent.Path + "/plots";
    const Outcome o = RunTool({survey.Path, "--id", "1", "--class", "2", "--nutrient", "3",
                               "--bootstrap", "100", "--plots", folder});
    ASSERT_EQ(o.Status, 0) << o.Err;
    const std::string cumulative = TempFile::ReadFile(folder + "/1_cumulative.svg");
    for (const char* id : {"daily-band", "habit-band", "habit-band-lower", "habit-band-upper"})
        EXPECT_NE(cumulative.find(std::string("id=\"") + id + "\""), std::string::npos) << id;
}
