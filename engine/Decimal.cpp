#include "engine/Decimal.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace habitual {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

locale_t CLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
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

} // namespace

double ParseDecimal(std::string_view text) {
    bool isNumber;
    return ParseDecimal(text, isNumber);
}

double ParseDecimal(std::string_view text, bool& isNumber) {
    std::size_t i = 0, n = text.size();
    while (i < n && IsSpace(text[i])) ++i;
    std::size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i, ++digits;
    }
    isNumber = digits > 0;
    if (digits == 0) return 0.0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < n && IsDigit(text[j])) {
            while (j < n && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    if (double fast; FastDecimal(text.substr(start, i - start), fast)) return fast;
    // The prefix is a plain decimal number, so strtod in the C locale reads
    // exactly it, with its rounding, overflow to infinity and underflow rules.
    char small[64];
    std::size_t len = i - start;
    if (len < sizeof small) {
        text.copy(small, len, start);
        small[len] = '\0';
        return strtod_l(small, nullptr, CLocale());
    }
    std::string copy(text.substr(start, len));
    return strtod_l(copy.c_str(), nullptr, CLocale());
}

} // namespace habitual
