/* The little of glibc's internal math header that the exp, log and pow
   sources use. */
#pragma once
#define attribute_hidden
#define __glibc_unlikely(cond) __builtin_expect((cond), 0)
#define __glibc_likely(cond) __builtin_expect((cond), 1)
