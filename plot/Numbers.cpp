#include "plot/Numbers.h"

#include <charconv>
#include <cmath>

#include "engine/LineFormat.h"

namespace habitual::plot {

std::string Fixed(double v, int decimals) {
    if (!std::isfinite(v)) return General(v);
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string text(buf, res.ptr);
    // A value that rounds to zero is zero, without a sign.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string General(double v) {
    std::string text;
    AppendGeneral(text, v);
    return text;
}

std::string Exact(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

} // namespace habitual::plot
