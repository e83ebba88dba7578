// A long survey is read by two readers at once, one from each half of the
// file; what the run then holds must be what one reader gives, whatever
// lies around the cut: blank rows held over it, rows with errors on either
// side, fields that are not numbers, groups first met in the second half.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/RunData.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::TempFile;

namespace {

// Everything a run's data shows, in comparable form.
struct Seen {
    TRunError Error = TRunError::None;
    std::int32_t RowNo = 0;
    bool PersonKey = true;
    std::vector<std::string> Records; // row, person, values
    std::vector<std::string> Groups;  // range and key
    std::vector<std::string> Columns; // name, not-numbers, left out, sizes
    std::vector<std::int64_t> Skipped;
    bool operator==(const Seen&) const = default;
};

std::string Tally(const TRowTally& t) {
    std::string s = std::to_string(t.Count) + ":";
    for (int k = 0; k < TRowTally::Kept; ++k) s += std::to_string(t.First[k]) + " ";
    return s;
}

Seen Read(const std::string& path, int threads, const TColumnChoice& columns, bool skipMissing) {
    TAnalysisSettings settings;
    settings.FileName = path;
    settings.IdColumns[0] = 0;
    settings.ClassColumns[0] = 1;
    settings.NutrientColumn = 2;
    TInputOptions input;
    input.SkipMissing = skipMissing;
    TRunData run;
    run.Threads = threads;
    run.TwoReadersFrom = 0;
    const TRunStatus status = run.Read(settings, input, {}, columns);
    Seen seen{status.Error, status.RowNo, status.PersonKey, {}, {}, {}, {}};
    for (std::int32_t i = 0; i < run.NAll; ++i) {
        std::string r = std::to_string(run.AllRecords[i].RowNo) + "|" +
                        std::string(run.Keys.Text(run.AllRecords[i].PersonKey));
        for (std::size_t k = 0; k < run.K(); ++k) {
            r += '|';
            r += std::to_string(run.ValueOf(i, k));
        }
        seen.Records.push_back(r);
    }
    for (const TGroupRange& g : run.Groups)
        seen.Groups.push_back(std::to_string(g.Begin) + "-" + std::to_string(g.End) + " " +
                              std::string(run.Keys.Text(g.ClassKey)));
    for (const TValueColumn& c : run.Columns) {
        std::string s = std::to_string(c.Column) + " " + c.Name + " missing";
        for (const TNotNumbers& m : c.Missing) {
            s += " [";
            s += run.Keys.Text(m.ClassKey);
            s += "] ";
            s += Tally(m.Rows);
        }
        s += " left out ";
        s.append(c.LeftOut.begin(), c.LeftOut.end());
        s += " sizes";
        for (std::int32_t size : c.GroupSizes) {
            s += ' ';
            s += std::to_string(size);
        }
        seen.Columns.push_back(s);
    }
    seen.Skipped = {run.SkippedWithText.Count};
    seen.Skipped.insert(seen.Skipped.end(), std::begin(run.SkippedWithText.First),
                        std::end(run.SkippedWithText.First));
    return seen;
}

// A survey of drawn rows: plain ones, blank ones and lines of hidden text,
// fields that are not numbers, a group that only turns up late, and now and
// then a key the run must refuse.
std::string DrawSurvey(std::mt19937& random) {
    auto draw = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string bytes = "id,group,a,b\n";
    const int rows = 5 + draw(120);
    const char* values[] = {"1.5", "2", " 30 ", "NA", "", "4e1", "-", "7"};
    const char* blanks[] = {"", ",,,", "\"\",\"\"", "   ", "\x82\xa0", "\x82\xa0,\x82\xa2", "\r"};
    for (int i = 0; i < rows; ++i) {
        const int kind = draw(10);
        if (kind < 3) {
            bytes += blanks[draw(7)];
        } else {
            std::string id = std::to_string(draw(15));
            if (draw(150) == 0) id = draw(2) ? std::string(300, 'k') : "x\x01y";
            const std::string group =
                i > rows / 2 && draw(3) == 0 ? "late" : std::to_string(1 + draw(3));
            bytes += id;
            bytes += ',';
            bytes += draw(40) == 0 && i > 3 ? std::string(280, 'g') : group;
            bytes += ',';
            bytes += values[draw(8)];
            bytes += ',';
            bytes += values[draw(8)];
        }
        bytes += draw(8) ? "\n" : "\r\n";
    }
    return bytes;
}

} // namespace

TEST(TwoReaders, TheRunHoldsWhatOneReaderGives) {
    std::mt19937 random(20261211);
    TColumnChoice one, two, every;
    two.List = {2, 3};
    every.AllNumeric = true;
    const TColumnChoice* choices[] = {&one, &two, &every};
    int refused = 0;
    for (int n = 0; n < 300; ++n) {
        const std::string bytes = DrawSurvey(random);
        TempFile file(bytes);
        const TColumnChoice& columns = *choices[n % 3];
        const bool skipMissing = n % 2 == 0;
        const Seen single = Read(file.Path, 1, columns, skipMissing);
        const Seen both = Read(file.Path, 2, columns, skipMissing);
        ASSERT_EQ(both, single) << bytes;
        if (single.Error != TRunError::None) ++refused;
    }
    // The draws include refusals and runs that go through.
    EXPECT_GT(refused, 10);
    EXPECT_LT(refused, 290);
}
