#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <locale.h>

#include "engine/Decimal.h"
#include "engine/Encoding.h"
#include "engine/LineFormat.h"

using namespace habitual;

TEST(Encoding, Cp932MapsBackslashAndWaveDashTheWindowsWay) {
    EXPECT_EQ(Cp932ToUtf8("\x5C"), "\\");
    EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "\xEF\xBD\x9E"); // U+FF5E
    EXPECT_EQ(Utf8ToCp932("\\"), "\x5C");
    EXPECT_EQ(Utf8ToCp932("\xEF\xBD\x9E"), "\x81\x60");
}

TEST(Encoding, JapaneseRoundTrips) {
    const std::string text = "分析変数：[エネルギー]　①ｱ";
    std::size_t replaced = 0;
    const std::string bytes = Utf8ToCp932(text, &replaced);
    EXPECT_EQ(replaced, 0u);
    EXPECT_EQ(bytes.substr(0, 4), "\x95\xaa\x90\xcd");
    EXPECT_EQ(Cp932ToUtf8(bytes), text);
}

TEST(Encoding, CharactersWithoutShiftJisFormBecomeQuestionMarksAndAreCounted) {
    std::size_t replaced = 0;
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80"
                          "b\xED\x95\x9C",
                          &replaced),
              "a?b?"); // emoji, Hangul
    EXPECT_EQ(replaced, 2u);
}

TEST(Encoding, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8(std::string("\x82\xA0", 2)), "あ");
}

TEST(Encoding, CutLengthNeverSplitsADoubleByteCharacter) {
    const std::string a = "\x82\xA0"; // あ
    struct Case {
        std::string Text;
        std::size_t Limit, Expected;
    } cases[] = {
        {"abc", 5, 3},       {"abcdef", 4, 4},    {a + a + a, 4, 4},   {a + a + a, 5, 4},
        {"x" + a + a, 4, 3}, {"x" + a + a, 5, 5}, {a + "\x81x", 3, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cp932CutLength(c.Text, c.Limit), c.Expected) << c.Text << " " << c.Limit;
}

TEST(Decimal, ReadsTheLongestDecimalPrefix) {
    struct Case {
        const char* Text;
        double Expected;
    } cases[] = {
        {"12.5abc", 12.5}, {"abc", 0}, {"", 0},       {"  -3e2x", -300},   {"\t+4.", 4},
        {".5", 0.5},       {"1e", 1},  {"1e+", 1},    {"2E-1", 0.2},       {"0x1A", 0},
        {"inf", 0},        {"nan", 0}, {"-.e3", 0},   {"1,234", 1},        {"-5", -5},
        {"20-", 20},       {"-", 0},   {"00012", 12}, {"\xef\xbc\x91", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.Text), c.Expected) << c.Text;
}

TEST(Decimal, AgreesWithStrtodOnManyDecimals) {
    std::uint64_t state = 12345;
    auto next = [&state](int bound) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(bound));
    };
    for (int n = 0; n < 200000; ++n) {
        std::string text = next(4) == 0 ? "-" : "";
        const int digits = 1 + next(20), point = next(digits + 2);
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + next(10));
        }
        EXPECT_EQ(ParseDecimal(text), std::strtod(text.c_str(), nullptr)) << text;
    }
}

TEST(Decimal, OverflowAndUnderflowFollowTheStandardConversion) {
    EXPECT_EQ(ParseDecimal("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDecimal("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_GT(ParseDecimal("1e-320"), 0.0);
    EXPECT_LT(ParseDecimal("1e-320"), 1e-300);
    EXPECT_EQ(ParseDecimal("1e-999"), 0.0);
    EXPECT_EQ(ParseDecimal(std::string(300, '1') + "e-290"), 1.1111111111111111e9);
}

// The process locale may use a decimal comma (Qt adopts the user's locale);
// reading and printing must not follow it.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
            if ((Locale = newlocale(LC_ALL_MASK, name, nullptr))) break;
        if (!Locale) GTEST_SKIP() << "no locale with a decimal comma installed";
        Previous = uselocale(Locale);
    }
    void TearDown() override {
        if (Locale) {
            uselocale(Previous);
            freelocale(Locale);
        }
    }
    locale_t Locale = nullptr, Previous = nullptr;
};

TEST_F(CommaLocale, NumbersStillUseThePoint) {
    EXPECT_EQ(ParseDecimal("1.5"), 1.5);
    EXPECT_EQ(FormatLine("%lf %lg", {1.5, 2.5}), "1.500000 2.5");
}

TEST(LineFormat, FormatsLikePrintf) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::string Format;
        std::initializer_list<TFormatArg> Args;
        std::string Expected;
    } cases[] = {
        {"%16lf|", {3.5}, "        3.500000|"},
        {"%lf", {-0.0000004}, "-0.000000"},
        {"%lg", {1234567.0}, "1.23457e+06"},
        {"%lg", {0.0001}, "0.0001"},
        {"%lg", {0.00001}, "1e-05"},
        {"%lg", {100.0}, "100"},
        {"%7lg|", {10.0}, "     10|"},
        {"%8d|%d", {42, -7}, "      42|-7"},
        {"[%s=%s]", {"a", "b"}, "[a=b]"},
        {"%%%lg%%", {12.5}, "%12.5%"},
        {"%lf %lg", {nan, -nan}, "nan nan"},
        {"%16lf", {-inf}, "            -inf"},
        {"%lf", {1e20}, "100000000000000000000.000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatLine(c.Format, c.Args), c.Expected) << c.Format;
}

TEST(LineFormat, LinesAreCutAt511BytesOnACharacterBoundary) {
    const std::string a = "\x82\xA0";
    std::string text = "x";
    for (int i = 0; i < 300; ++i) text += a;
    const std::string line = FormatLine("%s", {text});
    EXPECT_EQ(line.size(), 511u); // "x" + 255 characters
    EXPECT_EQ(FormatLine("y%s", {text}).size(), 510u);
    EXPECT_EQ(FormatLine("%lf", {1e300}).size(), 308u);
}
