// The copy of glibc's exp, log and pow that the Windows build computes with
// (glibcmath/) against the system's glibc, bit for bit, over values of the
// sizes a survey gives and over the whole range. The system's glibc takes
// its build with fused multiply-adds on a processor that has them, and the
// other where GLIBC_TUNABLES hides them; HABITUAL_GLIBC_BUILD names the
// build to compare (fma or sse2).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "glibcmath/GlibcMath.h"

namespace {

std::string Build() {
    const char* build = std::getenv("HABITUAL_GLIBC_BUILD");
    return build ? build : "fma";
}

double Bits(std::uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

struct Random {
    std::uint64_t State = 88172645463325252u;
    std::uint64_t Next() {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return State;
    }
    double Uniform(double low, double high) {
        return low + (high - low) * static_cast<double>(Next() >> 11) * 0x1p-53;
    }
};

bool Same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

} // namespace

TEST(GlibcMath, SameBitsAsTheSystemsGlibc) {
    const bool fused = Build() == "fma";
    if (fused && !(__builtin_cpu_supports("fma") && __builtin_cpu_supports("avx2")))
        GTEST_SKIP() << "this processor has no fused multiply-add";
    const auto exp = fused ? habitual_exp_fma : habitual_exp_sse2;
    const auto log = fused ? habitual_log_fma : habitual_log_sse2;
    const auto pow = fused ? habitual_pow_fma : habitual_pow_sse2;
    Random random;
    int differences = 0;
    for (int i = 0; i < 2000000 && differences < 10; ++i) {
        // Intakes and their transforms: values up to a few thousand, powers
        // of the best-power search, and any bit pattern at all.
        const double value = random.Uniform(0, 5000);
        const double power = random.Uniform(-3, 3);
        const double any = Bits(random.Next()), other = Bits(random.Next());
        const double s = random.Uniform(-50, 50);
        const struct {
            const char* Name;
            double Mine, System, X, Y;
        } checks[] = {
            {"log", log(value), std::log(value), value, 0},
            {"log", log(any), std::log(any), any, 0},
            {"exp", exp(s), std::exp(s), s, 0},
            {"exp", exp(any), std::exp(any), any, 0},
            {"pow", pow(value, power), std::pow(value, power), value, power},
            {"pow", pow(value, 1.0 / power), std::pow(value, 1.0 / power), value, 1.0 / power},
            {"pow", pow(any, other), std::pow(any, other), any, other},
        };
        for (const auto& c : checks) {
            if (Same(c.Mine, c.System)) continue;
            ++differences;
            ADD_FAILURE() << c.Name << "(" << c.X << ", " << c.Y << "): " << c.Mine
                          << " against glibc's " << c.System;
        }
    }
}
