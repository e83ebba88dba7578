/* glibc's symbol versions: not used outside glibc. */
#pragma once
#define LIBM_SVID_COMPAT 0
