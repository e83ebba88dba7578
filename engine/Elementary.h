// exp, log and pow for the estimation steps: glibc's on every system, so
// that a results document is the same bytes wherever it is made. On Linux
// they are the system's own; a mingw build for Windows has the same
// functions compiled from glibc's sources (glibcmath/), since mingw's
// differ in the last bits. A build without them (MSVC) uses its library's.
#pragma once

#include <cmath>

#ifdef HABITUAL_GLIBC_MATH
#include "glibcmath/GlibcMath.h"
#endif

namespace habitual {

#ifdef HABITUAL_GLIBC_MATH
inline double Exp(double x) {
    return habitual_exp(x);
}
inline double Log(double x) {
    return habitual_log(x);
}
inline double Pow(double x, double y) {
    return habitual_pow(x, y);
}
#else
inline double Exp(double x) {
    return std::exp(x);
}
inline double Log(double x) {
    return std::log(x);
}
inline double Pow(double x, double y) {
    return std::pow(x, y);
}
#endif

} // namespace habitual
