// e^x for |x| <= 700, a few times faster than the C library's exp and written
// so that the compiler can vectorise a loop of it. Its relative error is
// below FastExpError (derivation below); the best-power screen relies on
// that bound.
#pragma once

#include <cstdint>
#include <cstring>

namespace habitual {

// Range reduction after Cody and Waite (1980, Software Manual for the
// Elementary Functions): x = m ln 2 + r with m = round(x / ln 2), |r| <= ln 2 / 2,
// ln 2 split into a high part whose last 21 bits are zero (so m * Ln2Hi is exact
// for |m| < 2^21) and the rest. e^r by its Taylor polynomial of degree 13 in
// Horner form, then scaled by 2^m, which is exact in the normal range.
//
// Error, relative, with u = 2^-53:
//   truncation  |r|^14 / 14! * e^|r| / e^r  <= 0.347^14 / 14! * 2    < 1e-17
//   Horner      gamma_26 * sum |c_i r^i| / e^r <= 26u / (1 - 26u) * 2 < 5.8e-15
//   coefficients (each 1/i! rounded)  u * e^|r| / e^r <= 2u          < 2.3e-16
//   reduction   the computed r is off by at most 3u|r| + |m| u Ln2Lo  < 1.3e-16
// in all below 6.2e-15; FastExpError allows for it with room to spare.
inline constexpr double FastExpError = 1e-14;

inline double FastExp(double x) {
    constexpr double Log2e = 1.4426950408889634074;
    constexpr double Ln2Hi = 6.93147180369123816490e-01; // 0x3FE62E42FEE00000
    constexpr double Ln2Lo = 1.90821492927058770002e-10;
    // Adding 1.5 * 2^52 rounds to the nearest integer, which then stands in
    // the low bits of the sum.
    constexpr double Shift = 6755399441055744.0;
    const double shifted = x * Log2e + Shift;
    const double m = shifted - Shift;
    const double r = (x - m * Ln2Hi) - m * Ln2Lo;
    double p = 1.0 / 6227020800.0; // 1/13!
    p = p * r + 1.0 / 479001600.0;
    p = p * r + 1.0 / 39916800.0;
    p = p * r + 1.0 / 3628800.0;
    p = p * r + 1.0 / 362880.0;
    p = p * r + 1.0 / 40320.0;
    p = p * r + 1.0 / 5040.0;
    p = p * r + 1.0 / 720.0;
    p = p * r + 1.0 / 120.0;
    p = p * r + 1.0 / 24.0;
    p = p * r + 1.0 / 6.0;
    p = p * r + 0.5;
    p = p * r + 1.0;
    p = p * r + 1.0;
    // The sum's bits are those of 1.5 * 2^52 plus m; 2^m has m + 1023 as its
    // exponent field. Integer additions and a shift only, so that a loop of
    // FastExp vectorises.
    std::uint64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    const std::uint64_t exponent = (bits - 0x4338000000000000u + 1023u) << 52;
    double scale;
    std::memcpy(&scale, &exponent, sizeof scale);
    return p * scale;
}

} // namespace habitual
