// exp, log and pow as glibc 2.36 computes them, compiled from glibc's own
// sources (Debian's package glibc-source) for systems whose C library
// rounds differently, so that the results are the same bytes everywhere.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

double habitual_exp(double x);
double habitual_log(double x);
double habitual_pow(double x, double y);

// The two builds of each function, as glibc has them for x86-64: one with
// fused multiply-adds (for processors with FMA and AVX2), one without. The
// functions above take the one glibc would take on the processor at hand.
double habitual_exp_fma(double x);
double habitual_log_fma(double x);
double habitual_pow_fma(double x, double y);
double habitual_exp_sse2(double x);
double habitual_log_sse2(double x);
double habitual_pow_sse2(double x, double y);

#ifdef __cplusplus
}
#endif
