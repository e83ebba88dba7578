// printf-style formatting of one results line into a 512-byte line buffer,
// independent of the process locale. Supported conversions: %d, %lf, %lg, %s
// and %%, each with an optional minimum field width ("%16lf"). The result is
// cut at 511 bytes, at a CP932 character boundary.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace habitual {

constexpr std::size_t LineLimit = 511;

class TFormatArg {
public:
    TFormatArg(int v) : Kind(KInt), I(v) {}
    TFormatArg(double v) : Kind(KDouble), D(v) {}
    TFormatArg(std::string_view v) : Kind(KText), S(v) {}
    TFormatArg(const char* v) : Kind(KText), S(v) {}
    TFormatArg(const std::string& v) : Kind(KText), S(v) {}

    enum { KInt, KDouble, KText } Kind;
    int I = 0;
    double D = 0;
    std::string_view S;
};

// Formats into out (replacing its content).
void FormatLine(std::string& out, std::string_view format, std::initializer_list<TFormatArg> args);
std::string FormatLine(std::string_view format, std::initializer_list<TFormatArg> args);

// Appends one number formatted as "%lf" (decimals = 6) or "%lg" with the given width.
void AppendFixed(std::string& out, double v, int width = 0);
void AppendGeneral(std::string& out, double v, int width = 0);

// Cuts text at LineLimit bytes, at a character boundary.
void CutToLine(std::string& text);

} // namespace habitual
