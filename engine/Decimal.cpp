#include "Decimal.h"

#include <clocale>
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

} // namespace

double ParseDecimal(std::string_view text) {
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
    if (digits == 0) return 0.0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < n && IsDigit(text[j])) {
            while (j < n && IsDigit(text[j])) ++j;
            i = j;
        }
    }
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
