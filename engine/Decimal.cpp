#include "engine/Decimal.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace habitual {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Survey values are mostly short decimals such as "1803.4". When the digits
// form an integer m below 2^53 and the decimal exponent k is at most 22 in
// size, m and 10^k are exact doubles and one correctly rounded multiplication
// or division gives exactly what strtod gives. False for anything else.
bool FastDecimal(std::string_view number, double& value) {
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    bool negative = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
    std::uint64_t m = 0;
    int exponent = 0;
    bool point = false;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '.') {
            point = true;
            continue;
        }
        if (!IsDigit(c)) break;
        if (m > (std::uint64_t{1} << 53) / 10) return false;
        m = m * 10 + static_cast<unsigned>(c - '0');
        if (point) --exponent;
    }
    if (i < number.size()) return false; // an exponent part: leave it to strtod
    if (m > (std::uint64_t{1} << 53) || exponent < -22) return false;
    const double x = static_cast<double>(m) / powers[-exponent];
    value = negative ? -x : x;
    return true;
}

// Whether a plain decimal number (digits, an optional point, an optional
// exponent) is 1 or more in size: the power of ten of its first digit that
// is not 0, plus the exponent, is at least 0. Long exponents saturate.
bool AtLeastOne(std::string_view number) {
    long long digits = 0, beforePoint = 0, firstNonzero = -1;
    std::size_t i = 0;
    bool point = false;
    for (; i < number.size() && (IsDigit(number[i]) || number[i] == '.'); ++i) {
        if (number[i] == '.') {
            point = true;
            continue;
        }
        if (firstNonzero < 0 && number[i] != '0') firstNonzero = digits;
        ++digits;
        if (!point) ++beforePoint;
    }
    if (firstNonzero < 0) return false;
    long long exponent = 0;
    if (i + 1 < number.size()) {
        const bool negative = number[i + 1] == '-';
        for (std::size_t j = i + 1; j < number.size(); ++j)
            if (IsDigit(number[j]) && exponent < 1000000000)
                exponent = exponent * 10 + (number[j] - '0');
        if (negative) exponent = -exponent;
    }
    return beforePoint - 1 - firstNonzero + exponent >= 0;
}

// A plain decimal number, correctly rounded: std::from_chars reads it
// without any locale. A value beyond the largest double is infinite and one
// nearer 0 than the smallest is 0, with its sign, as strtod gives them;
// from_chars leaves those to the caller.
double RoundedDecimal(std::string_view number) {
    const bool negative = number.front() == '-';
    if (number.front() == '+' || negative) number.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
        value = AtLeastOne(number) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

} // namespace

double ParseDecimal(std::string_view text) {
    bool isNumber;
    return ParseDecimal(text, isNumber);
}

namespace {

// Where the number at the start of text (after white space) begins and
// ends, and how many digits it has: an optional sign, digits with an
// optional point, and an exponent only where digits follow its letter.
struct TNumberSpan {
    std::size_t Start = 0, End = 0, Digits = 0;
};

TNumberSpan ScanNumber(std::string_view text) {
    TNumberSpan span;
    std::size_t i = 0, n = text.size();
    while (i < n && IsSpace(text[i])) ++i;
    span.Start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < n && IsDigit(text[i])) ++i, ++span.Digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i, ++span.Digits;
    }
    if (span.Digits > 0 && i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < n && IsDigit(text[j])) {
            while (j < n && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    span.End = i;
    return span;
}

} // namespace

double ParseDecimal(std::string_view text, bool& isNumber) {
    const TNumberSpan span = ScanNumber(text);
    isNumber = span.Digits > 0;
    if (!isNumber) return 0.0;
    const std::string_view number = text.substr(span.Start, span.End - span.Start);
    if (double fast; FastDecimal(number, fast)) return fast;
    return RoundedDecimal(number);
}

bool IsWholeNumber(std::string_view text) {
    const TNumberSpan span = ScanNumber(text);
    if (span.Digits == 0) return false;
    std::size_t i = span.End;
    while (i < text.size() && IsSpace(text[i])) ++i;
    return i == text.size();
}

bool IsBlank(std::string_view text) {
    for (char c : text)
        if (!IsSpace(c)) return false;
    return true;
}

} // namespace habitual
