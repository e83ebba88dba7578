#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <locale.h>
#include <string>

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

// Where ICU's "cp932" table and Windows' code page 932 part, both sides give
// Windows' mapping: the users' files are written on Windows.
TEST(Encoding, WindowsMappingWhereTheTablesDiffer) {
    struct Case {
        const char* Name;
        std::string Cp932, Utf8;
    } decoded[] = {
        {"0x1A", "\x1A", "\x1A"},
        {"0x1C", "\x1C", "\x1C"},
        {"0x7F", "\x7F", "\x7F"},
        {"0x80",
         "\x80"
         "A",
         "\xC2\x80"
         "A"},
        {"0xA0", "\xA0", "\xEF\xBF\xBD"},
        {"0xFD", "\xFD", "\xEF\xBF\xBD"},
        {"lead byte before a byte that is no trail byte", "\x81\x20", "\xEF\xBF\xBD "},
        {"lead byte before a CR", "\x82\x0D", "\xEF\xBF\xBD\x0D"},
        {"pair without a character",
         "\x85\x40"
         "A",
         "\xEF\xBF\xBD"
         "A"},
        {"lead byte at the end", "\xE0", "\xEF\xBF\xBD"},
    };
    for (const Case& c : decoded) EXPECT_EQ(Cp932ToUtf8(c.Cp932), c.Utf8) << c.Name;

    struct Encoded {
        const char* Name;
        std::string Utf8, Cp932;
        std::size_t Replaced;
    } encoded[] = {
        {"U+001A", "\x1A", "\x1A", 0},
        {"U+001C", "\x1C", "\x1C", 0},
        {"U+007F", "\x7F", "\x7F", 0},
        {"U+0080", "\xC2\x80", "\x80", 0},
        {"U+F8F0", "\xEF\xA3\xB0", "\xA0", 0},
        {"U+F8F3", "\xEF\xA3\xB3", "\xFF", 0},
        {"U+F86F (private use)", "\xEF\xA1\xAF", "?", 1},
        {"U+200B (ignorable)",
         "a\xE2\x80\x8B"
         "b",
         "a?b", 1},
        {"U+FEFF (ignorable)", "\xEF\xBB\xBF", "?", 1},
        {"a character beyond the BMP", "\xF0\xA0\x80\x8B", "?", 1},
        // Bytes that are not UTF-8: one '?' for each longest piece that
        // could begin a character.
        {"a cut sequence",
         "\xE3\x81"
         "A",
         "?A", 1},
        {"a byte that begins nothing", "\xFF", "?", 1},
        {"an overlong form", "\xC0\xAF", "??", 2},
        {"a surrogate", "\xED\xA0\x80", "???", 3},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????", 4},
    };
    for (const Encoded& c : encoded) {
        std::size_t replaced = 0;
        EXPECT_EQ(Utf8ToCp932(c.Utf8, &replaced), c.Cp932) << c.Name;
        EXPECT_EQ(replaced, c.Replaced) << c.Name;
    }
}

namespace {

// FNV-1a over texts, each with its length first.
struct Digest {
    std::uint64_t Value = 14695981039346656037u;
    void Add(const std::string& text) {
        const std::string sized = std::to_string(text.size()) + ":" + text;
        for (unsigned char c : sized) Value = (Value ^ c) * 1099511628211u;
    }
};

std::string Utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

} // namespace

// The whole of both directions, against digests taken from Windows' table
// (the Windows side, under wine): every byte alone and before a letter,
// every lead byte 0x80 to 0xFF with every second byte and a letter, every
// BMP character and a spread of the others, with the count of replacements.
TEST(Encoding, EveryCharacterMapsAsWindowsCodePage932Does) {
    Digest decoded;
    for (int b = 0; b < 256; ++b) {
        decoded.Add(Cp932ToUtf8(std::string(1, static_cast<char>(b))));
        decoded.Add(Cp932ToUtf8(std::string(1, static_cast<char>(b)) + "A"));
    }
    for (int lead = 0x80; lead < 256; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            decoded.Add(
                Cp932ToUtf8(std::string{static_cast<char>(lead), static_cast<char>(trail), 'A'}));
    Digest encoded;
    std::size_t replaced = 0;
    for (char32_t c = 1; c < 0x110000; c += c < 0x10000 ? 1 : 0x3FF) {
        if (c >= 0xD800 && c < 0xE000) continue;
        encoded.Add(Utf8ToCp932(Utf8Of(c), &replaced));
    }
    EXPECT_EQ(decoded.Value, 10672542796232806577u);
    EXPECT_EQ(encoded.Value, 18315194006181339571u);
    EXPECT_EQ(replaced, 55112u);
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
#ifdef _WIN32
    // The C runtime's locale, for this thread only.
    void SetUp() override {
        Previous = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
        for (const char* name : {"de-DE", "German_Germany.1252", "fr-FR"})
            if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') return;
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        _configthreadlocale(Previous);
    }
    int Previous = 0;
#else
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
#endif
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
