// The decimal conversion used for every number read from a survey file or a
// setting: leading white space, an optional sign, digits with an optional '.',
// an optional exponent; the longest such beginning of the text is the value,
// and a text that does not begin with a number reads as 0. Decimal only (no
// hexadecimal, no "inf" or "nan" words) and independent of the process locale.
#pragma once

#include <string_view>

namespace habitual {

double ParseDecimal(std::string_view text);
// The same, and whether the text begins with a number at all (otherwise the
// value is 0 because there is none: an empty text, "NA", "-", "欠測").
double ParseDecimal(std::string_view text, bool& isNumber);
// Whether the whole text, but for white space around it, is one number
// ("12.5", " -3e2 "; not "20-29", "12kg" or "").
bool IsWholeNumber(std::string_view text);
// Whether the text holds nothing but white space.
bool IsBlank(std::string_view text);

} // namespace habitual
