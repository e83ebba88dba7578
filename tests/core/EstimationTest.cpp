#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "engine/EstimateGroup.h"
#include "engine/RadixSort.h"
#include "tests/support/GroupFixture.h"

using namespace habitual;
using namespace habitual::test;

namespace {

TAnalysisSettings Method(int method, const std::string& power = "") {
    TAnalysisSettings s;
    s.NormalizeMethod = method;
    s.PowerText = power;
    return s;
}

} // namespace

TEST(Transform, NormalQuantile) {
    EXPECT_NEAR(NormalQuantile(0.5), -0.0000034353, 1e-10);
    EXPECT_NEAR(NormalQuantile(0.025), -1.96045, 5e-6);
    EXPECT_NEAR(NormalQuantile(0.975), 1.96045, 5e-6);
}

TEST(Transform, BestPowerSearch) {
    struct Case {
        std::vector<double> Values;
        double Power, RSquare, LogOffset;
    } cases[] = {
        {{0, 1, 2, 3, 4, 5, 6, 7}, 1, 0.98941, 0.5},
        {{10, 12, 15, 20, 30, 50, 80}, 0, 0.95628, 0},
    };
    for (const Case& c : cases) {
        TTestGroup ctx;
        FillGroup(ctx, Singles(c.Values));
        ctx.NormalizeMethod = 0;
        Transform(ctx, Method(0));
        EXPECT_EQ(ctx.Power, c.Power);
        EXPECT_NEAR(ctx.RSquare, c.RSquare, 5e-6);
        EXPECT_EQ(ctx.LogOffset, c.LogOffset);
    }
    // The other candidates of the first case, as documented for users: the
    // log (of the values plus 0.5) and the square.
    TTestGroup ctx;
    FillGroup(ctx, Singles({0, 1, 2, 3, 4, 5, 6, 7}));
    FindBestPower(ctx);
    EXPECT_NEAR(ctx.CandidateRSquare[0], 0.88816, 5e-6);
    EXPECT_NEAR(ctx.CandidateRSquare[1], 0.91473, 5e-6);
}

TEST(Transform, GroupsWithoutAStraightestCandidateKeepTheirValues) {
    for (auto values : {std::vector<double>{0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1},
                        std::vector<double>{-1, -4, -2}}) {
        TTestGroup ctx;
        FillGroup(ctx, Singles(values));
        ctx.NormalizeMethod = 0;
        Transform(ctx, Method(0));
        // Negative values: the exponents 2 and 1 still give an R-square.
        if (values[0] > 0) {
            EXPECT_EQ(ctx.Power, 1);
            EXPECT_EQ(ctx.RSquare, 0);
        } else {
            EXPECT_TRUE(ctx.Power == 1 || ctx.Power == 2);
            EXPECT_GT(ctx.RSquare, 0);
        }
        for (int i = 0; i < ctx.NData; ++i) EXPECT_FALSE(std::isnan(ctx.Records[i].Transformed));
    }
}

TEST(Transform, LogOffsetAndGivenPowers) {
    struct Case {
        int Method;
        std::string Power;
        std::vector<double> Values;
        double LogOffset;
        std::vector<double> Transformed;
    } cases[] = {
        {1, "", {0, 0.4, 1.0}, 0.2, {std::log(0.2), std::log(0.6), std::log(1.2)}},
        {1, "", {-2, 0, 3}, -1, {std::log(-3.0), std::log(-1.0), std::log(2.0)}},
        {1, "", {0, 0}, 0, {-INFINITY, -INFINITY}},
        {3, "0.5", {4, 9}, 0, {2, 3}},
        {3, "-0.5", {4, 9}, 0, {2, 3}},
        {3, "", {0, 4}, 2, {std::log(2.0), std::log(6.0)}},
        {3, "abc", {1, 4}, 0, {0, std::log(4.0)}},
        {2, "", {-3, 7}, 0, {-3, 7}},
    };
    for (const Case& c : cases) {
        TTestGroup ctx;
        FillGroup(ctx, Singles(c.Values));
        ctx.NormalizeMethod = c.Method;
        ctx.LogOffset = 0;
        Transform(ctx, Method(c.Method, c.Power));
        EXPECT_EQ(ctx.LogOffset, c.LogOffset);
        for (std::size_t i = 0; i < c.Values.size(); ++i) {
            const double got = ctx.Records[i].Transformed, want = c.Transformed[i];
            if (std::isnan(want))
                EXPECT_TRUE(std::isnan(got));
            else
                EXPECT_DOUBLE_EQ(got, want);
        }
    }
}

TEST(Transform, OtherMethodsLeavePowerAndRSquareAsTheyWere) {
    TTestGroup ctx;
    FillGroup(ctx, Singles({10, 12, 15, 20, 30, 50, 80}));
    ctx.Power = 0.25;
    ctx.RSquare = 0.5;
    ctx.LogOffset = 3;
    ctx.NormalizeMethod = 2;
    Transform(ctx, Method(2));
    EXPECT_EQ(ctx.Power, 0.25);
    EXPECT_EQ(ctx.RSquare, 0.5);
    EXPECT_EQ(ctx.LogOffset, 3);
}

struct AnovaCase {
    const char* Name;
    std::vector<PersonValues> Persons;
    double SSTotal, SSModel, SSError, VW, VB, Mean, Var;
    int DFModel, DFError, DFTotal, NMultiDay, MinDays, MaxDays;
    double MeanDays;
};

TEST(Anova, VarianceComponents) {
    const AnovaCase cases[] = {
        {"balanced",
         {{"A", {1, 3}}, {"B", {2, 4}}, {"C", {6, 8}}},
         34,
         28,
         6,
         2,
         6,
         4,
         6.8,
         2,
         3,
         5,
         3,
         2,
         2,
         2},
        {"unbalanced",
         {{"A", {1, 3, 5}}, {"B", {2}}, {"C", {4, 6}}},
         17.5,
         7.5,
         10,
         10.0 / 3,
         (7.5 - 2 * 10.0 / 3) / 3,
         3.5,
         3.5,
         2,
         3,
         5,
         2,
         2,
         3,
         2.5},
        {"singles", Singles({1, 2, 3, 4, 5, 9}), 40, 40, 0, 0, 8, 4, 8, 5, 0, 5, 0, 1, 1, 1},
        {"one person", {{"A", {1, 2, 6}}}, 14, 0, 14, 7, 0, 3, 7, 0, 2, 2, 1, 3, 3, 3},
        // Equal values whose sums are inexact in binary: no variation at all.
        {"all equal",
         {{"A", {0.1, 0.1}}, {"B", {0.1, 0.1}}, {"C", {0.1, 0.1}}},
         0,
         0,
         0,
         0,
         0,
         0.1,
         0,
         2,
         3,
         5,
         3,
         2,
         2,
         2},
        {"equal within persons",
         {{"A", {0.1, 0.1, 0.1}}, {"B", {0.7, 0.7, 0.7}}},
         0.54,
         0.54,
         0,
         0,
         0.18,
         0.4,
         0.108,
         1,
         4,
         5,
         2,
         3,
         3,
         3},
        {"negative estimate",
         {{"A", {1, 9}}, {"B", {2, 8}}},
         50,
         0,
         50,
         25,
         0,
         5,
         50.0 / 3,
         1,
         2,
         3,
         2,
         2,
         2,
         2},
    };
    for (const AnovaCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestGroup ctx;
        FillGroup(ctx, c.Persons);
        ctx.NormalizeMethod = 2;
        Transform(ctx, Method(2));
        Anova(ctx, Method(2));
        EXPECT_NEAR(ctx.SSTotal, c.SSTotal, 1e-9);
        EXPECT_NEAR(ctx.SSModel, c.SSModel, 1e-9);
        EXPECT_NEAR(ctx.SSError, c.SSError, 1e-9);
        EXPECT_NEAR(ctx.VW, c.VW, 1e-9);
        EXPECT_NEAR(ctx.VB, c.VB, 1e-9);
        EXPECT_NEAR(ctx.Mean, c.Mean, 1e-12);
        // Zeros are exact: the report decides by the sign of the components.
        for (auto [got, want] :
             {std::pair{ctx.SSTotal, c.SSTotal}, std::pair{ctx.SSError, c.SSError},
              std::pair{ctx.VW, c.VW}, std::pair{ctx.VB, c.VB}}) {
            if (want == 0) {
                EXPECT_EQ(got, 0.0);
            }
        }
        EXPECT_NEAR(ctx.Var, c.Var, 1e-9);
        EXPECT_NEAR(ctx.SD, std::sqrt(c.Var), 1e-9);
        EXPECT_EQ(ctx.DFModel, c.DFModel);
        EXPECT_EQ(ctx.DFError, c.DFError);
        EXPECT_EQ(ctx.DFTotal, c.DFTotal);
        EXPECT_EQ(ctx.NMultiDay, c.NMultiDay);
        EXPECT_EQ(ctx.MinDays, c.MinDays);
        EXPECT_EQ(ctx.MaxDays, c.MaxDays);
        EXPECT_EQ(ctx.MeanDays, c.MeanDays);
        EXPECT_FALSE(std::isnan(ctx.SDB));
        EXPECT_EQ(ctx.N, ctx.NData);
        EXPECT_EQ(ctx.NPersonAll, ctx.NPerson);
    }
}

TEST(Anova, PersonsAreRunsOfEqualKeysWhereverTheRowsStood) {
    TTestGroup ctx;
    FillGroup(ctx, {{"1\x01"
                     "2",
                     {1}},
                    {"1\x01"
                     "3",
                     {5}},
                    {"1\x01"
                     "2",
                     {3}},
                    {"1", {7}}});
    ctx.NormalizeMethod = 2;
    Transform(ctx, Method(2));
    Anova(ctx, Method(2));
    ASSERT_EQ(ctx.NPerson, 3);
    EXPECT_EQ(ctx.KeyText(ctx.Persons[0].PersonKey), "1"); // a prefix sorts first
    EXPECT_EQ(ctx.Persons[1].NDays, 2);
    EXPECT_EQ(ctx.Persons[1].PersonMean, 2);
}

TEST(Anova, LongKeysSharingTheirFirstBytesAreDifferentPersons) {
    const std::string stem = "district-0000001\x01household";
    TTestGroup ctx;
    FillGroup(ctx, {{stem + "-2", {1}}, {stem + "-10", {5}}, {stem + "-2", {3}}, {stem, {7}}});
    ctx.NormalizeMethod = 2;
    Transform(ctx, Method(2));
    Anova(ctx, Method(2));
    ASSERT_EQ(ctx.NPerson, 3);
    EXPECT_EQ(ctx.KeyText(ctx.Persons[0].PersonKey), stem);
    EXPECT_EQ(ctx.KeyText(ctx.Persons[1].PersonKey), stem + "-10");
    EXPECT_EQ(ctx.Persons[2].NDays, 2);
}

TEST(Anova, APersonDrawnTwiceIsTwoPersons) {
    // Short keys and long ones, whose order the arena decides.
    for (const std::string& key : {std::string("A"), std::string(40, 'k')}) {
        TTestGroup ctx;
        FillGroup(ctx, {{key, {1, 3}}, {key, {5, 7}}, {"B", {2, 4}}});
        ctx.NormalizeMethod = 2;
        Transform(ctx, Method(2));
        Anova(ctx, Method(2));
        EXPECT_EQ(ctx.NPerson, 2) << "one draw: one person";

        FillGroup(ctx, {{key, {1, 3}}, {key, {5, 7}}, {"B", {2, 4}}});
        ctx.Records[2].Draw = ctx.Records[3].Draw = 1;
        std::swap(ctx.Records[1], ctx.Records[2]); // the draws' records interleaved
        Transform(ctx, Method(2));
        Anova(ctx, Method(2));
        ASSERT_EQ(ctx.NPerson, 3);
        EXPECT_EQ(ctx.NMultiDay, 3);
        EXPECT_EQ(ctx.DFError, 3);
        double means[3];
        for (int p = 0; p < 3; ++p) means[p] = ctx.Persons[p].PersonMean;
        std::sort(means, means + 3);
        EXPECT_EQ(means[0], 2);
        EXPECT_EQ(means[1], 3);
        EXPECT_EQ(means[2], 6);
    }
}

TEST(Anova, GivenWithinVarianceOrRatio) {
    struct Case {
        int Method, Hendo;
        double VWSpec, RatioSpec;
        double VW, VB, SDB;
    } cases[] = {
        {3, 2, 0, 1, 3.4, 3.4, std::sqrt(3.4)},
        {3, 2, 0, 3, 5.1, 1.7, std::sqrt(1.7)},
        {3, 1, 10, 0, 10, -3.2, 0},
        {3, 1, 0, 0, 0, 6.8, std::sqrt(6.8)},
        {0, 1, 10, 0, 2, 6, std::sqrt(6.0)}, // only in force with a given power
    };
    for (const Case& c : cases) {
        TTestGroup ctx;
        FillGroup(ctx, {{"A", {1, 3}}, {"B", {2, 4}}, {"C", {6, 8}}});
        TAnalysisSettings s = Method(c.Method, "1");
        s.HendoMode = c.Hendo;
        ctx.NormalizeMethod = 2;
        Transform(ctx, s);
        ctx.NormalizeMethod = c.Method;
        ctx.VWSpec = c.VWSpec;
        ctx.VWBRatioSpec = c.RatioSpec;
        Anova(ctx, s);
        EXPECT_NEAR(ctx.VW, c.VW, 1e-12);
        EXPECT_NEAR(ctx.VB, c.VB, 1e-12);
        EXPECT_NEAR(ctx.SDB, c.SDB, 1e-12);
    }
}

TEST(EstimateHabitual, Shrinkage) {
    TTestGroup ctx;
    FillGroup(ctx, {{"A", {2}}, {"B", {3}}, {"C", {7}}, {"D", {7}}, {"E", {7}}});
    ctx.NPerson = 5;
    const int days[] = {2, 2, 2, 1, 3};
    for (int i = 0; i < 5; ++i) {
        ctx.Persons[i].NDays = days[i];
        ctx.Persons[i].PersonMean = ctx.Records[i].Value;
    }
    ctx.VB = 6;
    ctx.VW = 2;
    ctx.Mean = 4;
    ctx.NormalizeMethod = 2;
    EstimateHabitual(ctx, Method(2));
    const double expected[] = {2.1483598, 3.0741799, 6.7774603, 6.5980762, 6.8460499};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(ctx.Persons[i].ShrunkMean, expected[i], 5e-8);
        EXPECT_EQ(ctx.Persons[i].Habitual, ctx.Persons[i].ShrunkMean);
    }
}

TEST(EstimateHabitual, DegenerateVariancesStillGiveEstimates) {
    struct Case {
        double VB, VW, Expected; // person mean 7, group mean 4
    } cases[] = {{0, 0, 4}, {0, 2, 4}, {-3, 10, 4}, {5, 0, 7}};
    for (const Case& c : cases) {
        TTestGroup ctx;
        FillGroup(ctx, {{"A", {7}}, {"B", {1}}});
        ctx.NPerson = 1;
        ctx.Persons[0].NDays = 1;
        ctx.Persons[0].PersonMean = 7;
        ctx.VB = c.VB;
        ctx.VW = c.VW;
        ctx.Mean = 4;
        ctx.NormalizeMethod = 2;
        EstimateHabitual(ctx, Method(2));
        EXPECT_EQ(ctx.Persons[0].ShrunkMean, c.Expected) << c.VB << " " << c.VW;
    }
}

TEST(EstimateHabitual, BackTransformation) {
    struct Case {
        int Method;
        double Power, LogOffset, VW, S, Expected;
    } cases[] = {
        {1, 0, 0, 0.5, 0, 1.25},  {1, 0, 0.2, 0.5, 0, 1.05},
        {0, 0.5, 0, 0.5, 3, 9.5}, {0, 2.0 / 3, 0, 0.5, 4, 8.09375},
        {0, 1, 0, 0.5, 0, 0},     {0, 1, 0, 0.5, -2.5, -2.5},
        {2, 0.5, 0, 0.5, 3, 3},   {0, 0, 0, 0, 1, std::exp(1.0)},
    };
    for (const Case& c : cases) {
        TTestGroup ctx;
        ctx.NormalizeMethod = c.Method;
        ctx.Power = c.Power;
        ctx.LogOffset = c.LogOffset;
        ctx.VW = c.VW;
        EXPECT_NEAR(BackTransform(ctx, c.S), c.Expected, 1e-12) << c.Method << " " << c.Power;
    }
    // A given power of -0.5 is used as 0.5: exponent 2.
    TTestGroup ctx;
    FillGroup(ctx, {{"A", {3}}, {"B", {3}}});
    ctx.NPerson = 1;
    ctx.Persons[0] = {ctx.Records[0].PersonKey, 1, 1, 3, 3, 0};
    ctx.VB = 1;
    ctx.VW = 0.5;
    ctx.Mean = 3;
    ctx.NormalizeMethod = 3;
    EstimateHabitual(ctx, Method(3, "-0.5"));
    EXPECT_EQ(ctx.Power, 0.5);
    EXPECT_NEAR(ctx.Persons[0].Habitual, 9.5, 1e-12);
}

TEST(Percentiles, TypeSixPositions) {
    TTestGroup ctx;
    FillGroup(ctx, Singles({40, 10, 30, 20}));
    ctx.NormalizeMethod = 2;
    EstimateGroup(ctx, Method(2));
    const struct {
        int Entry;
        double Value;
    } expected[] = {{0, 10},  {1, 10},    {10, 10}, {25, 12.5},
                    {50, 25}, {75, 37.5}, {90, 40}, {100, 40}};
    for (const auto& e : expected) EXPECT_DOUBLE_EQ(ctx.PctDaily[e.Entry], e.Value) << e.Entry;
    EXPECT_EQ(DailyMean(ctx), 25);
    EXPECT_DOUBLE_EQ(DailySD(ctx), std::sqrt(500.0 / 3));
    EXPECT_EQ(DailyShareBelow(ctx, 20), 0.25); // a value equal to the limit is not below
    EXPECT_EQ(DailyShareBelow(ctx, 5), 0);
    EXPECT_EQ(DailyShareBelow(ctx, 50), 1);
}

TEST(Percentiles, TwoValues) {
    TTestGroup ctx;
    FillGroup(ctx, Singles({2, 1}));
    ctx.NormalizeMethod = 2;
    EstimateGroup(ctx, Method(2));
    for (int p = 0; p <= 33; ++p) EXPECT_EQ(ctx.PctDaily[p], 1) << p;
    EXPECT_DOUBLE_EQ(ctx.PctDaily[34], 0.98 * 1 + 0.02 * 2);
    EXPECT_DOUBLE_EQ(ctx.PctDaily[50], 1.5);
    EXPECT_DOUBLE_EQ(ctx.PctDaily[66], 0.02 * 1 + 0.98 * 2);
    for (int p = 67; p <= 100; ++p) EXPECT_EQ(ctx.PctDaily[p], 2) << p;
}

TEST(Percentiles, OnePersonFillsEveryHabitualEntry) {
    TTestGroup ctx;
    FillGroup(ctx, {{"A", {3, 5, 4}}});
    ctx.NormalizeMethod = 2;
    EstimateGroup(ctx, Method(2));
    for (int p = 0; p <= 100; ++p) EXPECT_EQ(ctx.PctHabit[p], 4);
}

TEST(Percentiles, ValuesThatAreNotNumbersSortLast) {
    TTestGroup ctx;
    // Under the log, -2 has no real result.
    FillGroup(ctx, Singles({3, -2, 1, 5}));
    ctx.NormalizeMethod = 1;
    EstimateGroup(ctx, Method(1));
    EXPECT_EQ(ctx.Records[3].Value, -2);
    EXPECT_TRUE(std::isnan(ctx.Records[3].Transformed));
    EXPECT_EQ(ctx.PctDaily[0], 1);
    EXPECT_EQ(ctx.PctDaily[100], -2);
}

TEST(Steps, LeaveTheTablesInTheirDocumentedOrder) {
    TTestGroup ctx;
    FillGroup(ctx, {{"Z", {1, 2}}, {"A", {9, 8}}, {"M", {5, 4}}});
    ctx.NormalizeMethod = 0;
    EstimateGroup(ctx, Method(0));
    for (int i = 1; i < ctx.NData; ++i)
        EXPECT_LE(ctx.Records[i - 1].Transformed, ctx.Records[i].Transformed);
    for (int i = 1; i < ctx.NPerson; ++i)
        EXPECT_LE(ctx.Persons[i - 1].ShrunkMean, ctx.Persons[i].ShrunkMean);
    EXPECT_EQ(ctx.KeyText(ctx.Persons[0].PersonKey), "Z");
}

TEST(Allocate, KeepsArraysForTheSameCount) {
    TTestGroup ctx;
    EXPECT_TRUE(ctx.Allocate(0));
    EXPECT_EQ(ctx.Records, nullptr);
    ASSERT_TRUE(ctx.Allocate(3));
    TGroupRecord* records = ctx.Records;
    records[2].Value = 42;
    ASSERT_TRUE(ctx.Allocate(3));
    EXPECT_EQ(ctx.Records, records);
    EXPECT_EQ(ctx.Records[2].Value, 42);
    ASSERT_TRUE(ctx.Allocate(5));
    EXPECT_EQ(ctx.NAll, 5);
}

TEST(SortByKey, LargeGroupsSortLikeTheComparison) {
    // Enough entries for the radix path, with every kind of double in them.
    std::vector<double> keys;
    for (int i = 0; i < 3000; ++i) keys.push_back(std::sin(i * 0.7) * std::pow(10.0, i % 40 - 20));
    const double specials[] = {0.0, -0.0, INFINITY, -INFINITY, NAN, -NAN, 1e-320, -1e-320, 5, 5};
    for (int i = 0; i < 50; ++i)
        for (double v : specials) keys.push_back(v);
    std::vector<double> expected = keys;
    std::sort(expected.begin(), expected.end(), LessNanLast);
    // Without spare room the records' order is walked in place; with it
    // (enough, or too little to be used) they are gathered.
    for (const std::size_t spareRecords : {std::size_t{0}, keys.size(), keys.size() / 8}) {
        std::vector<TGroupRecord> records(keys.size()), room(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            records[i].Transformed = keys[i];
            records[i].RowNo = static_cast<std::int32_t>(i);
        }
        std::vector<double> spare(spareRecords * sizeof(TGroupRecord) / sizeof(double));
        SortByKey(
            records.data(), static_cast<std::int32_t>(records.size()), room.data(),
            [](const TGroupRecord& r) { return r.Transformed; },
            spare.empty() ? nullptr : spare.data(), spare.size() * sizeof(double));
        std::vector<bool> seen(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const double got = records[i].Transformed, want = expected[i];
            if (std::isnan(want))
                EXPECT_TRUE(std::isnan(got)) << i;
            else
                EXPECT_EQ(got, want) << i; // -0 and 0 compare equal, as in the comparison
            // Every record is there once, whole.
            const auto row = static_cast<std::size_t>(records[i].RowNo);
            ASSERT_LT(row, keys.size());
            EXPECT_FALSE(seen[row]) << i;
            seen[row] = true;
            EXPECT_EQ(SortableBits(records[i].Transformed), SortableBits(keys[row])) << i;
        }
    }
}
