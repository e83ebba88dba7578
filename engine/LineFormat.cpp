#include "engine/LineFormat.h"

#include <charconv>
#include <cmath>

#include "engine/Encoding.h"

namespace habitual {
namespace {

void Pad(std::string& out, std::size_t start, int width) {
    std::size_t len = out.size() - start;
    if (width > 0 && len < static_cast<std::size_t>(width))
        out.insert(start, static_cast<std::size_t>(width) - len, ' ');
}

// Values that are not numbers print as "nan" whatever their sign bit.
void AppendDouble(std::string& out, double v, std::chars_format form, int width) {
    std::size_t start = out.size();
    if (std::isnan(v)) {
        out += "nan";
    } else {
        char buf[400]; // %lf of the largest double has 309 digits before the point
        auto res = std::to_chars(buf, buf + sizeof buf, v, form, 6);
        out.append(buf, res.ptr);
    }
    Pad(out, start, width);
}

} // namespace

void AppendFixed(std::string& out, double v, int width) {
    AppendDouble(out, v, std::chars_format::fixed, width);
}

void AppendGeneral(std::string& out, double v, int width) {
    AppendDouble(out, v, std::chars_format::general, width);
}

void CutToLine(std::string& text) {
    if (text.size() > LineLimit) text.resize(Cp932CutLength(text, LineLimit));
}

void FormatLine(std::string& out, std::string_view format, std::initializer_list<TFormatArg> args) {
    out.clear();
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        ++i;
        if (i < format.size() && format[i] == '%') {
            out += '%';
            continue;
        }
        int width = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
            width = width * 10 + (format[i++] - '0');
        if (i < format.size() && format[i] == 'l') ++i;
        if (i >= format.size() || arg == args.end()) break;
        char conv = format[i];
        const TFormatArg& a = *arg++;
        std::size_t start = out.size();
        switch (conv) {
        case 'd': {
            char buf[16];
            auto res = std::to_chars(buf, buf + sizeof buf, a.I);
            out.append(buf, res.ptr);
            Pad(out, start, width);
            break;
        }
        case 'f':
            AppendFixed(out, a.D, width);
            break;
        case 'g':
            AppendGeneral(out, a.D, width);
            break;
        case 's':
            out.append(a.S);
            Pad(out, start, width);
            break;
        default:
            break;
        }
    }
    CutToLine(out);
}

std::string FormatLine(std::string_view format, std::initializer_list<TFormatArg> args) {
    std::string out;
    FormatLine(out, format, args);
    return out;
}

} // namespace habitual
