/* The choice glibc makes for x86-64 (sysdeps/x86_64/fpu/multiarch): the
   build with fused multiply-adds where the processor has FMA and AVX2. */
#include "glibcmath/GlibcMath.h"

static int Fused(void) {
    static int fused = -1;
    if (fused < 0) {
        __builtin_cpu_init();
        fused = __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx2");
    }
    return fused;
}

double habitual_exp(double x) {
    return Fused() ? habitual_exp_fma(x) : habitual_exp_sse2(x);
}

double habitual_log(double x) {
    return Fused() ? habitual_log_fma(x) : habitual_log_sse2(x);
}

double habitual_pow(double x, double y) {
    return Fused() ? habitual_pow_fma(x, y) : habitual_pow_sse2(x, y);
}
